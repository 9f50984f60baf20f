#include "fetch/download.h"

#include "fetch/address.h"
#include "fetch/addressdisplay.h"
#include "fetch/boundedappend.h"
#include "fetch/failurereason.h"
#include "fetch/inflater.h"
#include "fetch/pagetext.h"
#include "platform/guard.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <algorithm>

namespace tv {

namespace {

QString seconds(std::chrono::milliseconds ms)
{
    const QString n = QString::number(double(ms.count()) / 1000.0);
    return n == QLatin1String("1") ? QStringLiteral("1 second") : n + QStringLiteral(" seconds");
}

QString describeNetworkError(QNetworkReply* reply)
{
    switch (reply->error()) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("the host %1 was not found").arg(reply->url().host());
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("the server refused the connection");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("the server closed the connection before the page was complete");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("the secure connection failed (%1)").arg(reply->errorString());
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("it is not a web address");
    default: {
        // Qt's own texts may quote the whole address, password and all.
        const QString url = reply->url().toString();
        return reply->errorString().replace(url, displayAddress(url));
    }
    }
}

} // namespace

Download::Download(QNetworkAccessManager& network, const QString& url, const FetchOptions& options)
    : m_url(url), m_options(options)
{
    const QUrl target(url);
    const QString scheme = target.scheme().toLower();
    const QString unsupported = unsupportedScheme(url);
    if (url.isEmpty() || !target.isValid() || target.host().isEmpty() || !unsupported.isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        m_finished = true;
        if (url.isEmpty()) {
            m_error = QStringLiteral("Could not load the page: the address is empty");
            m_reason = QStringLiteral("no address");
        } else if (!unsupported.isEmpty()) {
            m_error = QStringLiteral("Could not load %1: %2")
                          .arg(displayAddress(url), unsupportedSchemeText(unsupported));
            m_reason = QStringLiteral("not supported");
        } else {
            m_error = QStringLiteral("Could not load %1: it is not a web address")
                          .arg(displayAddress(url));
            m_reason = QStringLiteral("not a web address");
        }
        return;
    }
    startRequest(network, target);

    const auto shortest =
        std::min({options.idleTimeout, options.totalTimeout, options.connectTimeout});
    m_tick.setInterval(std::clamp<qint64>(shortest.count() / 4, 5, 1000));
    connect(&m_tick, &QTimer::timeout, this, &Download::onTick);
    m_tick.start();
}

void Download::startRequest(QNetworkAccessManager& network, const QUrl& target)
{
    QNetworkRequest request(target);
    // Redirects are followed here, hop by hop: Qt's own following sends requests twice and
    // loses the final answer when the body is read as it arrives (Qt 6.4), and a browser
    // follows https to http too.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("User-Agent", m_options.userAgent);
    request.setRawHeader("Accept",
                         "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    request.setRawHeader("Accept-Language", "en-US,en;q=0.9");
    // Asked for by hand so that the size cap counts decompressed bytes as they arrive.
    request.setRawHeader("Accept-Encoding", "gzip, deflate");

    m_network = &network;
    m_current = target;
    m_reply = network.get(request);
    // Without a bound the network layer reads on whatever this thread is doing, and a fast
    // server fills memory long before the size cap below is checked.
    m_reply->setReadBufferSize(m_options.readBuffer);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Download::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &Download::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &Download::onReplyFinished);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &Download::progress);
    // A request that waits for a connection of Qt's own is not judged; one that connects is.
    connect(m_reply, &QNetworkReply::socketStartedConnecting, this,
            [this] { m_sinceConnecting.start(); });
    connect(m_reply, &QNetworkReply::requestSent, this, [this] { m_sinceConnecting.invalidate(); });
}

bool Download::followRedirect(int status)
{
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        return false;
    const QByteArray location = m_reply->rawHeader("Location");
    if (location.isEmpty())
        return false;
    progress();
    const QUrl next = m_current.resolved(QUrl::fromEncoded(location.trimmed()));
    if (!m_options.followRedirects) {
        m_redirectTarget = next.toString(QUrl::FullyEncoded);
        finish();
        return true;
    }
    if (++m_redirects > m_options.maxRedirects) {
        fail(QStringLiteral("it redirects more than %1 times").arg(m_options.maxRedirects),
             QStringLiteral("too many redirects"));
        return true;
    }
    const QString scheme = next.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        fail(QStringLiteral("it redirects to %1, which is not a web address")
                 .arg(displayAddress(next.toString())),
             QStringLiteral("redirected away from the web"));
        return true;
    }
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_body.clear();
    m_received = 0;
    m_inflater.reset();
    m_encodingKnown = false;
    m_sinceConnecting.invalidate();
    startRequest(*m_network, next);
    return true;
}

Download::~Download()
{
    abort();
}

void Download::abort()
{
    m_tick.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_finished = true;
}

void Download::startWaiting()
{
    if (m_waiting)
        return;
    m_waiting = true;
    m_sinceWaiting.start();
    if (!m_receiving)
        m_sinceProgress.start();
    m_idleSuspected = false;
}

