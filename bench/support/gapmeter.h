#pragma once
// How long an event loop goes without handling its events: a timer that fires whenever events
// are handled, and the longest time between two firings while some work runs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace tv::bench {

class GapMeter {
public:
    GapMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_last.isValid())
                m_largest = std::max(m_largest, double(m_last.nsecsElapsed()) / 1e6);
            m_last.start();
        });
    }
    // The largest gap in milliseconds while `work` runs (it must let events through).
    double measure(const std::function<void()>& work)
    {
        m_largest = 0;
        m_last.invalidate();
        m_timer.start();
        QCoreApplication::processEvents();
        work();
        QCoreApplication::processEvents();
        m_timer.stop();
        return m_largest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_last;
    double m_largest = 0;
};

} // namespace tv::bench
