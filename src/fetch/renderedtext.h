#pragma once
// The text of an HTML document as a browser shows it: what innerText of the root element gives
// with scripting off, following the browser's built-in style sheet, the page's own <style>
// elements and style attributes, and the linked style sheets fetched for it.
#include "style/linkedsheets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tv {

struct RenderedPage {
    QString text;
    QStringList notes; // what of the page's styles was left out, and why
};

// The rendered text of an HTML document given in UTF-8 (without a byte-order mark), with notes
// on what was left out. `pageUrl` (the address it came from, after redirects) resolves the
// addresses of its linked sheets, which are looked up in `sheets` (none when null). Bad markup
// never fails; a page built to multiply its tree past a memory budget throws tv::Failure.
RenderedPage renderPage(const QByteArray& utf8Html, const QUrl& pageUrl = {},
                        const css::LinkedSheets* sheets = nullptr);

// renderPage's text alone, for a page read without linked sheets.
QString renderedText(const QByteArray& utf8Html);

} // namespace tv
