#include "cliarguments.h"

#include "fetch/localfilepages.h"
#include "pgstore/serveraddress.h"
#include "pgstore/shard.h"

#include <QHash>

namespace tv {

namespace {

constexpr int kMaxParallel = 256;
constexpr int kMaxWidth = 1000; // characters of context on either side of a word

// Options that take a value, written "--name VALUE" or "--name=VALUE".
bool takesValue(const QString& name)
{
    return name == u"--engine" || name == u"--format" || name == u"--database" ||
           name == u"--list" || name == u"--parallel" || name == u"--prefetch" ||
           name == u"--run" || name == u"--shard" || name == u"--drop-run" || name == u"--rule" ||
           name == u"--stop-words" || name == u"--phrases" || name == u"--min-count" ||
           name == u"--min-length" || name == u"--sort" || name == u"--top" || name == u"--file" ||
           name == u"--concordance" || name == u"--width" || isCrawlOption(name);
}

// A whole number from `least` up, for the options of the word analysis.
QString readCount(const QString& name, const QString& value, qint64 least, qint64& out)
{
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (!ok || n < least)
        return QStringLiteral("%1 takes a whole number from %2 up").arg(name).arg(least);
    out = n;
    return QString();
}

// Sets one option of the word analysis that takes a value; gives the mistake, or "".
QString applyAnalysisValue(CliOptions& o, const QString& name, const QString& value)
{
    AnalysisOptions& a = o.analysis;
    qint64 n = 0;
    if (name == u"--rule") {
        if (value == u"classic")
            a.rule = WordRule::Classic;
        else if (value == u"unicode")
            a.rule = WordRule::Unicode;
        else
            return QStringLiteral("unknown word rule '%1' (use classic or unicode)").arg(value);
    } else if (name == u"--stop-words") {
        if (value.isEmpty())
            return QStringLiteral("--stop-words needs a language or a file name");
        o.stopWords << value;
    } else if (name == u"--phrases") {
        if (value != u"1" && value != u"2" && value != u"3")
            return QStringLiteral("--phrases takes 2 or 3 (1 counts single words)");
        a.phraseLength = value.toInt();
    } else if (name == u"--min-count" || name == u"--min-length" || name == u"--top") {
        const QString error = readCount(name, value, name == u"--top" ? 1 : 0, n);
        if (!error.isEmpty())
            return error;
        if (name == u"--min-count")
            a.filters.minCount = n;
        else if (name == u"--min-length")
            a.filters.minLength = qsizetype(n);
        else
            a.filters.top = n;
    } else if (name == u"--sort") {
        static const QHash<QString, RowOrder> orders{{"count", RowOrder::Count},
                                                     {"count-desc", RowOrder::CountDescending},
                                                     {"word", RowOrder::Word}};
        const auto it = orders.constFind(value);
        if (it == orders.constEnd())
            return QStringLiteral("unknown order '%1' (use count, count-desc or word)").arg(value);
        a.filters.order = *it;
    }
    return QString();
}

// Sets one option that takes a value; gives the mistake, or "".
QString applyValue(CliOptions& o, const QString& name, const QString& value)
{
    if (isCrawlOption(name))
        return applyCrawlOption(o.crawl, o.sources, name, value);
    if (name == u"--engine") {
        if (value == u"db")
            o.engine = EngineKind::Database;
        else if (value == u"text")
            o.engine = EngineKind::Text;
        else
            return QStringLiteral("unknown engine '%1' (use db or text)").arg(value);
    } else if (name == u"--format") {
        static const QHash<QString, OutputFormat> formats{{"aligned", OutputFormat::Aligned},
                                                          {"tsv", OutputFormat::Tsv},
                                                          {"csv", OutputFormat::Csv},
                                                          {"json", OutputFormat::Json}};
        const auto it = formats.constFind(value);
        if (it == formats.constEnd())
            return QStringLiteral("unknown format '%1' (use aligned, tsv, csv or json)").arg(value);
        o.format = *it;
    } else if (name == u"--database") {
        if (value.isEmpty())
            return QStringLiteral("--database needs a file name");
        o.databasePath = value;
    } else if (name == u"--run" || name == u"--drop-run") {
        if (value.isEmpty())
            return QStringLiteral("%1 needs a run name").arg(name);
        (name == u"--run" ? o.run : o.dropRun) = value;
    } else if (name == u"--shard") {
        QString error;
        if (!parseShard(value, error))
            return QStringLiteral("--shard: %1").arg(error);
        o.shard = value;
    } else if (name == u"--list") {
        if (value.isEmpty())
            return QStringLiteral("--list needs a file name (or - for standard input)");
        o.sources.append({true, value});
    } else if (name == u"--file") {
        if (value.isEmpty())
            return QStringLiteral("--file needs a file name");
        o.sources.append({false, localFileAddress(value)});
    } else if (name == u"--concordance") {
        if (value.trimmed().isEmpty())
            return QStringLiteral("--concordance needs a word");
        o.concordance = value;
    } else if (name == u"--width") {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 0 || n > kMaxWidth)
            return QStringLiteral("--width takes a whole number from 0 to %1").arg(kMaxWidth);
        o.width = n;
    } else if (name == u"--parallel" || name == u"--prefetch") {
        // --prefetch is the older name, kept for scripts that use it.
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 0 || n > kMaxParallel)
            return QStringLiteral("%1 takes a whole number from 0 to %2")
                .arg(name)
                .arg(kMaxParallel);
        o.parallel = n;
    } else {
        return applyAnalysisValue(o, name, value);
    }
    return QString();
}

