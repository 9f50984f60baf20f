#include "countcommand.h"

#include "cli/clicount.h"
#include "cli/cliwords.h"
#include "cli/concordancetext.h"
#include "cli/console.h"
#include "cli/crawlsites.h"
#include "cli/scratchdatabase.h"
#include "cli/terminaltext.h"
#include "count/databasemethod.h"
#include "count/textmethod.h"
#include "fetch/addressdisplay.h"
#include "fetch/localfilepages.h"
#include "fetch/networkpagesource.h"
#include "keep/runkeeper.h"
#include "platform/database.h"
#include "platform/failure.h"
#include "platform/interruptwatch.h"
#include "results/resultformats.h"
#include "results/savetext.h"
#include "results/textoutput.h"
#include "sites/sitelistmodel.h"

#include <QFile>
#include <memory>
#include <unistd.h>

namespace tv {

namespace {

// A database named on the command line must already hold the table the method fills.
void checkWordDatabase(const QString& path)
{
    Database db;
    db.open(path);
    if (!db.hasTable(QStringLiteral("tbWords")))
        throw Failure(QStringLiteral("The word database \"%1\" has no table tbWords").arg(path));
}

// Counts with the database method when it can run, else (with a warning) with the text
// method. What the database method reported while it tried to start stands explained by the
// warning: the summary that counts is the text method's.
CountSummary countWithMethod(const CliOptions& options, const CountRequest& request,
                             PageSource& pages, CliCount& count, CliWords& words, Console& console,
                             CountMethod& method)
{
    method = CountMethod::Text;
    if (options.engine == EngineKind::Text)
        return countWithTextMethod(request, pages, count);
    QString reason;
    ScratchDatabase scratch(options.partialOnInterrupt);
    QString path = options.databasePath;
    try {
        if (path.isEmpty()) {
            path = scratch.create();
        } else {
            checkWordDatabase(path);
        }
    } catch (...) {
        reason = describeException(std::current_exception());
    }
    if (reason.isEmpty()) {
        const CountSummary summary = countWithDatabaseMethod(request, pages, count, path);
        if (summary.started) {
            method = CountMethod::Database;
            return summary;
        }
        // It has reported why it could not open its table.
        reason = QStringLiteral("its database could not be opened");
    }
    console.message(QStringLiteral("warning: the database method cannot run (%1); counting "
                                   "with the text method instead")
                        .arg(reason));
    count.restart();
    words.restart(false);
    return countWithTextMethod(request, pages, count);
}

// While the count waits for a page, the status line says so.
void showWaits(PageSource& pages, Console& console)
{
    auto text = [](const PageWait& wait) {
        return wait.position > 0 ? QStringLiteral("site %1 of %2: %3")
                                       .arg(wait.position)
                                       .arg(wait.count)
                                       .arg(displayAddress(wait.address))
                                 : displayAddress(wait.address);
    };
    auto current = std::make_shared<QString>();
    pages.setWaitWatcher({[&console, text, current](const PageWait& wait) {
                              *current = text(wait);
                              console.status(*current + QStringLiteral(" (downloading)"));
                          },
                          [&console, current] { console.status(*current); }});
}

// A word the concordance cannot look for is a mistake of the command line.
void checkConcordanceWord(const QString& word, const KeptRule& rule, bool ignoreCase)
{
    try {
        countedForm(word, rule, ignoreCase);
    } catch (...) {
        throw Failure(QStringLiteral("--concordance: ") +
                      describeException(std::current_exception()));
    }
}

bool isTerminal(const QIODevice& output)
{
    const auto* file = qobject_cast<const QFileDevice*>(&output);
    return file && file->handle() >= 0 && isatty(file->handle()) == 1;
}

} // namespace

bool writeCountOutput(const CliOptions& options, const CountedRows& counted, QIODevice& output,
                      Console& console)
{
    return writeCountOutput(options, counted, counted.isPerSite(), {}, output, console);
}

bool writeCountOutput(const CliOptions& options, const ResultRows& counted, bool perSite,
                      const QStringList& extra, QIODevice& output, Console& console)
{
    // Words and sites with control characters are shown escaped on a terminal. Aligned text
    // into a file keeps the bytes the window's save writes; tsv and json escape them anyway,
    // while csv, which has no escapes, keeps them in a file too.
    std::unique_ptr<ResultRows> escaped;
    if ((options.format == OutputFormat::Aligned || options.format == OutputFormat::Csv) &&
        isTerminal(output))
        escaped = escapedForTerminal(counted);
    const ResultRows& rows = escaped ? *escaped : counted;
    if (options.format == OutputFormat::Aligned) {
        // Its failure is reported, as the window's save reports it.
        TextOutput out(output);
        writeAlignedResults(rows, out);
        return !out.failed();
    }
    TextOutput out(output, QStringConverter::Utf8);
    try {
        writeResultRows(rows, perSite, options.format, out, extra);
        return true;
    } catch (...) {
        console.message(describeException(std::current_exception()));
        return false;
    }
}

int runCountCommand(const CliOptions& options, QIODevice& output, FILE* errors)
{
    Console console(!options.quiet && Console::isTerminal(errors), errors);
    ConsoleReports reports(console);

    FetchOptions fetchOptions;
    fetchOptions.parallel = options.parallel;
    fetchOptions.styleSheets = options.styleSheets;
    NetworkPageSource network(fetchOptions);

    SiteListModel sites;
    std::unique_ptr<CliWords> words;
    int gatherFailures = 0; // sitemaps and crawled pages that failed
    KeptRule keptRule;
    try {
        // The word options are checked before a crawl takes its time.
        words = std::make_unique<CliWords>(options);
        const AnalysisOptions& analysis = words->analysis();
        keptRule = {analysis.rule, analysis.stopWords, analysis.phraseLength};
        if (!options.concordance.isEmpty())
            checkConcordanceWord(options.concordance, keptRule, !options.keepCase);
        gatherFailures = gatherSites(options, sites, network, console);
    } catch (...) {
        console.message(describeException(std::current_exception()));
        return ExitUsage;
    }
    if (sites.count() == 0) {
        console.message(QStringLiteral("No files added."));
        return ExitNothingCounted;
    }
    LocalFilePages pages(network, fetchOptions.maxBytes);
    CountRequest request;
    request.sites = sites.rows();
    request.mode = options.perSite ? CountMode::PerSite : CountMode::Combined;
    try {
        words->prepare(request, options.engine == EngineKind::Database, console);
    } catch (...) {
        console.message(describeException(std::current_exception()));
        return ExitUsage;
    }
    CliCount count(options.perSite, !options.keepCase, console, sites.count());
    // Only a concordance reads the counted texts: a plain count keeps none.
    std::unique_ptr<RunKeeper> keeper;
    if (!options.concordance.isEmpty()) {
        keeper = std::make_unique<RunKeeper>();
        count.keepTexts(keeper.get(), keptRule);
    }
    showWaits(network, console);

    // Ctrl-C abandons the downloads, and the count ends after the last finished page.
    std::unique_ptr<InterruptWatch> interrupt;
    if (options.partialOnInterrupt) {
        interrupt = std::make_unique<InterruptWatch>([&network] { network.cancel(); });
        count.setStopCheck([watch = interrupt.get()] { return watch->interrupted(); });
    }

    CountMethod method = CountMethod::Text;
    const CountSummary summary =
        countWithMethod(options, request, pages, count, *words, console, method);
    console.clearStatus();
    const bool interrupted = interrupt && interrupt->interrupted();
    QString caption;
    if (summary.total) {
        caption = totalCaption(method, *summary.total);
        if (interrupted)
            caption += QStringLiteral(" (%1)").arg(
                stoppedNote(summary.sitesFinished, int(request.sites.size())));
        count.rows().setFirstCaption(caption);
        if (!options.quiet)
            console.plain(caption);
    }

    const bool written =
        keeper ? writeConcordance(*keeper, options.concordance, options.width, output, console)
        : words->changesOutput() ? words->write(count, caption, output, console)
                                 : writeCountOutput(options, count.rows(), output, console);
    if (interrupted)
        return written ? ExitInterrupted : ExitSomeFailed;
    // Empty rows name no page, so they neither count as read nor as failed.
    if (count.pagesAsked() == 0)
        console.message(QStringLiteral("No page named: every row is empty."));
    if (count.pagesAsked() - count.pagesFailed() <= 0)
        return ExitNothingCounted;
    if (count.pagesFailed() > 0 || summary.otherReports > 0 || !written || gatherFailures > 0)
        return ExitSomeFailed;
    return ExitAllRead;
}

} // namespace tv
