#pragma once
// The text of an HTML document as a browser shows it: what innerText of the root element gives
// with scripting off, following the browser's built-in style sheet, the page's own <style>
// elements and style attributes, and the linked style sheets fetched for it.
#include "style/linkedsheets.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

struct GumboInternalOutput;

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

// Shown the tree a page's text is read from, with the page's bytes, on the thread that reads the
// text, so that another reading of the page needs no parse of its own. Only called when the tree
// is of those bytes as given: not when the nesting bound or the disguise of control characters
// changed them, nor for a page parsed again with a tighter bound. The tree goes when it returns.
using TreeVisitor =
    std::function<void(const GumboInternalOutput& tree, const QByteArray& utf8Html)>;

// renderPage, with `visit` also shown the tree.
RenderedPage renderPage(const QByteArray& utf8Html, const QUrl& pageUrl,
                        const css::LinkedSheets* sheets, const TreeVisitor& visit);

// renderPage's text alone, for a page read without linked sheets.
QString renderedText(const QByteArray& utf8Html);

} // namespace tv