// Sets one option without a value; gives the mistake, or "".
QString applyFlag(CliOptions& o, const QString& name)
{
    if (name == u"--per-site")
        o.perSite = true;
    else if (name == u"--keep-case")
        o.keepCase = true;
    else if (name == u"--quiet" || name == u"-q")
        o.quiet = true;
    else if (name == u"--no-style-sheets")
        o.styleSheets = false;
    else if (name == u"--partial-on-interrupt")
        o.partialOnInterrupt = true;
    else if (name == u"--with-share")
        o.analysis.withShare = true;
    else if (name == u"--with-pages")
        o.analysis.withPages = true;
    else if (name == u"--matrix")
        o.analysis.matrix = true;
    else if (name == u"--report")
        o.report = true;
    else if (name == u"--runs")
        o.listRuns = true;
    else if (name == u"--help" || name == u"-h")
        o.help = true;
    else if (name == u"--version")
        o.version = true;
    else
        return QStringLiteral("unknown option '%1'").arg(name);
    return QString();
}

// A server address as --database: one of counting into a run, its report, the list of runs or
// dropping one.
QString checkServerCommand(const CliOptions& o)
{
    if (o.engine != EngineKind::Database)
        return QStringLiteral("a server address as --database goes with --engine db");
    const int commands = int(o.report) + int(o.listRuns) + int(!o.dropRun.isEmpty());
    if (commands > 1)
        return QStringLiteral("--report, --runs and --drop-run go one at a time");
    if (commands == 1 && !o.sources.isEmpty())
        return QStringLiteral("--report, --runs and --drop-run take no addresses");
    if (commands == 1 && !o.shard.isEmpty())
        return QStringLiteral(
            "--shard goes with counting, not with --report, --runs or --drop-run");
    if ((commands == 0 || o.report) && o.run.isEmpty())
        return QStringLiteral("counting into a server, and its report, need --run NAME");
    if (commands == 0 && o.sources.isEmpty())
        return QStringLiteral("no addresses given");
    return QString();
}

// The checks that need the whole command line.
QString checkWhole(const CliOptions& o)
{
    if (o.help || o.version)
        return QString();
    if (const QString crawl = checkCrawlOptions(o); !crawl.isEmpty())
        return crawl;
    const bool analysis =
        !o.stopWords.isEmpty() || o.analysis.needsSplitter() || o.analysis.reshapesRows();
    if (countsOnServer(o) && !o.concordance.isEmpty())
        return QStringLiteral(
            "--concordance goes with counting on this machine, not with a server");
    if (countsOnServer(o))
        return analysis ? QStringLiteral("the word analysis options go with counting on this "
                                         "machine, not with a server")
                        : checkServerCommand(o);
    for (const auto& [set, option] :
         {std::pair{!o.run.isEmpty(), "--run"}, std::pair{!o.shard.isEmpty(), "--shard"},
          std::pair{o.report, "--report"}, std::pair{o.listRuns, "--runs"},
          std::pair{!o.dropRun.isEmpty(), "--drop-run"}})
        if (set)
            return QStringLiteral("%1 goes with --database postgresql://...").arg(option);
    if (o.sources.isEmpty())
        return QStringLiteral("no addresses given");
    if (!o.databasePath.isEmpty() && o.engine != EngineKind::Database)
        return QStringLiteral("--database goes with --engine db");
    if (o.analysis.matrix && o.format != OutputFormat::Tsv && o.format != OutputFormat::Csv &&
        o.format != OutputFormat::Aligned)
        return QStringLiteral("--matrix writes tsv or csv");
    if (!o.concordance.isEmpty() && o.format != OutputFormat::Aligned &&
        o.format != OutputFormat::Tsv)
        return QStringLiteral("--concordance writes tab-separated lines (no --format)");
    if (!o.concordance.isEmpty() && o.analysis.matrix)
        return QStringLiteral("--concordance and --matrix go one at a time");
    if (o.width != kDefaultContextWidth && o.concordance.isEmpty())
        return QStringLiteral("--width goes with --concordance");
    if (o.analysis.withPages && o.perSite)
        return QStringLiteral("--with-pages goes with one count over all sites, not --per-site");
    int standardInput = 0;
    for (const SiteSource& s : o.sources)
        standardInput += s.isList && s.value == u"-";
    if (standardInput > 1)
        return QStringLiteral("standard input can be read only once");
    return QString();
}

} // namespace

