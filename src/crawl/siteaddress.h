#pragma once
// Web addresses as a crawl compares them: one spelling per page, and the site a page is on.
#include <QString>
#include <QUrl>

namespace tv {

// A typed start address as a web address: blanks trimmed, "http://" put in front when it names
// no scheme, the path kept as typed. An invalid QUrl when it names no http or https page.
QUrl crawlStartUrl(const QString& typed);

// One spelling for one page: scheme and host in lower case, default port and fragment dropped,
// dot segments resolved, an empty path as "/"; the query, a trailing slash and "index.html" are
// kept, since servers may answer them differently. "" for anything but an http or https address
// with a host, or one longer than the bound below.
QString normalisedAddress(const QUrl& url);

// Longer addresses are not followed: generated traps grow them without end.
constexpr int kMaxAddressLength = 4096;

// "scheme://host:port" with the effective port: addresses on one site give the same text; ""
// for anything normalisedAddress refuses.
QString siteOf(const QUrl& url);

// True when `path` lies under `prefix` by whole segments: "/docs" covers "/docs", "/docs/" and
// "/docs/a" but not "/docsearch"; "/docs/" covers only what lies inside. "" covers every path.
bool isUnder(const QString& path, const QString& prefix);

// A path prefix as a user types it: "/docs/", "docs/", or an address on the site
// ("https://example.com/docs/"), whose path is taken. "" when it names no path.
QString typedPathPrefix(const QString& typed);

// The address of robots.txt for the site of `url`.
QUrl robotsAddress(const QUrl& url);

} // namespace tv
