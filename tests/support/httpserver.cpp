#include "httpserver.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

namespace tv::test {

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// windowBits: 31 gzip, 15 zlib, -15 bare deflate.
QByteArray compress(const QByteArray& data, int windowBits)
{
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        qFatal("deflateInit2 failed");
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))) + 64, Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    if (deflate(&zs, Z_FINISH) != Z_STREAM_END)
        qFatal("deflate failed");
    out.truncate(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

} // namespace

QByteArray gzipCompress(const QByteArray& data)
{
    return compress(data, 31);
}

HttpFixture HttpFixture::page(const QByteArray& body, const QByteArray& contentType)
{
    HttpFixture f;
    f.body = body;
    f.header("Content-Type", contentType);
    return f;
}

HttpFixture HttpFixture::html(const QByteArray& body)
{
    return page(body, "text/html; charset=utf-8");
}

HttpFixture HttpFixture::redirect(const QByteArray& location, int status)
{
    HttpFixture f;
    f.status = status;
    f.header("Location", location);
    f.header("Content-Type", "text/html");
    f.body = "<p>moved</p>";
    return f;
}

HttpFixture HttpFixture::error(int status, const QByteArray& body)
{
    HttpFixture f = html(body);
    f.status = status;
    return f;
}

HttpFixture& HttpFixture::header(const QByteArray& name, const QByteArray& value)
{
    headers.append(qMakePair(name, value));
    return *this;
}

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const auto& h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

HttpServer::HttpServer(const QHostAddress& address)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::onNewConnection);
    m_server.listen(address, 0);
}

HttpServer::~HttpServer()
{
    m_server.close();
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
        socket->abort();
}

QString HttpServer::url(const QString& path) const
{
    return QStringLiteral("http://%1:%2%3")
        .arg(m_server.serverAddress().toString())
        .arg(port())
        .arg(path);
}

QString HttpServer::siteAddress(const QString& path) const
{
    return QStringLiteral("%1:%2%3").arg(m_server.serverAddress().toString()).arg(port()).arg(path);
}

void HttpServer::serve(const QString& path, const HttpFixture& fixture)
{
    m_fixtures.insert(path.toUtf8(), fixture);
}

void HttpServer::serveGenerated(const QString& prefix,
                                const std::function<HttpFixture(const QByteArray& path)>& make)
{
    m_generators.append(qMakePair(prefix.toUtf8(), make));
}

void HttpServer::clear()
{
    m_fixtures.clear();
    m_generators.clear();
    m_requests.clear();
}

int HttpServer::requestCount(const QString& path) const
{
    const QByteArray p = path.toUtf8();
    int n = 0;
    for (const HttpRequest& r : m_requests)
        n += r.path == p ? 1 : 0;
    return n;
}

int HttpServer::openConnections() const
{
    int n = 0;
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>())
        n += socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    return n;
}

void HttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_lowDelay)
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // Sockets stay children of the server, so that closing the server ends them all.
        m_peakConnections = std::max(m_peakConnections, ++m_connections);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            --m_connections;
            m_buffers.remove(socket);
            m_answered.remove(socket);
            socket->deleteLater();
        });
    }
}

void HttpServer::onReadable(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    // One answer at a time on a connection; the next request waits in the buffer.
    if (m_answered.contains(socket))
        return;
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    buffer.remove(0, end + 4);
    HttpRequest request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.append(
                qMakePair(lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()));
    }
    m_requests.append(request);
    m_answered.insert(socket);
    m_peakAnswering = std::max(m_peakAnswering, int(m_answered.size()));
    answer(socket, request);
}

void HttpServer::answered(QTcpSocket* socket)
{
    m_answered.remove(socket);
    if (m_buffers.value(socket).contains("\r\n\r\n"))
        QTimer::singleShot(0, socket, [this, socket] { onReadable(socket); });
}

void HttpServer::answer(QTcpSocket* socket, const HttpRequest& request)
{
    const auto it = m_fixtures.constFind(request.path);
    HttpFixture fixture =
        it == m_fixtures.constEnd() ? HttpFixture::error(404, "<p>no such fixture</p>") : *it;
    for (const auto& generator : m_generators) {
        if (it == m_fixtures.constEnd() && request.path.startsWith(generator.first)) {
            fixture = generator.second(request.path);
            break;
        }
    }
    if (fixture.delay.count() > 0) {
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(fixture.delay, this, [this, guard, fixture] {
            if (guard)
                send(guard, fixture);
        });
        return;
    }
    send(socket, fixture);
}

void HttpServer::send(QTcpSocket* socket, const HttpFixture& fixture)
{
    QByteArray body = fixture.body;
    QByteArray encoding;
    switch (fixture.encoding) {
    case HttpFixture::Encoding::Identity:
        break;
    case HttpFixture::Encoding::Gzip:
        body = compress(body, 31);
        encoding = "gzip";
        break;
    case HttpFixture::Encoding::Deflate:
        body = compress(body, 15);
        encoding = "deflate";
        break;
    case HttpFixture::Encoding::RawDeflate:
        body = compress(body, -15);
        encoding = "deflate";
        break;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(fixture.status) + ' ' +
                      (fixture.reason.isEmpty() ? reasonPhrase(fixture.status) : fixture.reason) +
                      "\r\n";
    for (const auto& h : fixture.headers)
        head += h.first + ": " + h.second + "\r\n";
    if (!encoding.isEmpty())
        head += "Content-Encoding: " + encoding + "\r\n";
    if (fixture.sendLength)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "\r\n";
    socket->write(head);

    const qsizetype cut = fixture.resetAfter >= 0   ? fixture.resetAfter
                          : fixture.stallAfter >= 0 ? fixture.stallAfter
                                                    : body.size();
    socket->write(body.left(cut));
    if (fixture.resetAfter >= 0) {
        socket->flush();
        // Zero linger turns the close into a reset, as when a server dies mid-answer.
        QTimer::singleShot(20, socket, [socket] {
            const linger hard{1, 0};
            setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            socket->abort();
        });
        return;
    }
    if (fixture.stallAfter >= 0) {
        if (fixture.resumeAfter.count() > 0) {
            QPointer<QTcpSocket> guard(socket);
            const QByteArray rest = body.mid(cut);
            QTimer::singleShot(fixture.resumeAfter, this, [this, guard, rest, fixture] {
                if (!guard)
                    return;
                guard->write(rest);
                if (fixture.sendLength)
                    answered(guard);
                else
                    guard->disconnectFromHost();
            });
            return;
        }
        if (fixture.trickle.count() > 0 && cut < body.size()) {
            auto* timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(cut);
            connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent] {
                if (*sent >= body.size()) {
                    timer->stop();
                    return;
                }
                socket->write(body.mid((*sent)++, 1));
            });
            timer->start(fixture.trickle);
        }
        return; // the connection stays open and silent
    }
    if (!fixture.sendLength) {
        socket->disconnectFromHost(); // the end of the body is the end of the connection
        return;
    }
    answered(socket);
}

UnansweredPort::UnansweredPort()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(m_listener, 0) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    // A backlog of 0 holds one connection that is never accepted; after it, the system drops
    // every further attempt, which the client then retries until it gives up.
    m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_filler < 0 || ::connect(m_filler, reinterpret_cast<sockaddr*>(&address), size) != 0)
        return;
    m_port = ntohs(address.sin_port);
}

UnansweredPort::~UnansweredPort()
{
    if (m_filler >= 0)
        ::close(m_filler);
    if (m_listener >= 0)
        ::close(m_listener);
}

QString UnansweredPort::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

} // namespace tv::test
