// Servers that answer as an attacker would: a body that never ends, sent faster than the
// program counts. Every server here runs on 127.0.0.1 and stops by itself.
#include "fetch/download.h"
#include "support/floodserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

using tv::test::FloodServer;
Q_DECLARE_METATYPE(FloodServer::Framing)

namespace {
constexpr qint64 kMiB = 1024 * 1024;
}

class TestHostileServer : public QObject {
    Q_OBJECT
private slots:
    void endlessBodyWhileBusy_data();
    void endlessBodyWhileBusy();
};

void TestHostileServer::endlessBodyWhileBusy_data()
{
    QTest::addColumn<FloodServer::Framing>("framing");
    QTest::newRow("chunked") << FloodServer::Framing::Chunked;
    QTest::newRow("until close") << FloodServer::Framing::UntilClose;
}

// The thread that owns the download is busy (counting a large page, say) while the server
// sends as fast as it can: the network layer must not read on into memory meanwhile, and the
// page stops at its cap.
void TestHostileServer::endlessBodyWhileBusy()
{
    QFETCH(FloodServer::Framing, framing);
    FloodServer server(512 * kMiB, framing);
    QVERIFY(server.isListening());
    tv::FetchOptions options;
    options.maxBytes = 2 * kMiB;
    QNetworkAccessManager network;
    tv::Download download(network, server.url(), options);
    download.startWaiting();
    // Let the request go out and the first data arrive.
    QTRY_VERIFY_WITH_TIMEOUT(server.bytesSent() > 0, 10000);

    // Busy: no events here while the server keeps sending.
    const qint64 sentWhileBusy = server.waitUntilStalled(std::chrono::milliseconds(300), 160 * kMiB,
                                                         std::chrono::seconds(5));
    // What the line holds (the kernel's socket buffers on both ends, up to some 36 MiB on
    // loopback) plus the reply's bounded buffer; unbounded, it is the whole ceiling.
    QVERIFY2(sentWhileBusy < 48 * kMiB, qPrintable(QString::number(sentWhileBusy)));

    QTRY_VERIFY_WITH_TIMEOUT(download.isFinished(), 10000);
    QCOMPARE(download.error(), QString());
    QVERIFY(download.truncated());
    QCOMPARE(download.body().size(), options.maxBytes);
    QVERIFY2(download.body().capacity() <= options.maxBytes + 1,
             qPrintable(QString::number(download.body().capacity())));
    QVERIFY2(server.bytesSent() < 48 * kMiB, qPrintable(QString::number(server.bytesSent())));
}

TV_TEST_MAIN(TestHostileServer, QCoreApplication)
#include "test_hostileserver.moc"