ParsedArguments parseArguments(const QStringList& arguments)
{
    ParsedArguments parsed;
    CliOptions& o = parsed.options;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(u'-')) {
            o.sources.append({false, arg});
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        // A lone dash is the usual name of standard input.
        if (arg == u"-") {
            o.sources.append({true, arg});
            continue;
        }
        QString name = arg;
        QString value;
        bool hasValue = false;
        const qsizetype equals = arg.indexOf(u'=');
        if (arg.startsWith(QLatin1String("--")) && equals > 0) {
            name = arg.left(equals);
            value = arg.mid(equals + 1);
            hasValue = true;
        }
        if (takesValue(name)) {
            if (!hasValue) {
                if (i + 1 >= arguments.size()) {
                    parsed.error = QStringLiteral("%1 needs a value").arg(name);
                    return parsed;
                }
                value = arguments[++i];
            }
            parsed.error = applyValue(o, name, value);
        } else if (hasValue) {
            parsed.error = QStringLiteral("%1 takes no value").arg(name);
        } else {
            parsed.error = applyFlag(o, name);
        }
        if (!parsed.error.isEmpty())
            return parsed;
    }
    parsed.error = checkWhole(o);
    return parsed;
}

bool countsOnServer(const CliOptions& options)
{
    return isServerAddress(options.databasePath);
}

QString programName()
{
    return QStringLiteral("tallyvane-count");
}

