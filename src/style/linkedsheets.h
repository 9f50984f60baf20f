#pragma once
// The style sheets a page links to, as they came from the network, by address; and the one rule
// both the loader and the page's text use to turn an href into that address, so that what was
// fetched is what is found.
#include "style/stylesheet.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QUrl>

namespace tv::css {

// A fetched sheet, and the address it came from in the end (after redirects), which its own
// @import rules resolve against.
struct LinkedSheet {
    SheetPointer sheet;
    QUrl url;
};

// Sheets by sheetKey() of the address a page (or an importing sheet) asked for; imported sheets
// are in the same map.
using LinkedSheets = QHash<QString, LinkedSheet>;

// The address an href (of a link, an @import or a base element) names, resolved against
// `base`; an invalid address for hrefs that are empty, cannot be read, or lead to anything but
// http and https.
QUrl resolveHref(const QUrl& base, QByteArrayView href);
// How a sheet's address is looked up: the fragment dropped, fully encoded.
QString sheetKey(const QUrl& url);

// Whether a link's rel attribute makes it a style sheet a browser applies (stylesheet, and not
// an alternate one).
bool relIsStyleSheet(QByteArrayView rel);
// Whether a type attribute (of a link or style element) leaves it CSS: absent, empty, or
// text/css.
bool typeIsCss(const char* type);

// Imports followed from a sheet, one inside the other, at most this deep.
inline constexpr int kMaxImportDepth = 4;

} // namespace tv::css