void Download::progress()
{
    m_receiving = true;
    m_sinceProgress.start();
    m_idleSuspected = false;
}

void Download::onTick()
{
    if (m_finished)
        return;
    if (m_waiting && m_sinceWaiting.elapsed() >= m_options.totalTimeout.count()) {
        fail(QStringLiteral("it took longer than %1").arg(seconds(m_options.totalTimeout)),
             QStringLiteral("timed out"));
        return;
    }
    if (m_sinceConnecting.isValid() &&
        m_sinceConnecting.elapsed() >= m_options.connectTimeout.count()) {
        fail(QStringLiteral("the server did not accept a connection within %1")
                 .arg(seconds(m_options.connectTimeout)),
             QStringLiteral("timed out"));
        return;
    }
    if ((m_waiting || m_receiving) && m_sinceProgress.isValid() &&
        m_sinceProgress.elapsed() >= m_options.idleTimeout.count()) {
        // Confirmed on the next tick, so that data queued while the event loop was busy
        // elsewhere is seen before the download is given up.
        if (m_idleSuspected)
            fail(QStringLiteral("no data came for %1").arg(seconds(m_options.idleTimeout)),
                 QStringLiteral("timed out"));
        else
            m_idleSuspected = true;
    }
}

void Download::onMetaData()
{
    progress();
    m_sinceConnecting.invalidate();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_status = status;
    if (status >= 200 && status < 300 && !m_options.anyType) {
        const QByteArray type = m_reply->rawHeader("Content-Type");
        if (pageKind(type) == PageKind::Other)
            fail(QStringLiteral("it is of type \"%1\", not a web page")
                     .arg(QString::fromLatin1(type.trimmed())),
                 QStringLiteral("not a web page"));
    }
}

void Download::onReadyRead()
{
    if (m_finished || !m_reply)
        return;
    progress();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray data = m_reply->readAll();
    if (status >= 300 && status < 400)
        return; // the body of a redirect
    m_received += data.size();
    if (!m_encodingKnown) {
        m_encodingKnown = true;
        const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (encoding == "gzip" || encoding == "x-gzip") {
            m_inflater = std::make_unique<Inflater>(Inflater::Format::Gzip);
        } else if (encoding == "deflate") {
            m_inflater = std::make_unique<Inflater>(Inflater::Format::Deflate);
        } else if (!encoding.isEmpty() && encoding != "identity") {
            fail(QStringLiteral("it is sent in the encoding \"%1\", which this program cannot read")
                     .arg(QString::fromLatin1(encoding)),
                 QStringLiteral("unreadable compression"));
            return;
        }
    }
    const qint64 limit = m_options.maxBytes + 1;
    if (m_inflater) {
        try {
            m_inflater->feed(data, m_body, limit);
        } catch (const Failure&) {
            fail(QStringLiteral("its compressed data is damaged"),
                 QStringLiteral("damaged compression"));
            return;
        }
    } else {
        appendWithin(m_body, data, limit);
    }
    if (m_body.size() > m_options.maxBytes) {
        // Cut off: the first part still counts, and the cut is reported.
        m_body.truncate(m_options.maxBytes);
        m_truncated = true;
        m_contentType = m_reply->rawHeader("Content-Type");
        const int code = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (code >= 400)
            fail(QStringLiteral("the server answered %1").arg(code), statusReason(code));
        else
            finish();
    }
}

void Download::onReplyFinished()
{
    if (m_finished || !m_reply)
        return;
    onReadyRead();
    if (m_finished)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_status = status;
    if (followRedirect(status))
        return;
    if (status >= 400) {
        const QString reason = QString::fromLatin1(
            m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
        fail(QStringLiteral("the server answered %1 %2").arg(status).arg(reason).trimmed(),
             statusReason(status));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(describeNetworkError(m_reply), networkErrorReason(m_reply->error()));
        return;
    }
    // Qt resends a request whose connection broke, and may then end the second try as if the
    // body were complete: the declared length tells.
    bool declared = false;
    const qint64 length =
        m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&declared);
    if (declared && m_received < length) {
        fail(QStringLiteral("the server closed the connection before the page was complete"),
             networkErrorReason(QNetworkReply::RemoteHostClosedError));
        return;
    }
    m_contentType = m_reply->rawHeader("Content-Type");
    if (!m_options.anyType && pageKind(m_contentType) == PageKind::Other) {
        fail(QStringLiteral("it is of type \"%1\", not a web page")
                 .arg(QString::fromLatin1(m_contentType.trimmed())),
             QStringLiteral("not a web page"));
        return;
    }
    finish();
}

void Download::fail(const QString& description, const QString& reason)
{
    if (m_finished)
        return;
    m_error = QStringLiteral("Could not load %1: %2").arg(displayAddress(m_url), description);
    m_reason = reason;
    m_body.clear();
    finish();
}

void Download::finish()
{
    abort();
    m_inflater.reset();
    emit finished();
}

} // namespace tv
