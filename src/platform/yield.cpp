#include "yield.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace tv {

namespace {
std::chrono::milliseconds g_interval{15};
QElapsedTimer& lastYield()
{
    static QElapsedTimer timer;
    return timer;
}
} // namespace

void yieldNow()
{
    // Event processing belongs to the thread that owns the event loop; workers never yield.
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return;
    QCoreApplication::processEvents();
    lastYield().start();
}

void yieldToWindow()
{
    QElapsedTimer& timer = lastYield();
    if (!timer.isValid() || timer.elapsed() >= g_interval.count())
        yieldNow();
}

void setYieldInterval(std::chrono::milliseconds interval)
{
    g_interval = interval;
}

} // namespace tv
