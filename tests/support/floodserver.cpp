#include "floodserver.h"

#include <QByteArray>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tv::test {

namespace {

using Clock = std::chrono::steady_clock;

// Waits up to `ms` for the descriptor to be ready for `events`.
bool ready(int fd, short events, int ms)
{
    pollfd p{fd, events, 0};
    return poll(&p, 1, ms) == 1 && (p.revents & events);
}

} // namespace

FloodServer::FloodServer(qint64 limit, Framing framing, std::chrono::milliseconds lifetime)
    : m_limit(limit), m_framing(framing), m_lifetime(lifetime)
{
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(m_listener, 4) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listener >= 0)
            close(m_listener);
        m_listener = -1;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

FloodServer::~FloodServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        close(m_listener);
}

QString FloodServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

qint64 FloodServer::waitUntilStalled(std::chrono::milliseconds quiet, qint64 ceiling,
                                     std::chrono::milliseconds patience) const
{
    const auto end = Clock::now() + patience;
    qint64 last = bytesSent();
    auto since = Clock::now();
    while (Clock::now() < end && last < ceiling) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const qint64 now = bytesSent();
        if (now != last) {
            last = now;
            since = Clock::now();
        } else if (Clock::now() - since >= quiet) {
            break;
        }
    }
    return bytesSent();
}

void FloodServer::serve()
{
    const auto end = Clock::now() + m_lifetime;
    const auto remaining = [&] {
        return int(std::max<qint64>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count()));
    };
    // One client, then done.
    int client = -1;
    while (client < 0 && !m_stop && remaining() > 0) {
        if (ready(m_listener, POLLIN, std::min(remaining(), 50)))
            client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    if (client < 0)
        return;
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n") && !m_stop && remaining() > 0) {
        if (!ready(client, POLLIN, std::min(remaining(), 50)))
            continue;
        const ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, got);
    }
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    head += m_framing == Framing::Chunked ? "Transfer-Encoding: chunked\r\n\r\n"
                                          : "Connection: close\r\n\r\n";
    QByteArray piece;
    for (int i = 0; piece.size() < 64 * 1024 - 16; ++i)
        piece += "flood " + QByteArray::number(i % 1000) + ' ';
    const QByteArray chunk = m_framing == Framing::Chunked
                                 ? QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n"
                                 : piece;
    // The head goes first and is not counted; then body pieces until a stop.
    QByteArray pending = head;
    bool counting = false;
    while (!m_stop && remaining() > 0 && (!pending.isEmpty() || m_sent.load() < m_limit)) {
        if (pending.isEmpty()) {
            pending = chunk;
            counting = true;
        }
        if (!ready(client, POLLOUT, std::min(remaining(), 50)))
            continue;
        const ssize_t put = send(client, pending.constData(), size_t(pending.size()), MSG_NOSIGNAL);
        if (put <= 0)
            break;
        pending.remove(0, put);
        if (counting)
            m_sent += put;
    }
    if (m_framing == Framing::Chunked && m_sent.load() >= m_limit)
        send(client, "0\r\n\r\n", 5, MSG_NOSIGNAL);
    close(client);
}

} // namespace tv::test
