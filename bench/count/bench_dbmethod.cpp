// The database method end to end over a 10-million-word text (no network): words per second
// stored and counted, and peak memory; against the plain way of doing the same with Qt SQL
// (one single-row INSERT per word on the calling thread, the same query), in the same process.
#include "count/blankdatabase.h"
#include "count/databasemethod.h"
#include "count/pagewords.h"
#include "count/wordclean.h"
#include "count/wordtable.h"
#include "countbench.h"
#include "platform/database.h"
#include "support/benchsupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace tv;
using namespace tv::bench;

namespace {

// The straightforward version: every word through one prepared single-row INSERT, then the
// grouping query. Gives the total of the counts; `querySeconds` is the query's share, SQLite's
// own floor for any way of filling the table.
qint64 plainCount(const QString& text, const QString& path, double& querySeconds)
{
    Database db;
    db.open(path);
    db.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    db.exec(QStringLiteral("DELETE FROM tbWords"));
    db.begin();
    Statement insert = db.prepare(QStringLiteral("INSERT INTO tbWords VALUES (?)"));
    forEachPiece(text, [&](QStringView piece, qsizetype, qsizetype) {
        const QString word = cleanWord(piece, true);
        if (word.isEmpty())
            return;
        insert.bind(0, storedWord(word));
        insert.exec();
    });
    db.commit();
    qint64 total = 0;
    querySeconds = secondsOf([&] {
        Statement rows = db.query(QStringLiteral(
            "SELECT  Count([tbWords].[Word]) AS [WCount], [tbWords].[Word] From [tbWords]  GROUP "
            "BY [tbWords].[Word]  ORDER BY Count([tbWords].[Word]), [tbWords].[Word]"));
        while (rows.next())
            total += rows.value(0).toLongLong();
        rows.finish();
    });
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    qint64 words = 0;
    const QString text = benchText("database method", &words);
    const QString path = dir.filePath(QStringLiteral("dbData.mdb"));
    createWordDatabase(path);

    ResultsModel results;
    BenchCount count(results);
    OnePage pages(text);
    CountSummary summary;
    const double seconds =
        secondsOf([&] { summary = countWithDatabaseMethod(benchRequest(), pages, count, path); });
    const double peak = peakMegabytes();
    const qint64 counted = summary.total.value_or(-1);

    figure(QStringLiteral("db_words"), double(words), "words");
    figure(QStringLiteral("db_seconds"), seconds, "s");
    figure(QStringLiteral("db_words_per_second"), double(words) / seconds, "words/s");
    figure(QStringLiteral("db_peak_memory"), peak, "MB");
    figure(QStringLiteral("db_result_rows"), results.rows(), "rows");

    const QString plainPath = dir.filePath(QStringLiteral("plain.mdb"));
    createWordDatabase(plainPath);
    double querySeconds = 0;
    qint64 plainTotal = 0;
    const double plainSeconds =
        secondsOf([&] { plainTotal = plainCount(text, plainPath, querySeconds); });
    figure(QStringLiteral("db_plain_words_per_second"), double(words) / plainSeconds, "words/s");
    figure(QStringLiteral("db_speedup_over_plain"), plainSeconds / seconds, "x");
    figure(QStringLiteral("db_plain_query_seconds"), querySeconds, "s");
    figure(QStringLiteral("db_total_matches_plain"), counted == plainTotal ? 1 : 0, "bool");
    return 0;
}
