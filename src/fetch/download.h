#pragma once
// One page download with the bounds a counting run needs: redirects, compression, time limits
// and a size cap. It runs in the event loop of the thread that owns it.
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace tv {

class Inflater;

struct FetchOptions {
    std::chrono::milliseconds idleTimeout{30000};    // no data for this long ends a download
    std::chrono::milliseconds totalTimeout{120000};  // nor may it take longer than this in all
    std::chrono::milliseconds connectTimeout{15000}; // nor may its connection take longer
    qint64 maxBytes = 64 * 1024 * 1024;              // a larger page is cut off here
    // What the network layer may read ahead of the page: beyond it the server must wait.
    qint64 readBuffer = 1024 * 1024;
    int maxRedirects = 20;
    bool styleSheets = true;     // pages are read with the style sheets they link
    bool anyType = false;        // any Content-Type is taken (robots.txt, sitemaps, style sheets)
    bool followRedirects = true; // false: a redirect ends the download, redirectTarget() says where
    // Downloads a run keeps going ahead of the page being counted; 0 downloads each page only
    // when its turn comes.
    int parallel = 32;
    // Connections to one host at a time (the browsers' HTTP/1.1 convention; Qt's own limit).
    int maxPerHost = 6;
    // Downloaded pages waiting for their turn may hold this much; past it no further download
    // starts until the count catches up.
    qint64 maxHeldBytes = 256 * 1024 * 1024;
    QByteArray userAgent = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like "
                           "Gecko) Chrome/124.0.0.0 Safari/537.36";
};

// At most, a download holds maxBytes + 1 bytes of page, readBuffer bytes not yet taken from the
// network layer, and a decompressor's state, window and output piece (under 200 KiB).
class Download : public QObject {
    Q_OBJECT
public:
    Download(QNetworkAccessManager& network, const QString& url, const FetchOptions& options);
    ~Download() override;

    // The time limits run only while someone waits for the page or data flows, so that a page
    // fetched ahead is judged as if it had been fetched when asked for.
    void startWaiting();
    // Ends the download without a result.
    void abort();

    bool isFinished() const { return m_finished; }
    // Set when finished: the description of a failure ("" on success) and the same in a few
    // words ("not found (404)", "timed out"), the page's bytes and type, and whether it was cut
    // off at the size cap.
    QString error() const { return m_error; }
    QString reason() const { return m_reason; }
    QByteArray body() const { return m_body; }
    QByteArray contentType() const { return m_contentType; }
    bool truncated() const { return m_truncated; }
    QString url() const { return m_url; }
    // The HTTP status of the last answer (after redirects); 0 when none came.
    int status() const { return m_status; }
    // Where a redirect that was not followed leads (absolute); "" otherwise.
    QString redirectTarget() const { return m_redirectTarget; }
    // The address of the last request made (the page's own address after redirects).
    QString finalUrl() const { return m_current.isEmpty() ? m_url : m_current.toString(); }

signals:
    void finished();

private:
    void startRequest(QNetworkAccessManager& network, const QUrl& target);
    // Starts the next hop when the answer is a redirect; true when it was one.
    bool followRedirect(int status);
    void onMetaData();
    void onReadyRead();
    void onReplyFinished();
    void onTick();
    void progress();
    void fail(const QString& description, const QString& reason);
    void finish();

    QString m_url;
    FetchOptions m_options;
    QNetworkAccessManager* m_network = nullptr;
    QUrl m_current;
    int m_redirects = 0;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<Inflater> m_inflater;
    bool m_encodingKnown = false;
    QTimer m_tick;
    QElapsedTimer m_sinceProgress;
    QElapsedTimer m_sinceWaiting;
    QElapsedTimer m_sinceConnecting; // runs from the start of a connection until it is made
    bool m_waiting = false;
    bool m_receiving = false;
    bool m_idleSuspected = false;
    bool m_finished = false;
    bool m_truncated = false;
    QString m_error;
    QString m_reason;
    QByteArray m_body;
    qint64 m_received = 0; // bytes as sent, before decompression
    QByteArray m_contentType;
    int m_status = 0;
    QString m_redirectTarget;
};

} // namespace tv
