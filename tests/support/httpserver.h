#pragma once
// A small HTTP/1.1 server inside the test process, on 127.0.0.1 (or another loopback address:
// 127.0.0.2 and up are loopback too, for tests that need several hosts) and a free port,
// answering each path with a fixture the test registers. It runs in the thread's event loop, so it
// serves while the code under test waits with the event loop running (as fetchUrl does).
//
//     tv::test::HttpServer server;
//     QVERIFY(server.isListening());
//     server.serve("/", tv::test::HttpFixture::html("<p>Hello</p>"));
//     server.serve("/old", tv::test::HttpFixture::redirect("/"));
//     QString url = server.url("/old");          // "http://127.0.0.1:PORT/old"
//     QString row = server.siteAddress("/page"); // "127.0.0.1:PORT/page" (no scheme, like a typed
//     row)
//
// Connections are kept alive between answers (a fixture without Content-Length ends its
// connection instead). A path without a fixture gets 404. What was asked is kept in requests(),
// and how many requests and connections it had at once in peakAnswering() and peakConnections().
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <chrono>
#include <functional>

class QTcpSocket;

namespace tv::test {

struct HttpFixture {
    enum class Encoding { Identity, Gzip, Deflate, RawDeflate };

    int status = 200;
    QByteArray reason;                            // "" gives the usual phrase for the status
    QList<QPair<QByteArray, QByteArray>> headers; // sent as given, after the status line
    QByteArray body;
    Encoding encoding = Encoding::Identity; // compresses the body, sets Content-Encoding
    bool sendLength = true;                 // Content-Length of the body as sent
    std::chrono::milliseconds delay{0};     // before anything is sent
    qsizetype stallAfter = -1; // send the headers and this many body bytes, then nothing more
    qsizetype resetAfter = -1; // send the headers and this many body bytes, then drop the line
    std::chrono::milliseconds trickle{0}; // with stallAfter: the rest follows one byte per interval
    std::chrono::milliseconds resumeAfter{0}; // with stallAfter: the rest follows after this pause

    // A page of the given type (the Content-Type header as it is sent).
    static HttpFixture page(const QByteArray& body, const QByteArray& contentType);
    // text/html; charset=utf-8
    static HttpFixture html(const QByteArray& body);
    // A redirect to `location` (a path or a full address).
    static HttpFixture redirect(const QByteArray& location, int status = 302);
    // A status with a short HTML body.
    static HttpFixture error(int status, const QByteArray& body = "<p>error page</p>");

    HttpFixture& header(const QByteArray& name, const QByteArray& value);
};

struct HttpRequest {
    QByteArray method;
    QByteArray path; // with the query, as sent
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray header(const QByteArray& name) const; // case-insensitive; "" when absent
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    explicit HttpServer(const QHostAddress& address = QHostAddress::LocalHost);
    ~HttpServer() override;

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:PORT" + path (the server's own address)
    QString url(const QString& path) const;
    // "127.0.0.1:PORT" + path: an address as a user types it, without a scheme.
    QString siteAddress(const QString& path) const;

    // Answers requests for `path` (with its query, if any) with the fixture from now on.
    void serve(const QString& path, const HttpFixture& fixture);
    // Sends answers at once (TCP_NODELAY), as production servers do. Without it an answer on a
    // kept-alive connection can wait about 40 ms for the client's delayed ACK; off by default, so
    // that existing tests and benchmarks keep their timing.
    void setLowDelay(bool on) { m_lowDelay = on; }
    // Answers requests whose path (with its query) begins with `prefix` and has no fixture of its
    // own with what `make` returns for the path: endless generated pages.
    void serveGenerated(const QString& prefix,
                        const std::function<HttpFixture(const QByteArray& path)>& make);
    void clear();

    // Requests received so far, in order of arrival.
    QList<HttpRequest> requests() const { return m_requests; }
    int requestCount(const QString& path) const;
    // Connections still open (stalled answers keep theirs until the client gives up).
    int openConnections() const;
    // The most requests being answered at once (from arrival to the answer's last byte), and
    // the most connections open at once, since the server started.
    int peakAnswering() const { return m_peakAnswering; }
    int peakConnections() const { return m_peakConnections; }

private:
    void onNewConnection();
    void onReadable(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const HttpRequest& request);
    void send(QTcpSocket* socket, const HttpFixture& fixture);
    void answered(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QByteArray, HttpFixture> m_fixtures;
    QList<QPair<QByteArray, std::function<HttpFixture(const QByteArray&)>>> m_generators;
    QList<HttpRequest> m_requests;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QSet<QTcpSocket*> m_answered; // an answer is in progress
    bool m_lowDelay = false;
    int m_connections = 0;
    int m_peakAnswering = 0;
    int m_peakConnections = 0;
};

// A port on a loopback address that takes no connection: its queue of connections waiting to
// be accepted is full, so a new connection attempt hangs until the client gives up.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    bool isReady() const { return m_port != 0; }
    // "http://127.0.0.1:PORT" + path
    QString url(const QString& path) const;

private:
    int m_listener = -1;
    int m_filler = -1; // the one connection that fills the queue
    quint16 m_port = 0;
};

// Compresses bytes in the gzip format (for fixtures built by hand).
QByteArray gzipCompress(const QByteArray& data);

} // namespace tv::test
