// Finding and sorting a million-row results list, with a list view attached as in the window.
// Prints "name value unit" lines; the baselines, measured here on the same rows, are one plain
// case-blind search of every word and one plain sort of the words by code point.
#include "results/resultsmodel.h"
#include "results/shownrows.h"
#include "support/benchsupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

using namespace tv;
using namespace tv::bench;

namespace {

// Words of 2 to 12 letters, now and then one beyond ASCII, the rarest first as a count leaves
// them (each word once).
void fill(ResultsModel& list, int rows)
{
    static const char16_t letters[] = u"etaoinshrdlcumwfgypbvkjxqzéüñ";
    const int letterCount = int(std::size(letters)) - 1;
    quint64 state = 88172645463325252ull;
    const auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    list.rebuild(ResultsLayout::Combined);
    for (int r = 0; r < rows; ++r) {
        const int length = 2 + int(next() % 11);
        QString word(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i) {
            const quint64 pick = next() % 1000;
            // Mostly the common letters, as words are.
            const int at = pick < 970 ? int(pick % 26) : 26 + int(pick % (letterCount - 26));
            word[i] = QChar(letters[at]);
        }
        list.append(word + QString::number(r % 10), QString::number(1 + r / 1000));
    }
    list.flushAppends();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rows = 1000000;
    {
        ResultsModel alone;
        figure("add_1m_rows_baseline", secondsOf([&] { fill(alone, rows); }), "s");
    }
    ResultsModel list;
    ShownRows shown(list);
    // The rows come as a run adds them, the list as shown following.
    const double adding = secondsOf([&] { fill(list, rows); });
    figure("add_1m_rows_with_shown_rows", adding, "s");
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&shown);
    view.resize(520, 400);
    view.show();
    QApplication::processEvents();

    // Each step as the user types it, the view told and laid out again.
    const auto keystroke = [&](const QString& text) {
        return secondsOf([&] {
            shown.setFilter(text);
            QApplication::processEvents();
        });
    };
    int found = 0;
    const double baseline = secondsOf([&] {
        for (int r = 1; r <= rows; ++r)
            found += list.cell(r, 1).contains(QStringLiteral("e"), Qt::CaseInsensitive) ? 1 : 0;
    });
    figure("find_plain_search_1m_rows_baseline", baseline * 1000, "ms", 1);
    double worst = 0;
    for (const QString& text : {QStringLiteral("e"), QStringLiteral("er"), QStringLiteral("ert"),
                                QStringLiteral("er"), QStringLiteral("xq"), QString()}) {
        const double t = keystroke(text);
        worst = std::max(worst, t);
        figure(
            QStringLiteral("find_keystroke_1m_rows_%1").arg(text.isEmpty() ? u"cleared"_qs : text),
            t * 1000, "ms", 1);
    }
    figure("find_keystroke_1m_rows_worst", worst * 1000, "ms", 1);
    figure("find_keystroke_1m_rows_worst_vs_baseline", worst / baseline, "x", 2);

    QStringList words;
    words.reserve(rows);
    for (int r = 1; r <= rows; ++r)
        words << list.cell(r, 1);
    const double plainSort = secondsOf([&] { std::sort(words.begin(), words.end()); });
    figure("sort_plain_code_points_1m_rows_baseline", plainSort, "s");

    const auto sortBy = [&](int column, Qt::SortOrder order) {
        return secondsOf([&] {
            view.header()->setSortIndicator(column - 1, order);
            shown.sortBy(column, order);
            QApplication::processEvents();
        });
    };
    const double byWord = sortBy(1, Qt::AscendingOrder);
    figure("sort_by_word_1m_rows", byWord, "s");
    figure("sort_by_word_1m_rows_vs_baseline", byWord / plainSort, "x", 2);
    figure("sort_by_word_again_reversed_1m_rows", sortBy(1, Qt::DescendingOrder), "s");
    figure("sort_by_count_1m_rows", sortBy(2, Qt::AscendingOrder), "s");
    figure("sort_by_count_reversed_1m_rows", sortBy(2, Qt::DescendingOrder), "s");
    // A fresh list view: the count's ties need the words' order, which is made first.
    {
        ShownRows fresh(list);
        view.setModel(&fresh);
        const double first = secondsOf([&] {
            fresh.sortBy(2, Qt::AscendingOrder);
            QApplication::processEvents();
        });
        figure("sort_by_count_first_1m_rows", first, "s");
        view.setModel(&shown);
    }
    figure("peak_memory", peakMegabytes(), "MB", 0);
    return found > 0 ? 0 : 1;
}
