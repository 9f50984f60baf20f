#pragma once
// Ctrl-C as a request to stop rather than an end: while a watch lives, the first SIGINT only
// marks the watch interrupted and calls its callback from the event loop; a second one ends
// the program as SIGINT always does. One watch at a time.
#include <QObject>
#include <QTimer>
#include <functional>

namespace tv {

class InterruptWatch : public QObject {
public:
    // `interrupted` runs once, in the event loop, soon after the first SIGINT.
    explicit InterruptWatch(std::function<void()> interrupted);
    ~InterruptWatch() override;
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Whether SIGINT arrived while the watch lived.
    bool interrupted() const;

private:
    void poll();

    std::function<void()> m_callback;
    QTimer m_timer;
    bool m_installed = false;
    bool m_told = false;
};

} // namespace tv
