#include "crawl/sitemapcontent.h"

#include "crawl/siteaddress.h"
#include "fetch/inflater.h"
#include "platform/guard.h"

#include <QSet>
#include <QXmlStreamReader>

namespace tv {

namespace {

bool isGzip(const QByteArray& bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
           static_cast<unsigned char>(bytes[1]) == 0x8b;
}

// The file's own bytes: gzip undone (twice, for a .gz file also sent with a gzip content
// encoding that was not undone on the way), at most `limit` of them.
QByteArray uncompressed(const QByteArray& bytes, qint64 limit, QString& problem)
{
    QByteArray data = bytes;
    for (int layer = 0; layer < 2 && isGzip(data); ++layer) {
        // What came out before damage or a cut is kept: the entries in it are whole.
        QByteArray out;
        Inflater inflater(Inflater::Format::Gzip);
        try {
            inflater.feed(data, out, limit + 1);
        } catch (const Failure&) {
            problem = QStringLiteral("its compressed data is damaged");
            return out;
        }
        if (!inflater.finished() && out.size() <= limit) {
            problem = QStringLiteral("its compressed data is cut short");
            return out;
        }
        data = std::move(out);
    }
    if (data.size() > limit) {
        data.truncate(limit);
        problem =
            QStringLiteral("it is larger than %1 bytes: only its beginning was read").arg(limit);
    }
    return data;
}

class Collector {
public:
    Collector(const QUrl& base, int maxEntries, SitemapContent& content)
        : m_base(base), m_maxEntries(maxEntries), m_content(content)
    {
    }

    // False once the entry limit is passed. A relative entry is taken only from XML: in a plain
    // list it is more likely a stray line than an address.
    bool add(const QString& text, bool relativeAllowed)
    {
        const QUrl url(text.trimmed(), QUrl::TolerantMode);
        if (url.isRelative() && !relativeAllowed)
            return true;
        const QString address = normalisedAddress(m_base.resolved(url));
        if (address.isEmpty() || m_seen.contains(address))
            return true;
        if (m_content.addresses.size() >= m_maxEntries) {
            m_content.problem =
                QStringLiteral("it names more than %1 addresses: only the first %1 were taken")
                    .arg(m_maxEntries);
            return false;
        }
        m_seen.insert(address);
        m_content.addresses << address;
        return true;
    }

private:
    QUrl m_base;
    int m_maxEntries;
    SitemapContent& m_content;
    QSet<QString> m_seen;
};

void readTextList(const QByteArray& data, Collector& collector)
{
    for (const QByteArray& line : data.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !collector.add(QString::fromUtf8(trimmed), false))
            return;
    }
}

void readXml(const QByteArray& data, Collector& collector, SitemapContent& content)
{
    QXmlStreamReader xml(data);
    QList<QString> open; // names of the open elements, the root first
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (!open.isEmpty())
                open.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        // Local names: sitemaps come with and without the protocol's namespace, and extensions
        // (<image:loc>) live in others.
        const QString name = xml.name().toString();
        if (open.isEmpty()) {
            if (name == QLatin1String("urlset")) {
                content.kind = SitemapContent::Kind::Pages;
            } else if (name == QLatin1String("sitemapindex")) {
                content.kind = SitemapContent::Kind::Index;
            } else {
                content.problem =
                    QStringLiteral("it is not a sitemap (its first element is <%1>)").arg(name);
                return;
            }
        }
        const QLatin1String entry(content.kind == SitemapContent::Kind::Pages ? "url" : "sitemap");
        if (name == QLatin1String("loc") && open.size() == 2 && open.last() == entry) {
            const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
            if (xml.hasError())
                break; // the text may be cut anywhere
            if (!collector.add(text, true))
                return;
            continue; // the reader stands on the end of <loc>
        }
        open.append(name);
    }
    if (xml.hasError() && content.problem.isEmpty())
        content.problem = QStringLiteral("it is not well-formed XML (line %1: %2)")
                              .arg(xml.lineNumber())
                              .arg(xml.errorString());
}

} // namespace

SitemapContent readSitemap(const QByteArray& bytes, const QUrl& address,
                           const SitemapLimits& limits)
{
    SitemapContent content;
    QString cut;
    const QByteArray data = uncompressed(bytes, limits.maxBytes, cut);
    if (data.isEmpty()) {
        content.problem = cut.isEmpty() ? QStringLiteral("it is empty") : cut;
        return content;
    }
    Collector collector(address, limits.maxEntries, content);
    qsizetype first = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (first < data.size() && QChar::isSpace(uchar(data[first])))
        ++first;
    if (first < data.size() && data[first] == '<') {
        readXml(data, collector, content);
    } else {
        content.kind = SitemapContent::Kind::Pages;
        readTextList(data, collector);
    }
    // A file cut at the size limit ends in the middle: that is the problem to tell.
    if (!cut.isEmpty())
        content.problem = cut;
    return content;
}

} // namespace tv
