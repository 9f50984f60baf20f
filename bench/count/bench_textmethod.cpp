// The text method over the 10-million-word text: words per second, and the ratio to a plain
// std::unordered_map count of the same words (split, cleaned, counted, ordered for output)
// measured in the same process.
#include "benchsupport.h"
#include "count/sortingtext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <unordered_map>
#include <vector>

using namespace tv;
using namespace tv::bench;

namespace {

bool isSeparator(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isAsciiPunctuation(QChar c)
{
    return c.unicode() < 128 && (c.isPunct() || QStringView(u"$+<=>^`|~").contains(c));
}

// Word and count, least frequent first, as the plain count orders its output.
std::vector<std::pair<QString, qint64>> plainCount(const QString& text)
{
    std::unordered_map<QString, qint64> counts;
    QString word;
    const auto finish = [&] {
        if (!word.isEmpty())
            ++counts[word.toLower()];
        word.clear();
    };
    for (const QChar c : text) {
        if (isSeparator(c))
            finish();
        else if (!isAsciiPunctuation(c))
            word += c;
    }
    finish();
    std::vector<std::pair<QString, qint64>> sorted(counts.begin(), counts.end());
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    });
    return sorted;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString source;
    const QString text = benchText(kWords, &source);
    const qint64 words = countPieces(text);
    qInfo("text method over %lld words (%s)", words, qPrintable(source));

    ResultsModel results;
    BenchView view(results);
    OnePage pages(text);
    QElapsedTimer timer;
    timer.start();
    SortingText(view, pages);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    timer.restart();
    const auto plain = plainCount(text);
    const double plainSeconds = double(timer.nsecsElapsed()) / 1e9;

    // Both give the same rows: the plain count's words as the text method shows them.
    bool same = qsizetype(plain.size()) == results.rows();
    for (qsizetype i = 0; same && i < results.rows(); ++i) {
        const auto& [word, count] = plain[size_t(i)];
        const qsizetype cut = word.indexOf(QStringLiteral("nbsp"));
        same = results.cell(int(i) + 1, 1) == (cut < 0 ? word : word.left(cut)) &&
               results.cell(int(i) + 1, 2) == QString::number(count);
    }

    figure(QStringLiteral("text_words"), double(words), "words");
    figure(QStringLiteral("text_seconds"), seconds, "s");
    figure(QStringLiteral("text_words_per_second"), double(words) / seconds, "words/s");
    figure(QStringLiteral("text_unordered_map_words_per_second"), double(words) / plainSeconds,
           "words/s");
    figure(QStringLiteral("text_time_ratio_to_unordered_map"), seconds / plainSeconds, "x");
    figure(QStringLiteral("text_rows_match_unordered_map"), same ? 1 : 0, "bool");
    figure(QStringLiteral("text_peak_memory"), peakMegabytes(), "MB");
    return 0;
}
