#pragma once
// A resource fetcher in front of another that notes what the crawl asks for: each request's
// address and start time, and the most requests ever in flight at once.
#include "crawl/resourcefetcher.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>

namespace tv::test {

class RecordingFetcher : public ResourceFetcher {
public:
    explicit RecordingFetcher(ResourceFetcher& inner);

    quint64 fetch(const ResourceRequest& request, Done done) override;
    void cancel(quint64 ticket) override;

    struct Start {
        QString url;
        qint64 atMs = 0; // since this fetcher was made
    };
    QList<Start> starts() const { return m_starts; }
    int inFlight() const { return int(m_active.size()); }
    int peakInFlight() const { return m_peak; }

private:
    ResourceFetcher& m_inner;
    QElapsedTimer m_clock;
    QList<Start> m_starts;
    QSet<quint64> m_active;
    int m_peak = 0;
};

} // namespace tv::test
