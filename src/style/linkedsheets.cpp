#include "style/linkedsheets.h"

#include "style/csstokenizer.h"

namespace tv::css {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

} // namespace

QUrl resolveHref(const QUrl& base, QByteArrayView href)
{
    // As the URL parser does: white space around goes, tabs and line breaks inside go.
    while (!href.isEmpty() && isSpace(href.front()))
        href = href.sliced(1);
    while (!href.isEmpty() && isSpace(href.back()))
        href.chop(1);
    if (href.isEmpty())
        return {};
    QByteArray cleaned;
    cleaned.reserve(href.size());
    for (char c : href) {
        if (c != '\t' && c != '\n' && c != '\r')
            cleaned += c;
    }
    const QUrl relative(QString::fromUtf8(cleaned), QUrl::TolerantMode);
    if (!relative.isValid())
        return {};
    const QUrl url = relative.isRelative() ? base.resolved(relative) : relative;
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {};
    return url;
}

QString sheetKey(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

bool relIsStyleSheet(QByteArrayView rel)
{
    bool sheet = false;
    bool alternate = false;
    qsizetype i = 0;
    while (i < rel.size()) {
        while (i < rel.size() && isSpace(rel[i]))
            ++i;
        qsizetype j = i;
        while (j < rel.size() && !isSpace(rel[j]))
            ++j;
        const QByteArrayView word = rel.sliced(i, j - i);
        sheet = sheet || equalsLower(word, "stylesheet");
        alternate = alternate || equalsLower(word, "alternate");
        i = j;
    }
    return sheet && !alternate;
}

bool typeIsCss(const char* type)
{
    if (type == nullptr)
        return true;
    QByteArrayView t(type);
    if (const qsizetype semicolon = t.indexOf(';'); semicolon >= 0)
        t = t.first(semicolon);
    while (!t.isEmpty() && isSpace(t.front()))
        t = t.sliced(1);
    while (!t.isEmpty() && isSpace(t.back()))
        t.chop(1);
    return t.isEmpty() || equalsLower(t, "text/css");
}

} // namespace tv::css
