#include "serverfarm.h"

#include <QMetaObject>
#include <random>

namespace tv::bench {

using tv::test::HttpFixture;
using tv::test::HttpServer;
using namespace std::chrono_literals;

ServerFarm::ServerFarm(int hosts)
{
    m_thread.start();
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        m_context,
        [this, hosts] {
            for (int i = 1; i <= hosts; ++i) {
                auto* server = new HttpServer(QHostAddress(QStringLiteral("127.0.0.%1").arg(i)));
                server->setParent(m_context);
                // As production servers answer: at once, not after the client's delayed ACK.
                server->setLowDelay(true);
                m_servers.push_back(server);
                m_bases << server->url(QString());
            }
        },
        Qt::BlockingQueuedConnection);
}

ServerFarm::~ServerFarm()
{
    QMetaObject::invokeMethod(
        m_context, [this] { delete m_context; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

bool ServerFarm::isListening() const
{
    bool all = !m_servers.empty();
    QMetaObject::invokeMethod(
        m_context,
        [&] {
            for (const HttpServer* server : m_servers)
                all = all && server->isListening();
        },
        Qt::BlockingQueuedConnection);
    return all;
}

QString ServerFarm::url(int host, const QString& path) const
{
    return m_bases.at(host) + path;
}

void ServerFarm::serve(int host, const QString& path, const HttpFixture& fixture)
{
    QMetaObject::invokeMethod(
        m_context, [&] { m_servers.at(size_t(host))->serve(path, fixture); },
        Qt::BlockingQueuedConnection);
}

PageMix servePageMix(ServerFarm& farm, int count, const QList<QByteArray>& bodies, unsigned seed)
{
    std::mt19937 random(seed);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    PageMix mix;
    for (int i = 0; i < count; ++i) {
        const int host = between(0, farm.hosts() - 1);
        const int kind = between(0, 99);
        HttpFixture page = HttpFixture::html(bodies.at(i % bodies.size()));
        page.delay = std::chrono::milliseconds(between(100, 400));
        if (kind >= 80 && kind < 90) {
            page.delay = std::chrono::milliseconds(between(1000, 3000));
            ++mix.slow;
        } else if (kind >= 90 && kind < 95) {
            if (kind % 2 == 0) {
                page = HttpFixture::error(kind % 4 == 0 ? 404 : 500);
                page.delay = std::chrono::milliseconds(between(50, 300));
            } else {
                page.resetAfter = page.body.size() / 2;
            }
            ++mix.failing;
        } else if (kind >= 95) {
            page.stallAfter = page.body.size() / 3;
            page.resumeAfter = std::chrono::milliseconds(between(2000, 5000));
            ++mix.stalled;
        }
        const QString path = QStringLiteral("/mix/%1").arg(i);
        farm.serve(host, path, page);
        mix.urls << farm.url(host, path);
    }
    return mix;
}

QStringList serveAtOnce(ServerFarm& farm, const QString& name, const QList<QByteArray>& bodies,
                        const QByteArray& type)
{
    QStringList urls;
    for (int i = 0; i < bodies.size(); ++i) {
        const QString path = QStringLiteral("/%1/%2").arg(name).arg(i);
        const int host = i % farm.hosts();
        farm.serve(host, path, HttpFixture::page(bodies.at(i), type));
        urls << farm.url(host, path);
    }
    return urls;
}

} // namespace tv::bench
