#pragma once
// Which character encoding a page is in, and turning its bytes into UTF-8 or a string, the way
// browsers decide it.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tv {

// The encoding's canonical name for a web label ("latin1" gives "windows-1252"); "" when the
// label is unknown.
QByteArray encodingForLabel(QByteArrayView label);

// The charset parameter of a Content-Type value, unquoted; "" when absent.
QByteArray charsetParameter(QByteArrayView contentType);

// The encoding named by a <meta charset> or http-equiv declaration in the first 1024 bytes,
// already mapped as a browser does; "" when there is none.
QByteArray prescanMetaCharset(QByteArrayView bytes);

// True when the bytes are well-formed UTF-8.
bool isValidUtf8(QByteArrayView bytes);

struct SniffedEncoding {
    QByteArray encoding;   // canonical name
    qsizetype bomSize = 0; // bytes of byte-order mark to skip
};

// Byte-order mark, then the header's charset, then <meta>, then valid UTF-8, else
// windows-1252. Never fails.
SniffedEncoding sniffEncoding(QByteArrayView bytes, QByteArrayView contentType);

// The bytes as UTF-8 without a byte-order mark, in the sniffed encoding; invalid sequences
// become U+FFFD. `encoding`, when given, receives the encoding's name. Never fails.
QByteArray decodeToUtf8(QByteArrayView bytes, QByteArrayView contentType,
                        QByteArray* encoding = nullptr);

// The bytes as a string (for text/plain pages), same rules, without the <meta> step.
QString decodePlainText(QByteArrayView bytes, QByteArrayView contentType,
                        QByteArray* encoding = nullptr);

} // namespace tv
