#include "fetch/downloadqueue.h"

#include <algorithm>

namespace tv {

DownloadQueue::DownloadQueue(int parallel, int perHost)
    : m_parallel(std::max(0, parallel)), m_perHost(std::max(1, perHost))
{
}

void DownloadQueue::add(quint64 id, const QString& host, qint64 order)
{
    m_queued.insert(id, Entry{host, order, false});
    m_hosts[host].waiting.insert({order, id});
    refresh(host);
}

void DownloadQueue::makeUrgent(quint64 id)
{
    const auto it = m_queued.find(id);
    if (it == m_queued.end() || it->urgent)
        return;
    it->urgent = true;
    m_hosts[it->host].waiting.erase({it->order, id});
    m_urgent.insert({it->order, id});
    refresh(it->host);
}

void DownloadQueue::remove(quint64 id)
{
    const auto it = m_queued.find(id);
    if (it == m_queued.end())
        return;
    const Entry entry = *it;
    m_queued.erase(it);
    if (entry.urgent)
        m_urgent.erase({entry.order, id});
    else
        m_hosts[entry.host].waiting.erase({entry.order, id});
    refresh(entry.host);
}

void DownloadQueue::clear()
{
    m_queued.clear();
    m_running.clear();
    m_hosts.clear();
    m_urgent.clear();
    m_ready.clear();
}

int DownloadQueue::runningOn(const QString& host) const
{
    const auto it = m_hosts.constFind(host);
    return it == m_hosts.constEnd() ? 0 : it->running;
}

std::optional<quint64> DownloadQueue::takeNext(bool aheadPaused)
{
    // Few downloads are urgent at a time (the page waited for, and its own resources).
    for (auto it = m_urgent.begin(); it != m_urgent.end(); ++it) {
        const quint64 id = it->second;
        const Entry entry = m_queued.value(id);
        if (runningOn(entry.host) < m_perHost) {
            m_urgent.erase(it);
            start(id, entry);
            return id;
        }
    }
    if (aheadPaused || running() >= m_parallel || m_ready.empty())
        return std::nullopt;
    const Key key = m_ready.begin()->first;
    const QString host = m_ready.begin()->second;
    const Entry entry = m_queued.value(key.second);
    m_hosts[host].waiting.erase(key);
    start(key.second, entry);
    return key.second;
}

void DownloadQueue::start(quint64 id, const Entry& entry)
{
    m_queued.remove(id);
    m_running.insert(id, entry.host);
    ++m_hosts[entry.host].running;
    refresh(entry.host);
}

void DownloadQueue::finished(quint64 id)
{
    const auto it = m_running.find(id);
    if (it == m_running.end())
        return;
    const QString host = *it;
    m_running.erase(it);
    Host& h = m_hosts[host];
    --h.running;
    if (h.running == 0 && h.waiting.empty()) {
        if (h.ready)
            m_ready.erase({h.readyKey, host});
        m_hosts.remove(host);
        return;
    }
    refresh(host);
}

void DownloadQueue::refresh(const QString& host)
{
    Host& h = m_hosts[host];
    if (h.ready) {
        m_ready.erase({h.readyKey, host});
        h.ready = false;
    }
    if (h.running < m_perHost && !h.waiting.empty()) {
        h.readyKey = *h.waiting.begin();
        h.ready = true;
        m_ready.insert({h.readyKey, host});
    }
}

} // namespace tv
