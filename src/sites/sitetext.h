#pragma once
// Turning the bytes of one line of a site-list file into text.
#include <QByteArrayView>
#include <QString>

namespace tv {

// The line as UTF-8 when its bytes are valid UTF-8, else in the 8-bit system code page.
// Never fails: every byte becomes a character, NUL included.
QString decodeSiteLine(QByteArrayView bytes);
// The bytes in the 8-bit system code page: the Windows code page where there is one, else
// windows-1252 (a Unix locale is UTF-8, which cannot read what this fallback is for).
QString decodeLegacy8Bit(QByteArrayView bytes);
// windows-1252; the five bytes it leaves unassigned become the C1 controls of the same value.
QString decodeWindows1252(QByteArrayView bytes);

} // namespace tv
