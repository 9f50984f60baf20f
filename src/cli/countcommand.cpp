#include "countcommand.h"

#include "cli/clicount.h"
#include "cli/console.h"
#include "cli/resultformats.h"
#include "cli/scratchdatabase.h"
#include "count/databasemethod.h"
#include "count/textmethod.h"
#include "fetch/networkpagesource.h"
#include "platform/database.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "results/savetext.h"
#include "results/textoutput.h"
#include "sites/loadfromfile.h"
#include "sites/sitelistmodel.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace tv {

namespace {

void appendList(const QString& path, SiteListModel& sites)
{
    if (path == u"-") {
        QFile in;
        if (!in.open(STDIN_FILENO, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            throw Failure(QStringLiteral("Cannot read standard input: ") + in.errorString());
        appendLinesFromDevice(sites, in, QStringLiteral("standard input"));
        return;
    }
    if (!fileExists(path))
        throw Failure(QStringLiteral("File not found: ") + path);
    if (QFileInfo(path).isDir())
        throw Failure(QStringLiteral("Cannot read \"%1\": it is a folder").arg(path));
    // Unlike the window, a pipe is welcome here ("--list <(command)"): nothing waits on it.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    appendLinesFromDevice(sites, file, path);
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
// method. What the database method reported while it tried to start stands explained by the
// warning: the summary that counts is the text method's.
CountSummary countWithMethod(const CliOptions& options, const CountRequest& request,
                             NetworkPageSource& pages, CliCount& count, Console& console,
                             CountMethod& method)
{
    method = CountMethod::Text;
    if (options.engine == EngineKind::Text)
        return countWithTextMethod(request, pages, count);
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
    return countWithTextMethod(request, pages, count);
}

bool writeOutput(const CliOptions& options, const CountedRows& rows, QIODevice& output,
                 Console& console)
{
    if (options.format == OutputFormat::Aligned) {
        // Its failure is reported, as the window's save reports it.
        TextOutput out(output);
        writeAlignedResults(rows, out);
        return !out.failed();
    }
    TextOutput out(output, QStringConverter::Utf8);
    try {
        writeResultRows(rows, rows.isPerSite(), options.format, out);
        return true;
    } catch (...) {
        console.message(describeException(std::current_exception()));
        return false;
    }
}

} // namespace

void loadSites(const QList<SiteSource>& sources, SiteListModel& sites)
{
    for (const SiteSource& source : sources) {
        if (source.isList)
            appendList(source.value, sites);
        else
            sites.append(source.value);
    }
}

int runCountCommand(const CliOptions& options, QIODevice& output, FILE* errors)
{
    Console console(!options.quiet && Console::isTerminal(errors), errors);
    ConsoleReports reports(console);

    SiteListModel sites;
    try {
        loadSites(options.sources, sites);
    } catch (...) {
        console.message(describeException(std::current_exception()));
        return ExitUsage;
    }
    if (sites.count() == 0) {
        console.message(QStringLiteral("No files added."));
        return ExitNothingCounted;
    }

    FetchOptions fetchOptions;
    fetchOptions.prefetchDepth = options.prefetch;
    NetworkPageSource network(fetchOptions);
    CountRequest request;
    request.sites = sites.rows();
    request.mode = options.perSite ? CountMode::PerSite : CountMode::Combined;
    CliCount count(options.perSite, !options.keepCase, console, sites.count());

    CountMethod method = CountMethod::Text;
    const CountSummary summary = countWithMethod(options, request, network, count, console, method);
    console.clearStatus();
    if (summary.total) {
        const QString caption = totalCaption(method, *summary.total);
        count.rows().setFirstCaption(caption);
        if (!options.quiet)
            console.plain(caption);
    }

    const bool written = writeOutput(options, count.rows(), output, console);
    if (count.pagesAsked() - count.pagesFailed() <= 0)
        return ExitNothingCounted;
    if (count.pagesFailed() > 0 || summary.otherReports > 0 || !written)
        return ExitSomeFailed;
    return ExitAllRead;
}

} // namespace tv
