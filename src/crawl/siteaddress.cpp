#include "crawl/siteaddress.h"

namespace tv {

namespace {

int defaultPort(const QString& scheme)
{
    return scheme == QLatin1String("https") ? 443 : 80;
}

bool isWebScheme(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// RFC 3986's remove_dot_segments. QUrl's NormalizePathSegments (Qt 6.4) turns "/a/./b/../c"
// into "/a//c".
QString withoutDotSegments(const QString& path)
{
    QStringList out;
    const QStringList segments = path.split(u'/');
    for (qsizetype i = 1; i < segments.size(); ++i) {
        const QString& segment = segments[i];
        const bool last = i == segments.size() - 1;
        if (segment == QLatin1String(".")) {
            if (last)
                out << QString();
        } else if (segment == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            if (last)
                out << QString();
        } else {
            out << segment;
        }
    }
    return u'/' + out.join(u'/');
}

} // namespace

QUrl crawlStartUrl(const QString& typed)
{
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty())
        return {};
    // "host:8080/path" parses as the scheme "host": a scheme counts as typed when "://"
    // follows it, or when what follows the colon is no port ("mailto:me@example.com").
    bool schemeTyped = trimmed.contains(QLatin1String("://"));
    if (const qsizetype colon = trimmed.indexOf(u':'); !schemeTyped && colon > 0) {
        qsizetype end = colon + 1;
        while (end < trimmed.size() && trimmed.at(end).isDigit())
            ++end;
        const bool port = end > colon + 1 && (end == trimmed.size() || trimmed.at(end) == u'/' ||
                                              trimmed.at(end) == u'?' || trimmed.at(end) == u'#');
        schemeTyped = !port && !QUrl(trimmed).scheme().isEmpty();
    }
    const QUrl url(schemeTyped ? trimmed : QStringLiteral("http://") + trimmed);
    if (!url.isValid() || url.host().isEmpty() || !isWebScheme(url.scheme().toLower()))
        return {};
    return url;
}

QString normalisedAddress(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    if (!isWebScheme(scheme))
        return {};
    QUrl u = url.adjusted(QUrl::RemoveFragment);
    u.setScheme(scheme);
    const QString path = u.path(QUrl::FullyEncoded);
    if (path.contains(QLatin1String("/.")))
        u.setPath(withoutDotSegments(path), QUrl::TolerantMode);
    if (u.port() == defaultPort(scheme))
        u.setPort(-1);
    if (u.path().isEmpty())
        u.setPath(QStringLiteral("/"));
    const QString text = u.toString(QUrl::FullyEncoded);
    return text.size() > kMaxAddressLength ? QString() : text;
}

QString siteOf(const QUrl& url)
{
    if (normalisedAddress(url).isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    return scheme + QStringLiteral("://") + url.host(QUrl::FullyEncoded).toLower() + u':' +
           QString::number(url.port(defaultPort(scheme)));
}

bool isUnder(const QString& path, const QString& prefix)
{
    if (prefix.isEmpty() || prefix == QLatin1String("/"))
        return true;
    if (prefix.endsWith(u'/'))
        return path.startsWith(prefix);
    return path == prefix || path.startsWith(prefix + u'/');
}

QString typedPathPrefix(const QString& typed)
{
    QString path = typed.trimmed();
    if (path.contains(QLatin1String("://"))) {
        const QUrl url(path, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty())
            return QString();
        path = url.path(QUrl::FullyEncoded);
    }
    if (path.isEmpty())
        return QString();
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    return path;
}

QUrl robotsAddress(const QUrl& url)
{
    QUrl robots;
    robots.setScheme(url.scheme().toLower());
    robots.setHost(url.host());
    robots.setPort(url.port());
    robots.setPath(QStringLiteral("/robots.txt"));
    return robots;
}

} // namespace tv
