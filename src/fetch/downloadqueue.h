#pragma once
// Which download of a run starts next. Pages are fetched ahead in list order, as many at a time
// as the run allows and at most a few per host, so that one slow site neither floods nor holds
// up the others; a page that is being waited for, and what such a page needs, go first.
#include <QHash>
#include <QString>
#include <optional>
#include <set>
#include <utility>

namespace tv {

class DownloadQueue {
public:
    // `parallel`: downloads running ahead at once (0: none); `perHost`: running on one host.
    DownloadQueue(int parallel, int perHost);

    // Queues a download; `order` is its place in the list (smaller starts first).
    void add(quint64 id, const QString& host, qint64 order);
    // The download is waited for: it starts before every download fetched ahead, even when the
    // run ahead is full or paused. Only the per-host limit still holds it back.
    void makeUrgent(quint64 id);
    // Forgets a download that has not started.
    void remove(quint64 id);
    void clear();

    // The download to start now, if any may: it counts as running until finished(). With
    // `aheadPaused` only urgent downloads start.
    std::optional<quint64> takeNext(bool aheadPaused);
    void finished(quint64 id);

    bool isQueued(quint64 id) const { return m_queued.contains(id); }
    int queued() const { return int(m_queued.size()); }
    int running() const { return int(m_running.size()); }
    int runningOn(const QString& host) const;

private:
    using Key = std::pair<qint64, quint64>; // order, id
    struct Entry {
        QString host;
        qint64 order = 0;
        bool urgent = false;
    };
    struct Host {
        int running = 0;
        std::set<Key> waiting; // fetched ahead, in list order
        bool ready = false;    // listed in m_ready under its first waiting key
        Key readyKey;
    };

    void start(quint64 id, const Entry& entry);
    // Lists the host in m_ready when it has a free connection and a download waiting.
    void refresh(const QString& host);

    int m_parallel;
    int m_perHost;
    QHash<quint64, Entry> m_queued;
    QHash<quint64, QString> m_running;
    QHash<QString, Host> m_hosts;
    std::set<Key> m_urgent;
    // Hosts that could start a download fetched ahead, by the first one waiting.
    std::set<std::pair<Key, QString>> m_ready;
};

} // namespace tv
