#pragma once
// From a downloaded page's bytes and its Content-Type to the text that is counted. In two steps
// when the page's style sheets are fetched: decodePage (which also finds the sheets it links),
// then readPage with the sheets; pageText does both without sheets.
#include "fetch/renderedtext.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrl>

namespace tv {

enum class PageKind { Html, PlainText, Other };

// text/html, application/xhtml+xml or no type at all are HTML; text/plain is plain text.
PageKind pageKind(QByteArrayView contentType);

// A page decoded, on its way to text.
struct DecodedPage {
    PageKind kind = PageKind::Html;
    QByteArray utf8Html;    // an HTML page, in UTF-8 without a byte-order mark
    QString plainText;      // a plain-text page
    QList<QUrl> sheetLinks; // the style sheets an HTML page links (when asked for)
    QByteArray encoding;    // the encoding the bytes were read in
};

// The page decoded; with `findSheets`, the addresses of the sheets it links, resolved against
// `pageUrl` (its address after redirects). Throws tv::Failure for a type that is neither HTML
// nor text.
DecodedPage decodePage(const QByteArray& body, QByteArrayView contentType, const QUrl& pageUrl = {},
                       bool findSheets = false);

// The text of a decoded page, read with the sheets fetched for it (none when null), and notes
// on what of its styles was left out; an HTML page's tree is shown to `visit` as renderPage
// shows it. Throws tv::Failure as renderPage does.
RenderedPage readPage(const DecodedPage& page, const QUrl& pageUrl = {},
                      const css::LinkedSheets* sheets = nullptr, const TreeVisitor& visit = {});

// The rendered text of an HTML page without its linked sheets, or the decoded text of a
// plain-text page; `encoding`, when given, receives the name of the encoding the bytes were read
// in. Throws tv::Failure for any other type.
QString pageText(const QByteArray& body, QByteArrayView contentType,
                 QByteArray* encoding = nullptr);

} // namespace tv
