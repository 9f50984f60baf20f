#pragma once
// Web servers for the pipeline benchmark: one on each loopback address 127.0.0.1 to 127.0.0.N,
// running in a thread of their own so that serving costs the measured thread nothing, and the
// seeded list of pages they serve (most answer in a few hundred milliseconds, some in seconds,
// a few fail, reset or stall for a while).
#include "support/httpserver.h"

#include <QStringList>
#include <QThread>
#include <vector>

namespace tv::bench {

class ServerFarm {
public:
    explicit ServerFarm(int hosts);
    ~ServerFarm();
    ServerFarm(const ServerFarm&) = delete;
    ServerFarm& operator=(const ServerFarm&) = delete;

    bool isListening() const;
    int hosts() const { return int(m_servers.size()); }
    QString url(int host, const QString& path) const;
    void serve(int host, const QString& path, const tv::test::HttpFixture& fixture);

private:
    QThread m_thread;
    QObject* m_context = nullptr; // lives in m_thread
    std::vector<tv::test::HttpServer*> m_servers;
    QStringList m_bases; // "http://127.0.0.N:PORT"
};

struct PageMix {
    QStringList urls;
    int slow = 0;    // answer after one to three seconds
    int failing = 0; // a 404 or 500, or a connection reset in the middle of the page
    int stalled = 0; // stop in the middle for two to five seconds, then finish
};

// `count` pages over the farm's hosts, the same list for the same seed (a longer list begins
// with the shorter one). The bodies are taken in turn from `bodies`.
PageMix servePageMix(ServerFarm& farm, int count, const QList<QByteArray>& bodies,
                     unsigned seed = 12);

// Pages answered at once, under /`name`/N, of the given Content-Type.
QStringList serveAtOnce(ServerFarm& farm, const QString& name, const QList<QByteArray>& bodies,
                        const QByteArray& type);

} // namespace tv::bench