QString usageText()
{
    return QStringLiteral("Usage: tallyvane-count [OPTION]... ADDRESS...\n"
                          "       tallyvane-count [OPTION]... --list FILE\n"
                          "Try 'tallyvane-count --help' for more information.\n");
}

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: tallyvane-count [OPTION]... ADDRESS...\n"
        "Counts how often each word occurs on web pages, as Tallyvane's \"Start Counting\" does,\n"
        "and writes the counts, least frequent first, to standard output.\n"
        "\n"
        "Sites:\n"
        "  ADDRESS              a web address as it would be typed into the site list\n"
        "  --list FILE          one address per line, read as \"Load From File\" reads it;\n"
        "                       - reads standard input (so does a lone -); may be repeated\n"
        "  --file PATH          a file on this machine, HTML (by its name or its first bytes)\n"
        "                       or plain text, read as a downloaded page is; may be repeated.\n"
        "                       Typed or listed file:///PATH rows are read the same way\n"
        "\n"
        "Counting:\n"
        "  --per-site           one count for each site (default: one count for all sites)\n"
        "  --keep-case          tell upper and lower case apart (default: ignore letter case)\n"
        "  --engine db|text     db (default) counts in an SQLite table, text in memory\n"
        "  --database FILE      with db: count in this SQLite file's table tbWords (emptied\n"
        "                       first) instead of a private scratch database\n"
        "  --database postgresql://[USER[:PASSWORD]@]HOST[:PORT]/DBNAME\n"
        "                       count into a PostgreSQL server shared by many workers (also\n"
        "                       PG* environment variables and ~/.pgpass), with --run:\n"
        "  --run NAME           the named run this count belongs to; a worker started again\n"
        "                       skips the pages already in\n"
        "  --shard K/N          count only the site rows whose position modulo N is K-1\n"
        "  --report             with --run: print the run's counts (--per-site per site row)\n"
        "  --runs               list the server's runs: pages, failures, words, status\n"
        "  --drop-run NAME      remove a run and its words\n"
        "  --parallel N         pages downloaded at once, ahead of the one being counted\n"
        "                       (default 32, at most 6 from one host; 0 fetches one page at\n"
        "                       a time); --prefetch N is the older name of this option\n"
        "  --no-style-sheets    read pages without the style sheets they link (default: fetch\n"
        "                       them, as a browser does, so that text they hide is not counted)\n"
        "\n"
        "Word analysis (none of it is on by default):\n"
        "  --rule classic|unicode  classic (default): pieces between blanks, ASCII punctuation\n"
        "                       removed; unicode: Unicode word boundaries (also Chinese,\n"
        "                       Japanese and Thai), punctuation of any script removed from\n"
        "                       the ends, apostrophes and hyphens inside words kept\n"
        "  --stop-words LIST    leave out common words: a built-in list by language (english,\n"
        "                       french, german, ... or en, fr, de, ...) or a UTF-8 file with\n"
        "                       one word per line (# starts a comment); may be repeated\n"
        "  --phrases 2|3        count phrases of two or three consecutive words of one line\n"
        "                       (stop words break phrases)\n"
        "  --min-count N        leave out rows counted fewer than N times\n"
        "  --min-length N       leave out words of fewer than N characters\n"
        "  --sort ORDER         count (least frequent first), count-desc or word\n"
        "  --top N              only the N most frequent rows (of each site with --per-site)\n"
        "  --with-share         a share column: the row's percentage of its count's words\n"
        "  --with-pages         a pages column: on how many pages the word occurs\n"
        "  --matrix             write the word by page table instead (tsv, or csv with\n"
        "                       --format csv): one row per word, one column per page\n"
        "\n"
        "Behind the numbers:\n"
        "  --concordance WORD   instead of the counts, every use of WORD (or a phrase of two\n"
        "                       or three words) in the counted text, found by the count's own\n"
        "                       word rule: one line per use, tab-separated: site, left\n"
        "                       context, the word as written, right context (escaped as tsv)\n"
        "  --width N            characters of context on either side (default 40)\n"
        "\n"
        "Output:\n"
        "  --format FORMAT      aligned (default): the text \"Save Results As Text File\" writes;\n"
        "                       tsv: tab-separated with a header row (tab, line breaks and\n"
        "                       backslash written as \\t, \\n, \\r, \\\\, other control\n"
        "                       characters as \\xHH);\n"
        "                       csv: comma-separated (RFC 4180) with a header row;\n"
        "                       json: an array of {\"site\", \"word\", \"count\"} objects\n"
        "                       (\"site\" only with --per-site; \"share\" and \"pages\" when\n"
        "                       asked for)\n"
        "  -q, --quiet          no progress and no total on standard error\n"
        "  --partial-on-interrupt\n"
        "                       on Ctrl-C, stop the count and write what it counted so far,\n"
        "                       with exit status 130 (a second Ctrl-C ends it at once)\n"
        "  -h, --help           show this help and exit\n"
        "      --version        show the version and exit\n"
        "\n"
        "Standard error shows the progress (when it is a terminal), the total as the results\n"
        "list's caption, and every page that could not be read, and the run goes on.\n"
        "Control characters from pages, servers and lists are shown there as escapes (\\x1b),\n"
        "and so they are on standard output when it is a terminal.\n"
        "\n"
        "Exit status: 0 every page named was read (an empty row names no page); 1 some\n"
        "pages (or the output) failed; 2 the command line is wrong or a list cannot be read;\n"
        "3 no page could be read, or no row names a page; 130 stopped by Ctrl-C with\n"
        "--partial-on-interrupt (what was counted is written).\n"
        "With a server: 2 also for a bad server address, a run name already used for another\n"
        "list, or no such run; 3 the server cannot be reached or refuses the user; 1 the\n"
        "connection was lost (after retries) or the server's disk is full; pages stored\n"
        "before stay stored.\n");
    // Whole sites are sources of sites too: their options follow the others.
    text.insert(text.indexOf(QLatin1String("\nCounting:\n")) + 1, crawlHelpText() + u'\n');
    return text;
}

QString versionText()
{
    return programName() + u' ' + QStringLiteral(TV_VERSION) + u'\n';
}

} // namespace tv
