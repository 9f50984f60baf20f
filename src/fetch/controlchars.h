#pragma once
// gumbo turns control characters (U+0001-U+001F but white space, U+007F-U+009F) into U+FFFD,
// while browsers keep them; some legacy pages are full of them (windows-1252 0x81). They pass
// the parse disguised as private-use characters of the last plane.
#include <QByteArray>
#include <QString>

namespace tv {

// The UTF-8 page with its control characters disguised; the same bytes when it has none.
QByteArray disguiseControls(const QByteArray& html);
// Turns the disguised characters in a rendered text back into the controls.
void revealControls(QString& text);

} // namespace tv
