#include "samplepages.h"

namespace tv::test {

namespace {

QStringList vocabulary()
{
    return {
        QStringLiteral("alpha"),
        QStringLiteral("Alpha"),
        QStringLiteral("Zeta"),
        QStringLiteral("tab\tinside"),
        QStringLiteral("back\\slash"),
        QStringLiteral("quote\"d"),
        QStringLiteral("it's"),
        QStringLiteral("\\N"),
        QStringLiteral("\\."),
        QStringLiteral("line\nbreak"),
        QStringLiteral("carriage\rreturn"),
        QStringLiteral("na\u00efve"),
        QStringLiteral("\uFF21"),      // fullwidth A: after the emoji in UTF-16 order
        QStringLiteral("\U0001F600x"), // before it in UTF-16 order, after in UTF-8
        QStringLiteral("\u0434\u043e\u043c"),
        QString(300, u'w'),                       // stored as its first 255 characters
        QString(255, u'w') + QStringLiteral("!"), // the same stored word
    };
}

} // namespace

std::vector<PageRecord> samplePages(int count)
{
    const QStringList words = vocabulary();
    std::vector<PageRecord> pages;
    for (int row = 1; row <= count; ++row) {
        PageRecord page;
        page.row = row;
        if (row % 23 == 0) {
            page.outcome = PageOutcome::NoPage; // an empty row of the list
            pages.push_back(page);
            continue;
        }
        page.site = QStringLiteral("http://site%1.test/\"q\"\\path\tx").arg(row);
        if (row % 17 == 0) {
            page.outcome = PageOutcome::Failed;
            page.detail = QStringLiteral("HTTP 404 \"Not Found\"");
            pages.push_back(page);
            continue;
        }
        const int distinct = 3 + row % 7;
        for (int k = 0; k < distinct; ++k) {
            page.words.push_back({words[(row * 7 + k * 5) % words.size()], (row + k) % 5 + 1});
        }
        page.words.push_back({QStringLiteral("page%1").arg(row % 40), qint64(row % 3 + 1)});
        pages.push_back(page);
    }
    return pages;
}

QStringList sampleSites(const std::vector<PageRecord>& pages)
{
    QStringList sites;
    for (const PageRecord& page : pages)
        sites << page.site;
    return sites;
}

QStringList reportLines(PgWordStore& store, const QString& run, ReportKind kind)
{
    QStringList lines;
    store.report(run, kind, [&](const ReportRow& r) {
        lines << QStringLiteral("%1|%2|%3|%4")
                     .arg(QString::number(r.row), r.site, r.word, QString::number(r.count));
    });
    return lines;
}

int recordAll(PgWordStore& store, const std::vector<PageRecord>& pages)
{
    int stored = 0;
    for (const int row : store.rowsToCount())
        stored += store.recordPage(pages[size_t(row - 1)]) == PgWordStore::Recorded::Stored;
    return stored;
}

} // namespace tv::test
