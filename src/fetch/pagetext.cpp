#include "fetch/pagetext.h"

#include "fetch/encoding.h"
#include "fetch/renderedtext.h"
#include "platform/guard.h"

namespace tv {

PageKind pageKind(QByteArrayView contentType)
{
    QByteArrayView essence = contentType;
    if (const qsizetype semicolon = essence.indexOf(';'); semicolon >= 0)
        essence = essence.first(semicolon);
    const QByteArray type = essence.toByteArray().trimmed().toLower();
    if (type.isEmpty() || type == "text/html" || type == "application/xhtml+xml")
        return PageKind::Html;
    if (type == "text/plain")
        return PageKind::PlainText;
    return PageKind::Other;
}

QString pageText(const QByteArray& body, QByteArrayView contentType, QByteArray* encoding)
{
    switch (pageKind(contentType)) {
    case PageKind::Html:
        return renderedText(decodeToUtf8(body, contentType, encoding));
    case PageKind::PlainText:
        return decodePlainText(body, contentType, encoding);
    case PageKind::Other:
        break;
    }
    throw Failure(QStringLiteral("The page is of type \"%1\", not a web page or text")
                      .arg(QString::fromLatin1(contentType.toByteArray().trimmed())));
}

} // namespace tv
