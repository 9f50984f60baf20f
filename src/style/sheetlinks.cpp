#include "style/sheetlinks.h"

#include "style/csstokenizer.h"
#include "style/linkedsheets.h"
#include "style/mediaqueries.h"
#include "style/stylesheet.h"

#include <QSet>
#include <cstring>
#include <vector>

namespace tv::css {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void appendUtf8(QByteArray& out, uint cp)
{
    out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1).toUtf8();
}

// The character references an href is likely to hold (&amp; in queries above all).
QByteArray decodeReferences(QByteArrayView v)
{
    if (!v.contains('&'))
        return v.toByteArray();
    QByteArray out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] != '&') {
            out += v[i];
            continue;
        }
        const qsizetype semicolon = v.indexOf(';', i);
        const QByteArrayView name = semicolon > i && semicolon - i <= 10
                                        ? v.sliced(i + 1, semicolon - i - 1)
                                        : QByteArrayView();
        uint cp = 0;
        if (name == "amp")
            cp = '&';
        else if (name == "quot")
            cp = '"';
        else if (name == "apos")
            cp = '\'';
        else if (name == "lt")
            cp = '<';
        else if (name == "gt")
            cp = '>';
        else if (name.size() > 1 && name[0] == '#') {
            bool ok = false;
            cp = (name[1] == 'x' || name[1] == 'X') ? name.sliced(2).toUInt(&ok, 16)
                                                    : name.sliced(1).toUInt(&ok, 10);
            if (!ok || cp == 0 || cp > 0x10FFFF)
                cp = 0;
        }
        if (cp == 0) {
            out += '&';
            continue;
        }
        appendUtf8(out, cp);
        i = semicolon;
    }
    return out;
}

struct Tag {
    QByteArray name; // lower case
    std::vector<std::pair<QByteArray, QByteArray>> attributes;
    const QByteArray* attribute(const char* attr) const
    {
        for (const auto& a : attributes) {
            if (a.first == attr)
                return &a.second;
        }
        return nullptr;
    }
};

class Scanner {
public:
    explicit Scanner(QByteArrayView html) : m_s(html.data()), m_n(html.size()) {}

    void run();

    QByteArray base; // the first base element's href
    bool hasBase = false;
    std::vector<QByteArray> hrefs; // links and imports, in order, as written

private:
    // Reads a start tag's name and attributes from just after its '<' to past its '>'.
    Tag readTag(qsizetype& pos, bool keepAttributes) const;
    qsizetype rawTextEnd(qsizetype pos, const QByteArray& name) const;
    void startTag(qsizetype& pos);

    const char* m_s;
    qsizetype m_n;
};

Tag Scanner::readTag(qsizetype& pos, bool keepAttributes) const
{
    Tag tag;
    const qsizetype nameBegin = pos;
    while (pos < m_n && !isSpace(m_s[pos]) && m_s[pos] != '/' && m_s[pos] != '>')
        ++pos;
    tag.name = toLowerAscii(QByteArrayView(m_s + nameBegin, pos - nameBegin));
    keepAttributes =
        keepAttributes && (tag.name == "link" || tag.name == "base" || tag.name == "style");
    while (pos < m_n && m_s[pos] != '>') {
        if (isSpace(m_s[pos]) || m_s[pos] == '/') {
            ++pos;
            continue;
        }
        const qsizetype attrBegin = pos;
        while (pos < m_n && !isSpace(m_s[pos]) && m_s[pos] != '/' && m_s[pos] != '>' &&
               m_s[pos] != '=')
            ++pos;
        const QByteArrayView attrName(m_s + attrBegin, pos - attrBegin);
        while (pos < m_n && isSpace(m_s[pos]))
            ++pos;
        QByteArrayView value;
        if (pos < m_n && m_s[pos] == '=') {
            ++pos;
            while (pos < m_n && isSpace(m_s[pos]))
                ++pos;
            if (pos < m_n && (m_s[pos] == '"' || m_s[pos] == '\'')) {
                const void* close =
                    std::memchr(m_s + pos + 1, m_s[pos], std::size_t(m_n - pos - 1));
                const qsizetype end = close ? static_cast<const char*>(close) - m_s : m_n;
                value = QByteArrayView(m_s + pos + 1, end - pos - 1);
                pos = end < m_n ? end + 1 : m_n;
            } else {
                const qsizetype begin = pos;
                while (pos < m_n && !isSpace(m_s[pos]) && m_s[pos] != '>')
                    ++pos;
                value = QByteArrayView(m_s + begin, pos - begin);
            }
        }
        if (keepAttributes) {
            const QByteArray lower = toLowerAscii(attrName);
            if (!tag.attribute(lower.constData()))
                tag.attributes.emplace_back(lower, decodeReferences(value));
        }
    }
    if (pos < m_n)
        ++pos;
    return tag;
}

