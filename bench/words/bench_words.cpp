// Words per second of the tokenizer over the corpus pages' browser texts, one page at a time:
// the default rule through the tokenizer against the engines' own split and clean (the baseline,
// measured in the same process), and the Unicode rule, stop words and phrases each. Every
// configuration tallies its words as the text method does; the "_split_only" figures leave the
// tally out. Rates count the words of the text as the default rule sees them, so that they
// compare the time each configuration takes over the same text. A word given on the command
// line runs only the configurations whose names hold it.
#include "count/countobserver.h"
#include "count/pagewords.h"
#include "count/textmethod.h"
#include "count/wordclean.h"
#include "count/wordtally.h"
#include "support/benchsupport.h"
#include "words/countsplitter.h"
#include "words/tokenizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <functional>

using namespace tv;
using namespace tv::bench;

namespace {

constexpr qint64 kMinWords = 3'000'000;
constexpr int kRounds = 5;

// The browser texts of the corpus pages, repeated until they hold kMinWords words.
QStringList corpusPages(qint64& words)
{
    const QDir reference(corpusFolder() + QStringLiteral("/reference"));
    QStringList texts;
    for (const QString& name :
         reference.entryList({QStringLiteral("*.innertext.txt")}, QDir::Files, QDir::Name)) {
        QFile file(reference.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            texts << QString::fromUtf8(file.readAll());
    }
    qint64 once = 0;
    for (const QString& text : texts) {
        forEachPiece(text, [&](QStringView piece, qsizetype, qsizetype) {
            once += piece.isEmpty() ? 0 : 1;
        });
    }
    QStringList pages;
    words = 0;
    while (once > 0 && words < kMinWords) {
        pages += texts;
        words += once;
    }
    return pages;
}

// The engines' procedure as it stands: split, clean, tally.
qint64 engineSplit(const QStringList& pages, WordTally* tally)
{
    qint64 n = 0;
    QString buffer;
    for (const QString& page : pages) {
        forEachPiece(page, [&](QStringView piece, qsizetype, qsizetype) {
            if (piece.isEmpty())
                return;
            const QStringView word = cleanWordView(piece, true, buffer);
            if (word.isEmpty())
                return;
            ++n;
            if (tally)
                tally->add(word);
        });
    }
    return n;
}

qint64 tokenize(const TokenizerOptions& options, const QStringList& pages, WordTally* tally)
{
    Tokenizer tokenizer(options);
    qint64 n = 0;
    for (const QString& page : pages) {
        tokenizer.forEachWord(page, [&](QStringView word) {
            ++n;
            if (tally)
                tally->add(word);
        });
    }
    return n;
}

// The pages as a count's page source: page "n" is the n-th text.
class TextPages : public PageSource {
public:
    explicit TextPages(const QStringList& texts) : m_texts(texts) {}
    FetchedPage fetchPage(const QString& address) override
    {
        FetchedPage page;
        page.address = page.url = address;
        page.outcome = FetchedPage::Outcome::Read;
        page.text = m_texts.value(address.toInt() - 1);
        return page;
    }

private:
    const QStringList& m_texts;
};

// A caller that watches nothing and counts the rows handed over.
class QuietCount : public CountObserver {
public:
    qint64 rows = 0;
    bool ignoreCase() const override { return true; }
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    void addRow(const CountRow&) override { ++rows; }
};

// The whole text method over the pages, with the analysis's splitter when it needs one; gives
// the words counted.
qint64 countPages(const QStringList& pages, const AnalysisOptions& options)
{
    CountRequest request;
    for (qsizetype i = 1; i <= pages.size(); ++i)
        request.sites << QString::number(i);
    std::unique_ptr<CountSplitter> splitter;
    if (options.needsSplitter()) {
        splitter = std::make_unique<CountSplitter>(options, request.sites, false);
        request.splitter = splitter.get();
    }
    TextPages source(pages);
    QuietCount observer;
    const CountSummary summary = countWithTextMethod(request, source, observer);
    return summary.total.value_or(0);
}

// One configuration to time: its work, given a tally or none.
struct Run {
    QString name;
    std::function<qint64(WordTally*)> work;
    bool tallied = true;
    double seconds = 1e300;
    qint64 given = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qint64 words = 0;
    const QStringList pages = corpusPages(words);
    if (pages.isEmpty()) {
        out() << "words: skipped, no corpus texts in " << corpusFolder() << Qt::endl;
        return 0;
    }
    qInfo("words over %lld words of %lld pages", words, qint64(pages.size()));
    figure(QStringLiteral("words_text_words"), double(words), "words", 0);

    TokenizerOptions defaults;
    defaults.ignoreCase = true;
    TokenizerOptions unicode = defaults;
    unicode.rule = WordRule::Unicode;
    const auto through = [&](const TokenizerOptions& options) {
        return [&pages, options](WordTally* t) { return tokenize(options, pages, t); };
    };

    std::vector<Run> runs;
    // The default path, before (the engines' own loop) and after (through the tokenizer).
    runs.push_back({QStringLiteral("words_engine_split"),
                    [&](WordTally* t) { return engineSplit(pages, t); }});
    runs.push_back({QStringLiteral("words_default_rule"), through(defaults)});
    runs.push_back({QStringLiteral("words_unicode_rule"), through(unicode)});
    // The split alone, without the tally.
    runs.push_back({QStringLiteral("words_engine_split_only"),
                    [&](WordTally*) { return engineSplit(pages, nullptr); }, false});
    runs.push_back({QStringLiteral("words_default_rule_split_only"), through(defaults), false});
    runs.push_back({QStringLiteral("words_unicode_rule_split_only"), through(unicode), false});
    // Stop words and phrases, each on its own and under both rules.
    const StopList english = StopList::builtin(u"english");
    for (const WordRule rule : {WordRule::Classic, WordRule::Unicode}) {
        const QString prefix = rule == WordRule::Classic ? QStringLiteral("words_default_rule")
                                                         : QStringLiteral("words_unicode_rule");
        TokenizerOptions options = defaults;
        options.rule = rule;
        options.stopWords = english;
        runs.push_back({prefix + QStringLiteral("_english_stop_words"), through(options)});
        options.stopWords = StopList();
        options.phraseLength = 2;
        runs.push_back({prefix + QStringLiteral("_two_word_phrases"), through(options)});
        options.phraseLength = 3;
        runs.push_back({prefix + QStringLiteral("_three_word_phrases"), through(options)});
    }

    // The whole count by the text method: its own split (what every default run does), and
    // with the analysis's splitter for the Unicode rule, stop words and phrases.
    const auto counted = [&](AnalysisOptions options) {
        return [&pages, options](WordTally*) { return countPages(pages, options); };
    };
    AnalysisOptions analysis;
    runs.push_back({QStringLiteral("words_count_default"), counted(analysis), false});
    analysis.rule = WordRule::Unicode;
    runs.push_back({QStringLiteral("words_count_unicode_rule"), counted(analysis), false});
    analysis.rule = WordRule::Classic;
    analysis.stopWords = english;
    runs.push_back({QStringLiteral("words_count_english_stop_words"), counted(analysis), false});
    analysis.stopWords = StopList();
    analysis.phraseLength = 2;
    runs.push_back({QStringLiteral("words_count_two_word_phrases"), counted(analysis), false});
    analysis.phraseLength = 1;
    analysis.withPages = true;
    runs.push_back({QStringLiteral("words_count_keeping_pages"), counted(analysis), false});

    // A word on the command line keeps only the configurations whose names hold it.
    if (argc > 1) {
        const QString only = QString::fromLocal8Bit(argv[1]);
        std::erase_if(runs, [&](const Run& run) { return !run.name.contains(only); });
    }

    // Rounds take turns over every configuration, so that a busy spell of the machine does not
    // fall on one of them alone; each keeps its best time.
    for (int round = 0; round < kRounds; ++round) {
        for (Run& run : runs) {
            WordTally tally;
            run.seconds =
                std::min(run.seconds,
                         secondsOf([&] { run.given = run.work(run.tallied ? &tally : nullptr); }));
        }
    }

    const auto seconds = [&](const QString& name) {
        for (const Run& run : runs) {
            if (run.name == name)
                return run.seconds;
        }
        return 0.0;
    };
    const auto ratio = [&](const QString& name, const QString& baseline) {
        if (seconds(name) > 0 && seconds(baseline) > 0)
            figure(name + QStringLiteral("_time_ratio_to_") + baseline.mid(6),
                   seconds(name) / seconds(baseline), "x");
    };
    for (const Run& run : runs) {
        figure(run.name + QStringLiteral("_words_per_second"), double(words) / run.seconds,
               "words/s", 0);
        figure(run.name + QStringLiteral("_words_given"), double(run.given), "words", 0);
    }
    ratio(QStringLiteral("words_default_rule"), QStringLiteral("words_engine_split"));
    ratio(QStringLiteral("words_default_rule_split_only"),
          QStringLiteral("words_engine_split_only"));
    ratio(QStringLiteral("words_unicode_rule_split_only"),
          QStringLiteral("words_default_rule_split_only"));
    for (const Run& run : runs) {
        if (run.tallied && run.name != QLatin1String("words_engine_split") &&
            run.name != QLatin1String("words_default_rule"))
            ratio(run.name, QStringLiteral("words_default_rule"));
    }
    for (const char* name : {"words_count_unicode_rule", "words_count_english_stop_words",
                             "words_count_two_word_phrases", "words_count_keeping_pages"})
        ratio(QString::fromLatin1(name), QStringLiteral("words_count_default"));
    figure(QStringLiteral("words_peak_memory"), peakMegabytes(), "MB");
    return 0;
}
