// The text method over the 10-million-word text: words per second, and the ratio to a plain
// std::unordered_map count of the same words (split, cleaned, counted, ordered for output)
// measured in the same process.
#include "count/textmethod.h"
#include "countbench.h"
#include "support/benchsupport.h"
#include "support/plainwords.h"

#include <QCoreApplication>
#include <algorithm>
#include <unordered_map>
#include <vector>

using namespace tv;
using namespace tv::bench;

namespace {

// Word and count, least frequent first, as the plain count orders its output.
std::vector<std::pair<QString, qint64>> plainCount(const QString& text)
{
    const auto counts = plainWordCounts<std::unordered_map<QString, qint64>>(text);
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
    qint64 words = 0;
    const QString text = benchText("text method", &words);

    ResultsModel results;
    BenchCount count(results);
    OnePage pages(text);
    const double seconds = secondsOf([&] { countWithTextMethod(benchRequest(), pages, count); });

    std::vector<std::pair<QString, qint64>> plain;
    const double plainSeconds = secondsOf([&] { plain = plainCount(text); });

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
