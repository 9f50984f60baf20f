#include "fetch/address.h"

namespace tv {

namespace {

// The length of the scheme that `text` begins with (its letters, not the colon); 0 for none.
// "example.com:8080/x" and "user:secret@host" are a host with a port and a host with a login,
// which the address bar of a browser also reads without a scheme; "mailto:x@y" keeps its scheme.
qsizetype schemeLength(const QString& text)
{
    if (text.isEmpty() || !isSchemeStart(text.at(0)))
        return 0;
    qsizetype colon = 1;
    while (colon < text.size() && isSchemeChar(text.at(colon)))
        ++colon;
    if (colon >= text.size() || text.at(colon) != u':')
        return 0;
    const QStringView rest = QStringView(text).sliced(colon + 1);
    if (rest.startsWith(u"//"))
        return colon;
    qsizetype digits = 0;
    while (digits < rest.size() && rest.at(digits).isDigit())
        ++digits;
    if (digits > 0 && (digits == rest.size() || QStringView(u"/?#").contains(rest.at(digits))))
        return 0;
    qsizetype hostEnd = 0;
    while (hostEnd < rest.size() && !QStringView(u"/?#").contains(rest.at(hostEnd)))
        ++hostEnd;
    if (rest.first(hostEnd).contains(u'@') &&
        QStringView(text).first(colon).compare(u"mailto", Qt::CaseInsensitive) != 0)
        return 0;
    return colon;
}

} // namespace

QString completeAddress(const QString& address)
{
    qsizetype begin = 0;
    qsizetype end = address.size();
    while (begin < end && address.at(begin) == u' ')
        ++begin;
    while (end > begin && address.at(end - 1) == u' ')
        --end;
    const QString trimmed = address.mid(begin, end - begin);
    if (trimmed.size() <= 4 || schemeLength(trimmed) > 0)
        return trimmed;
    // A bare host gets the root path; an address that has a path keeps it as typed.
    const bool bareHost =
        !trimmed.contains(u'/') && !trimmed.contains(u'?') && !trimmed.contains(u'#');
    return QStringLiteral("http://") + trimmed + (bareHost ? QStringLiteral("/") : QString());
}

QString unsupportedScheme(const QString& url)
{
    const QString scheme = url.left(schemeLength(url)).toLower();
    if (scheme == u"http" || scheme == u"https")
        return QString();
    return scheme;
}

QString unsupportedSchemeText(const QString& scheme)
{
    return QStringLiteral("%1 addresses are not supported (only http and https)").arg(scheme);
}

} // namespace tv
