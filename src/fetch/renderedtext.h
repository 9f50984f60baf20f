#pragma once
// The text of an HTML document as a browser shows it: what innerText of the root element gives
// with scripting off, following the browser's built-in style sheet and inline style attributes.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tv {

struct RenderedPage {
    QString text;
    QStringList notes; // what of the page's styles was left out, and why
};

// The rendered text of an HTML document given in UTF-8 (without a byte-order mark), with notes
// on what was left out. Bad markup never fails; a page built to multiply its tree past a memory
// budget throws tv::Failure.
RenderedPage renderPage(const QByteArray& utf8Html);

// renderPage's text alone.
QString renderedText(const QByteArray& utf8Html);

} // namespace tv
