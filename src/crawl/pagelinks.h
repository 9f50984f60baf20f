#pragma once
// The links a crawler follows from one HTML page: every <a href> (hidden ones too, as crawlers
// read the markup, not the screen), resolved against the page's address and its <base href>.
#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <QUrl>
#include <optional>

struct GumboInternalOutput;

namespace tv {

struct PageLinks {
    // Normalised http and https addresses in document order, each once; links marked
    // rel="nofollow" and links to other schemes (mailto:, javascript:, file:, ...) left out.
    QStringList addresses;
    // The page asks robots not to follow its links (<meta name="robots" content="nofollow">,
    // or "none"); `addresses` is then empty.
    bool nofollowPage = false;
    int nofollowLinks = 0; // links left out for rel="nofollow"
    bool cut = false;      // the page holds more links than the bound; the first were taken
};

// The links of an HTML page given as fetched (bytes and Content-Type) from `pageUrl`, its final
// address. A <meta name> equal to `productToken` counts as one for "robots". Throws
// tv::Failure only for a page built to make the parse take more memory than it may.
PageLinks pageLinks(const QByteArray& body, QByteArrayView contentType, const QUrl& pageUrl,
                    QByteArrayView productToken = "tallyvane", int maxLinks = 50000);

// The links of an HTML page read from the tree its text was read from (the page's UTF-8 bytes
// parsed as they stand), the same as pageLinks gives them; nothing when that tree cannot show
// them the same (an <a> the parse cloned, moved or left out, a link in SVG, a foster-parented
// node, an "<a" that is no start tag): pageLinks' own parse then reads them.
std::optional<PageLinks> linksFromTree(const GumboInternalOutput& tree, const QByteArray& utf8Html,
                                       const QUrl& pageUrl,
                                       QByteArrayView productToken = "tallyvane",
                                       int maxLinks = 50000);

} // namespace tv
