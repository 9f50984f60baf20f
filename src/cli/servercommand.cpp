#include "cli/servercommand.h"

#include "cli/clisites.h"
#include "cli/console.h"
#include "cli/countcommand.h"
#include "count/pagewords.h"
#include "count/wordclean.h"
#include "count/wordtally.h"
#include "fetch/networkpagesource.h"
#include "pgstore/pagewords.h"
#include "pgstore/serveraddress.h"
#include "pgstore/wordstore.h"
#include "platform/files.h"
#include "results/countedrows.h"
#include "results/resultformats.h"
#include "sites/sitelistmodel.h"

#include <QIODevice>

namespace tv {

namespace {

// The exit status a store failure stands for.
int exitStatusOf(StoreProblem problem)
{
    switch (problem) {
    case StoreProblem::BadAddress:
    case StoreProblem::RunConflict:
    case StoreProblem::NoSuchRun:
    case StoreProblem::BadInput:
        return ExitUsage;
    case StoreProblem::Unreachable:
    case StoreProblem::Authentication:
    case StoreProblem::Refused:
        return ExitNothingCounted;
    case StoreProblem::ConnectionLost:
    case StoreProblem::DiskFull:
    case StoreProblem::Server:
        break;
    }
    return ExitSomeFailed;
}

StoreSettings storeSettings(const CliOptions& options)
{
    StoreSettings settings;
    settings.address = options.databasePath;
    return settings;
}

PageOutcome outcomeOf(const FetchedPage& page)
{
    switch (page.outcome) {
    case FetchedPage::Outcome::Read:
        return PageOutcome::Read;
    case FetchedPage::Outcome::NoPage:
        return PageOutcome::NoPage;
    default:
        return PageOutcome::Failed;
    }
}

int countIntoRun(const CliOptions& options, Console& console)
{
    SiteListModel sites;
    try {
        loadSites(options.sources, sites, console);
    } catch (...) {
        console.message(describeException(std::current_exception()));
        return ExitUsage;
    }
    QString error;
    const Shard shard = options.shard.isEmpty() ? Shard{} : *parseShard(options.shard, error);
    const bool ignoreCase = !options.keepCase;
    PgWordStore store(storeSettings(options));
    store.joinRun({options.run, sites.rows(),
                   ignoreCase ? QStringLiteral("ignore case") : QStringLiteral("keep case")},
                  shard);
    const std::vector<int> rows = store.rowsToCount();

    FetchOptions fetchOptions;
    fetchOptions.parallel = options.parallel;
    fetchOptions.styleSheets = options.styleSheets;
    NetworkPageSource network(fetchOptions);
    QStringList addresses;
    for (const int row : rows)
        addresses << sites.rows()[row - 1];
    network.announce(addresses);

    int shareSize = 0;
    for (int row = 1; row <= sites.count(); ++row)
        shareSize += shard.contains(row);
    int asked = 0;
    int failed = 0;
    int stored = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = rows[i];
        const QString& site = addresses[qsizetype(i)];
        console.status(QStringLiteral("site %1 of %2: %3")
                           .arg(qsizetype(i) + 1)
                           .arg(rows.size())
                           .arg(redactedAddress(site)));
        FetchedPage page;
        fetchUrl(network, site, &page);
        PageRecord record{row, site, outcomeOf(page), page.error, {}};
        if (record.outcome == PageOutcome::Read)
            record.words = tallyPageWords(page.text, ignoreCase);
        asked += record.outcome != PageOutcome::NoPage;
        failed += record.outcome == PageOutcome::Failed;
        stored += store.recordPage(record) == PgWordStore::Recorded::Stored;
    }
    console.clearStatus();
    if (!options.quiet)
        console.plain(QStringLiteral("Stored %1 of %2 pages of this share into run \"%3\" (%4 "
                                     "were in already).")
                          .arg(stored)
                          .arg(rows.size())
                          .arg(options.run)
                          .arg(shareSize - qsizetype(rows.size())));
    if (asked > 0 && failed == asked)
        return ExitNothingCounted;
    return failed > 0 ? ExitSomeFailed : ExitAllRead;
}

int printReport(const CliOptions& options, QIODevice& output, Console& console)
{
    PgWordStore store(storeSettings(options));
    CountedRows rows(options.perSite);
    qint64 total = 0;
    store.report(options.run, options.perSite ? ReportKind::PerSite : ReportKind::Combined,
                 [&](const ReportRow& r) {
                     // As the one-machine database method shows a site.
                     rows.add({options.perSite ? textAfterLastBackslash(r.site) : QString(), r.word,
                               r.count});
                     total += r.count;
                 });
    const QString caption = totalCaption(CountMethod::Database, total);
    rows.setFirstCaption(caption);
    if (!options.quiet)
        console.plain(caption);
    return writeCountOutput(options, rows, output, console) ? ExitAllRead : ExitSomeFailed;
}

int listRuns(const CliOptions& options, QIODevice& output)
{
    PgWordStore store(storeSettings(options));
    QString text = QStringLiteral("run\tsites\trecorded\tfailed\twords\tstatus\n");
    for (const RunSummary& run : store.runs())
        text +=
            QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                .arg(tsvField(run.name))
                .arg(run.siteRows)
                .arg(run.recorded)
                .arg(run.failed)
                .arg(run.words)
                .arg(run.complete() ? QStringLiteral("complete") : QStringLiteral("in progress"));
    const QByteArray bytes = text.toUtf8();
    return output.write(bytes) == bytes.size() ? ExitAllRead : ExitSomeFailed;
}

int dropRun(const CliOptions& options, Console& console)
{
    PgWordStore store(storeSettings(options));
    if (!store.dropRun(options.dropRun)) {
        console.message(QStringLiteral("There is no run named \"%1\".").arg(options.dropRun));
        return ExitUsage;
    }
    if (!options.quiet)
        console.plain(QStringLiteral("Dropped run \"%1\".").arg(options.dropRun));
    return ExitAllRead;
}

} // namespace

int runServerCommand(const CliOptions& options, QIODevice& output, FILE* errors)
{
    Console console(!options.quiet && Console::isTerminal(errors), errors);
    ConsoleReports reports(console);
    try {
        if (options.listRuns)
            return listRuns(options, output);
        if (!options.dropRun.isEmpty())
            return dropRun(options, console);
        if (options.report)
            return printReport(options, output, console);
        return countIntoRun(options, console);
    } catch (const StoreError& failure) {
        console.clearStatus();
        console.message(failure.description());
        return exitStatusOf(failure.problem());
    }
}

} // namespace tv
