#pragma once
// What one sitemap file holds: page addresses (a urlset, or a plain list of addresses) or the
// addresses of further sitemaps (a sitemap index). Gzip-compressed files are undone first.
#include <QByteArray>
#include <QStringList>
#include <QUrl>

namespace tv {

struct SitemapLimits {
    qint64 maxBytes = 50 * 1024 * 1024; // uncompressed, as the sitemap protocol allows
    int maxEntries = 50000;             // per file, as the protocol allows
};

struct SitemapContent {
    enum class Kind { Pages, Index, NotASitemap };
    Kind kind = Kind::NotASitemap;
    // Absolute http and https addresses in the file's order, fragments dropped, each once.
    QStringList addresses;
    // Why the file was not read to its end ("" when it was): bad XML, cut at a limit, ...
    // What was read before stays in `addresses`.
    QString problem;
};

// Reads a sitemap fetched from `address` (relative entries are resolved against it). XML goes
// through QXmlStreamReader; a file that does not begin with "<" is read as one address per line.
// Never throws: damage ends the reading, and `problem` says why.
SitemapContent readSitemap(const QByteArray& bytes, const QUrl& address,
                           const SitemapLimits& limits = {});

} // namespace tv
