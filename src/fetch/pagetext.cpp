#include "fetch/pagetext.h"

#include "fetch/encoding.h"
#include "platform/guard.h"
#include "style/sheetlinks.h"

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

DecodedPage decodePage(const QByteArray& body, QByteArrayView contentType, const QUrl& pageUrl,
                       bool findSheets)
{
    DecodedPage page;
    page.kind = pageKind(contentType);
    switch (page.kind) {
    case PageKind::Html:
        page.utf8Html = decodeToUtf8(body, contentType, &page.encoding);
        if (findSheets)
            page.sheetLinks = css::findSheetLinks(page.utf8Html, pageUrl);
        return page;
    case PageKind::PlainText:
        page.plainText = decodePlainText(body, contentType, &page.encoding);
        return page;
    case PageKind::Other:
        break;
    }
    throw Failure(QStringLiteral("The page is of type \"%1\", not a web page or text")
                      .arg(QString::fromLatin1(contentType.toByteArray().trimmed())));
}

RenderedPage readPage(const DecodedPage& page, const QUrl& pageUrl, const css::LinkedSheets* sheets,
                      const TreeVisitor& visit)
{
    if (page.kind == PageKind::PlainText)
        return RenderedPage{page.plainText, {}};
    return renderPage(page.utf8Html, pageUrl, sheets, visit);
}

QString pageText(const QByteArray& body, QByteArrayView contentType, QByteArray* encoding)
{
    const DecodedPage page = decodePage(body, contentType);
    if (encoding)
        *encoding = page.encoding;
    return readPage(page).text;
}

} // namespace tv
