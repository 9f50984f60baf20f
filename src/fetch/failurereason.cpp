#include "fetch/failurereason.h"

namespace tv {

QString statusReason(int status)
{
    const char* words = nullptr;
    switch (status) {
    case 400:
        words = "bad request";
        break;
    case 401:
        words = "login needed";
        break;
    case 403:
        words = "forbidden";
        break;
    case 404:
        words = "not found";
        break;
    case 410:
        words = "gone";
        break;
    case 429:
        words = "too many requests";
        break;
    case 500:
        words = "server error";
        break;
    case 502:
        words = "bad gateway";
        break;
    case 503:
        words = "unavailable";
        break;
    case 504:
        words = "gateway timed out";
        break;
    default:
        words = status >= 500 ? "server error" : "refused by the server";
        break;
    }
    return QStringLiteral("%1 (%2)").arg(QLatin1String(words)).arg(status);
}

QString networkErrorReason(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("refused");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("host not found");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connection closed");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("timed out");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("secure connection failed");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("not supported");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("proxy failed");
    default:
        return QStringLiteral("network error");
    }
}

} // namespace tv
