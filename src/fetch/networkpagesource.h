#pragma once
// The page source of a counting run: real downloads, converted to rendered text, with the
// next announced pages fetched ahead while the current one is counted.
#include "fetch/download.h"
#include "fetch/pagesource.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QThreadPool>
#include <deque>
#include <memory>

namespace tv {

class NetworkPageSource : public QObject, public PageSource {
    Q_OBJECT
public:
    explicit NetworkPageSource(FetchOptions options = {}, QObject* parent = nullptr);
    ~NetworkPageSource() override;

    // What became of the page. Waits with the event loop running (call it from the thread
    // that made this object).
    FetchedPage fetchPage(const QString& address) override;

    // Starts downloading the first of these pages (up to the prefetch depth) at once; each
    // later fetchPage of the same address takes its page from there. Replaces an earlier list.
    void announce(const QStringList& addresses) override;

    // Ends every download; a wait in progress and every later fetchPage give a cancelled page
    // (for closing the program in the middle of a run).
    void cancel();

    // For tests: how many downloads were started in all.
    int downloadsStarted() const { return m_downloadsStarted; }

private:
    struct Job;
    std::shared_ptr<Job> startJob(const QString& address);
    void topUp();
    void onDownloaded(const std::shared_ptr<Job>& job);

    FetchOptions m_options;
    QNetworkAccessManager m_network;
    QThreadPool m_workers;
    std::deque<std::shared_ptr<Job>> m_ahead; // started, not yet asked for, in announced order
    std::deque<QString> m_announced;          // announced, not yet started
    int m_downloadsStarted = 0;
    int m_sequence = 0;
    bool m_cancelled = false;
};

} // namespace tv