qsizetype Scanner::rawTextEnd(qsizetype pos, const QByteArray& name) const
{
    while (pos < m_n) {
        const void* lt = std::memchr(m_s + pos, '<', std::size_t(m_n - pos));
        if (!lt)
            return m_n;
        pos = static_cast<const char*>(lt) - m_s;
        const qsizetype after = pos + 2 + name.size();
        if (after <= m_n && m_s[pos + 1] == '/' &&
            equalsLower(QByteArrayView(m_s + pos + 2, name.size()), name) &&
            (after == m_n || isSpace(m_s[after]) || m_s[after] == '>' || m_s[after] == '/'))
            return pos;
        ++pos;
    }
    return m_n;
}

bool applies(const Tag& tag)
{
    const QByteArray* media = tag.attribute("media");
    const QByteArray* type = tag.attribute("type");
    return (media == nullptr || mediaMatches(*media)) &&
           typeIsCss(type ? type->constData() : nullptr);
}

void Scanner::startTag(qsizetype& pos)
{
    const Tag tag = readTag(pos, true);
    if (tag.name == "link") {
        const QByteArray* rel = tag.attribute("rel");
        const QByteArray* href = tag.attribute("href");
        if (rel && href && relIsStyleSheet(*rel) && !tag.attribute("disabled") && applies(tag))
            hrefs.push_back(*href);
    } else if (tag.name == "base") {
        const QByteArray* href = tag.attribute("href");
        if (href && !hasBase) {
            hasBase = true;
            base = *href;
        }
    } else if (tag.name == "plaintext") {
        pos = m_n;
    }
    static const char* const rawText[] = {"script", "style",  "textarea", "title",
                                          "xmp",    "iframe", "noembed",  "noframes"};
    for (const char* raw : rawText) {
        if (tag.name != raw)
            continue;
        const qsizetype end = rawTextEnd(pos, tag.name);
        if (tag.name == "style" && applies(tag)) {
            for (const ImportRule& import :
                 StyleSheet::leadingImports(QByteArrayView(m_s + pos, end - pos))) {
                if (import.applies)
                    hrefs.push_back(import.url);
            }
        }
        pos = end;
        return;
    }
}

void Scanner::run()
{
    qsizetype pos = 0;
    while (pos < m_n) {
        const void* lt = std::memchr(m_s + pos, '<', std::size_t(m_n - pos));
        if (!lt)
            return;
        pos = static_cast<const char*>(lt) - m_s + 1;
        if (pos >= m_n)
            return;
        const char c = m_s[pos];
        if (isLetter(c)) {
            startTag(pos);
        } else if (c == '!' && pos + 2 < m_n && m_s[pos + 1] == '-' && m_s[pos + 2] == '-') {
            const void* end = memmem(m_s + pos + 3, std::size_t(m_n - pos - 3), "-->", 3);
            pos = end ? static_cast<const char*>(end) - m_s + 3 : m_n;
        } else if (c == '!' || c == '?' || c == '/') {
            const void* gt = std::memchr(m_s + pos, '>', std::size_t(m_n - pos));
            pos = gt ? static_cast<const char*>(gt) - m_s + 1 : m_n;
        }
    }
}

} // namespace

QList<QUrl> findSheetLinks(QByteArrayView utf8Html, const QUrl& pageUrl)
{
    Scanner scanner(utf8Html);
    scanner.run();
    QUrl base = pageUrl;
    if (scanner.hasBase) {
        const QUrl resolved = pageUrl.resolved(QUrl(QString::fromUtf8(scanner.base).trimmed()));
        base = resolved.isValid() ? resolved : pageUrl;
    }
    QList<QUrl> out;
    QSet<QString> seen;
    for (const QByteArray& href : scanner.hrefs) {
        const QUrl url = resolveHref(base, href);
        if (url.isValid() && !seen.contains(sheetKey(url))) {
            seen.insert(sheetKey(url));
            out << url;
        }
    }
    return out;
}

} // namespace tv::css
