#include "countcommand.h"

#include "cli/cliview.h"
#include "cli/console.h"
#include "cli/countedpages.h"
#include "cli/resultformats.h"
#include "cli/scratchdatabase.h"
#include "cli/terminaltext.h"
#include "count/sortingdb.h"
#include "count/sortingtext.h"
#include "fetch/addressdisplay.h"
#include "fetch/networkpagesource.h"
#include "platform/database.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "results/savelist.h"
#include "sites/loadfromfile.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <unistd.h>

namespace tv {

namespace {

void appendList(const QString& path, SiteListModel& sites, Console& console)
{
    // Told at once: an endless line (--list /dev/zero) never ends its file.
    const LongLineNotice notice = [&](const QString& message) { console.message(message); };
    if (path == u"-") {
        QFile in;
        if (!in.open(STDIN_FILENO, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            throw Failure(QStringLiteral("Cannot read standard input: ") + in.errorString());
        appendLinesFromDevice(sites, in, QStringLiteral("standard input"), notice);
        return;
    }
    if (!FileExists(path))
        throw Failure(QStringLiteral("File not found: ") + path);
    if (QFileInfo(path).isDir())
        throw Failure(QStringLiteral("Cannot read \"%1\": it is a folder").arg(path));
    // Unlike the window, a pipe is welcome here ("--list <(command)"): nothing waits on it.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    appendLinesFromDevice(sites, file, path, notice);
}

// A database named on the command line must already hold the table the method fills.
void checkWordDatabase(const QString& path)
{
    Database db;
    db.open(path);
    if (!db.hasTable(QStringLiteral("tbWords")))
        throw Failure(QStringLiteral("The word database \"%1\" has no table tbWords").arg(path));
}

// Counts with the database method when it can run, else (with a warning) with the text
// method. The reports made while the database method tried to start stand explained by the
// warning and do not fail the run: `excusedReports` says how many there were.
void countWithEngine(const CliOptions& options, CliView& view, CountedPages& pages,
                     ConsoleReports& reports, Console& console, int& excusedReports)
{
    excusedReports = 0;
    if (options.engine == EngineKind::Text) {
        SortingText(view, pages);
        return;
    }
    const int before = reports.count();
    QString reason;
    ScratchDatabase scratch;
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
        SortingDB(view, pages, path);
        // It reports why it could not open its table and stops before the first site.
        if (!pages.started() && view.siteCount() > 0)
            reason = QStringLiteral("its database could not be opened");
    }
    if (reason.isEmpty())
        return;
    console.message(QStringLiteral("warning: the database method cannot run (%1); counting "
                                   "with the text method instead")
                        .arg(reason));
    excusedReports = reports.count() - before;
    pages.reset();
    SortingText(view, pages);
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

bool isTerminal(const QIODevice& output)
{
    const auto* file = qobject_cast<const QFileDevice*>(&output);
    return file && file->handle() >= 0 && isatty(file->handle()) == 1;
}

bool writeOutput(const CliOptions& options, const CliView& view, QIODevice& output,
                 Console& console)
{
    // Words and sites with control characters are shown escaped on a terminal. Aligned text
    // into a file keeps the bytes the window's save writes; tsv and json escape them anyway,
    // while csv, which has no escapes, keeps them in a file too.
    std::unique_ptr<ResultsModel> escaped;
    if ((options.format == OutputFormat::Aligned || options.format == OutputFormat::Csv) &&
        isTerminal(output))
        escaped = escapedForTerminal(view.results());
    const ResultsModel& results = escaped ? *escaped : view.results();
    if (options.format == OutputFormat::Aligned)
        return writeListviewProperlySpaced(results, output);
    QString error;
    if (writeResultRows(results, view.isPerSite(), options.format, output, error))
        return true;
    console.message(error);
    return false;
}

} // namespace

bool loadSites(const QList<SiteSource>& sources, SiteListModel& sites, Console& console)
{
    for (const SiteSource& source : sources) {
        try {
            if (source.isList)
                appendList(source.value, sites, console);
            else
                sites.append(source.value);
        } catch (...) {
            console.message(describeException(std::current_exception()));
            return false;
        }
    }
    return true;
}

int runCountCommand(const CliOptions& options, QIODevice& output, FILE* errors)
{
    Console console(!options.quiet && Console::isTerminal(errors), errors);
    ConsoleReports reports(console);

    CliView view(options.perSite, !options.keepCase);
    if (!loadSites(options.sources, view.sites(), console))
        return ExitUsage;
    if (view.siteCount() == 0) {
        console.message(QStringLiteral("No files added."));
        return ExitNothingCounted;
    }

    FetchOptions fetchOptions;
    fetchOptions.parallel = options.parallel;
    fetchOptions.styleSheets = options.styleSheets;
    NetworkPageSource network(fetchOptions);
    CountedPages pages(network, console, view.siteCount());
    showWaits(network, console);

    int excused = 0;
    countWithEngine(options, view, pages, reports, console, excused);
    console.clearStatus();
    if (!options.quiet && !view.caption().isEmpty())
        console.plain(view.caption());

    const bool written = writeOutput(options, view, output, console);
    const int engineReports = reports.count() - excused - pages.fetchReports();
    // Empty rows name no page, so they neither count as read nor as failed.
    if (pages.asked() == 0)
        console.message(QStringLiteral("No page named: every row is empty."));
    if (pages.asked() - pages.failed() <= 0)
        return ExitNothingCounted;
    if (pages.failed() > 0 || engineReports > 0 || !written)
        return ExitSomeFailed;
    return ExitAllRead;
}

} // namespace tv
