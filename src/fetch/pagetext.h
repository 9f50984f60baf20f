#pragma once
// From a downloaded page's bytes and its Content-Type to the text that is counted.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tv {

enum class PageKind { Html, PlainText, Other };

// text/html, application/xhtml+xml or no type at all are HTML; text/plain is plain text.
PageKind pageKind(QByteArrayView contentType);

// The rendered text of an HTML page, or the decoded text of a plain-text page; `encoding`, when
// given, receives the name of the encoding the bytes were read in. Throws tv::Failure for any
// other type.
QString pageText(const QByteArray& body, QByteArrayView contentType,
                 QByteArray* encoding = nullptr);

} // namespace tv
