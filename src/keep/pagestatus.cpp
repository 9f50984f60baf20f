#include "pagestatus.h"

#include "keep/keptpage.h"

#include <QLocale>
#include <QStringList>

namespace tv {

namespace {

QString counted(qint64 n, const char* one, const char* many)
{
    return QLocale().toString(n) + u' ' + QLatin1StringView(n == 1 ? one : many);
}

} // namespace

QString pageStatusLine(const KeptPage& page)
{
    QStringList parts;
    parts << (page.url.isEmpty() ? page.address : page.url);
    switch (page.outcome) {
    case FetchedPage::Outcome::Read:
        if (!page.encoding.isEmpty())
            parts << QString::fromLatin1(page.encoding);
        parts << counted(page.bytes, "byte", "bytes") << counted(page.words, "word", "words");
        break;
    case FetchedPage::Outcome::Failed:
        parts << QStringLiteral("not read");
        break;
    case FetchedPage::Outcome::NoPage:
        parts << QStringLiteral("no page");
        break;
    case FetchedPage::Outcome::Cancelled:
        parts << QStringLiteral("not counted");
        break;
    }
    return parts.join(QStringLiteral(" \u00b7 "));
}

QString missingTextReason(const KeptPage& page, qint64 runBytes)
{
    if (page.state == KeptPage::Text::Kept)
        return {};
    switch (page.outcome) {
    case FetchedPage::Outcome::Failed:
        return QStringLiteral("This page could not be read, so no words of it were counted: ") +
               page.error;
    case FetchedPage::Outcome::NoPage:
        return QStringLiteral("This row names no page, so nothing was counted for it.");
    case FetchedPage::Outcome::Cancelled:
        return QStringLiteral("The run was stopped before this page was counted.");
    case FetchedPage::Outcome::Read:
        break;
    }
    return QStringLiteral("The text of this page was counted but not kept: a run keeps at most "
                          "%1 MiB of page text, and its earlier pages had filled that.")
        .arg(runBytes >> 20);
}

} // namespace tv
