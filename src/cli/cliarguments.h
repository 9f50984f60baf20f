#pragma once
// The command line of tallyvane-count: what was asked for, or why it cannot be understood.
#include "cli/crawlarguments.h"
#include "keep/concordance.h"
#include "results/resultformats.h"
#include "words/analysisoptions.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tv {

enum class EngineKind { Database, Text };

// One source of site rows, in command-line order: an address as typed, or a list file
// ("-" for standard input).
struct SiteSource {
    bool isList = false;
    QString value;
    // Rows found while the list is made: the pages a sitemap lists, or a crawl from this page.
    enum class Found { None, Sitemap, Crawl } found = Found::None;
};

struct CliOptions {
    QList<SiteSource> sources;
    CrawlSettings crawl;
    bool perSite = false;
    bool keepCase = false;
    EngineKind engine = EngineKind::Database;
    QString databasePath; // "" means a private scratch database
    OutputFormat format = OutputFormat::Aligned;
    bool quiet = false;
    int parallel = 32;               // pages downloaded at once, ahead of the one being counted
    bool styleSheets = true;         // pages are read with the style sheets they link
    bool partialOnInterrupt = false; // Ctrl-C stops the count and prints what it counted
    // The word analysis; its stop lists are read when the count starts, from these names of
    // built-in lists and files, in order.
    AnalysisOptions analysis;
    QStringList stopWords;
    // With a server address as --database: the run counted into, the share of the list this
    // worker counts ("K/N"), and the commands that read or change the server's runs.
    QString run;
    QString shard;
    bool report = false;
    bool listRuns = false;
    QString dropRun;
    // Every use of this word instead of the counts, with `width` characters either side.
    QString concordance;
    int width = kDefaultContextWidth;
    bool help = false;
    bool version = false;
};

// Whether --database names a PostgreSQL server rather than an SQLite file.
bool countsOnServer(const CliOptions& options);

struct ParsedArguments {
    CliOptions options;
    QString error; // "" when the command line is sound
};

// Reads the arguments after the program name. Never throws: a mistake comes back in `error`.
ParsedArguments parseArguments(const QStringList& arguments);

QString programName();
QString usageText(); // the short reminder shown after a usage mistake
QString helpText();
QString versionText();

} // namespace tv
