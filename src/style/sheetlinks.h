#pragma once
// The style sheets a page will ask for, found before it is parsed: a light scan of its tags
// (comments and raw text such as scripts skipped) for <link rel="stylesheet">, the first
// <base href>, and the @import rules that lead its <style> elements. The page's text later
// finds the same addresses in its parsed tree (pagesheets.h); a sheet the scan misses is only
// left out, never fetched from somewhere else.
#include <QByteArrayView>
#include <QList>
#include <QUrl>

namespace tv::css {

// The addresses of the sheets a page links and imports, resolved against its <base href> and
// `pageUrl` (its address after redirects), in document order, each once; only http and https,
// only sheets whose media applies.
QList<QUrl> findSheetLinks(QByteArrayView utf8Html, const QUrl& pageUrl);

} // namespace tv::css
