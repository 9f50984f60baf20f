#include "recordingfetcher.h"

#include <memory>

namespace tv::test {

RecordingFetcher::RecordingFetcher(ResourceFetcher& inner) : m_inner(inner)
{
    m_clock.start();
}

quint64 RecordingFetcher::fetch(const ResourceRequest& request, Done done)
{
    m_starts.append({request.url, m_clock.elapsed()});
    // The ticket is known only once the inner fetch returns; its answer comes later.
    auto ticket = std::make_shared<quint64>(0);
    *ticket = m_inner.fetch(request, [this, ticket, done](const FetchedResource& resource) {
        m_active.remove(*ticket);
        done(resource);
    });
    m_active.insert(*ticket);
    m_peak = std::max(m_peak, int(m_active.size()));
    return *ticket;
}

void RecordingFetcher::cancel(quint64 ticket)
{
    m_active.remove(ticket);
    m_inner.cancel(ticket);
}

} // namespace tv::test
