#pragma once
// A server that answers one request with an endless page as fast as the line takes it, from a
// thread of its own, so that it keeps sending while the thread under test is busy. It stops by
// itself: after `limit` bytes of body, when the client goes away, or after `lifetime`.
//
//     tv::test::FloodServer server(256 * 1024 * 1024);
//     download(server.url());           // "http://127.0.0.1:PORT/"
//     server.bytesSent();               // how much the client let through
#include <QString>
#include <atomic>
#include <chrono>
#include <thread>

namespace tv::test {

class FloodServer {
public:
    enum class Framing { Chunked, UntilClose };

    explicit FloodServer(qint64 limit, Framing framing = Framing::Chunked,
                         std::chrono::milliseconds lifetime = std::chrono::seconds(20));
    ~FloodServer();
    FloodServer(const FloodServer&) = delete;
    FloodServer& operator=(const FloodServer&) = delete;

    bool isListening() const { return m_listener >= 0; }
    QString url() const;
    // Bytes of body handed to the line so far.
    qint64 bytesSent() const { return m_sent.load(); }
    // Waits (without events: this thread stays busy) until the amount sent has not grown for
    // `quiet`, or has passed `ceiling`, or `patience` is over; gives the amount sent.
    qint64 waitUntilStalled(std::chrono::milliseconds quiet, qint64 ceiling,
                            std::chrono::milliseconds patience) const;

private:
    void serve();

    int m_listener = -1;
    quint16 m_port = 0;
    qint64 m_limit;
    Framing m_framing;
    std::chrono::milliseconds m_lifetime;
    std::atomic<qint64> m_sent{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace tv::test
