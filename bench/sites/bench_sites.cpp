// Loading a 100,000-line site list and filtering it, each against a plain baseline measured
// in the same process. Prints "name value unit" lines.
#include "sites/filtersites.h"
#include "sites/loadfromfile.h"
#include "sites/sitelistmodel.h"
#include "support/benchdoubles.h"
#include "support/benchsupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <functional>
#include <memory>

using namespace tv;
using namespace tv::bench;

namespace {

constexpr int kLines = 100000;
constexpr int kRounds = 3;
constexpr int kPlaces = 2; // decimal places of the times and ratios

QByteArray siteListBytes(bool eightBit)
{
    QByteArray bytes;
    bytes.reserve(kLines * 56);
    for (int i = 0; i < kLines; ++i) {
        bytes += "https://www.site-" + QByteArray::number(i) + ".example.com/";
        bytes += eightBit ? "caf\xE9/" : "page/";
        bytes += "index.html\r\n";
    }
    return bytes;
}

// The best of a few rounds, in milliseconds; `prepare` runs outside the clock.
double bestOf(const std::function<void()>& prepare, const std::function<void()>& work)
{
    return bestSeconds(kRounds, work, prepare) * 1e3;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString utf8Path = dir.filePath(QStringLiteral("sites.txt"));
    const QString legacyPath = dir.filePath(QStringLiteral("sites-8bit.txt"));
    for (const auto& [path, eightBit] : {std::pair{utf8Path, false}, std::pair{legacyPath, true}}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(siteListBytes(eightBit)) < 0)
            return 1;
    }
    SilentDialogs dialogs;
    int rows = 0;

    const double baseline =
        bestOf([] {},
               [&] {
                   QFile file(utf8Path);
                   if (!file.open(QIODevice::ReadOnly))
                       return;
                   const QStringList lines =
                       QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
                   rows = int(lines.size());
               });
    figure("baseline_readall_split_100k_lines", baseline, "ms", kPlaces);

    std::unique_ptr<SiteListModel> list;
    const auto emptyList = [&] {
        list.reset();
        list = std::make_unique<SiteListModel>();
    };
    const double load = bestOf(emptyList, [&] { appendSitesFromFile(*list, utf8Path, dialogs); });
    rows = list->count();
    figure("load_100k_lines", load, "ms", kPlaces);
    figure("load_100k_lines_vs_baseline", load / baseline, "x", kPlaces);
    figure("load_100k_lines_rows", rows, "rows", 0);

    const double legacy =
        bestOf(emptyList, [&] { appendSitesFromFile(*list, legacyPath, dialogs); });
    figure("load_100k_lines_8bit", legacy, "ms", kPlaces);

    QTreeView view;
    view.setRootIsDecorated(false);
    view.resize(520, 105);
    view.show();
    // A new list in the view, empty or loaded before the view is told of it.
    const auto showNewList = [&](bool loaded) {
        view.setModel(nullptr);
        emptyList();
        if (loaded)
            appendSitesFromFile(*list, utf8Path, dialogs);
        view.setModel(list.get());
        QApplication::processEvents();
    };
    const double withView = bestOf([&] { showNewList(false); },
                                   [&] {
                                       appendSitesFromFile(*list, utf8Path, dialogs);
                                       QApplication::processEvents();
                                   });
    figure("load_100k_lines_with_view", withView, "ms", kPlaces);

    // Every tenth row goes: scattered removals, the hard case for removing rows one at a time.
    const QString needle = QStringLiteral("5.EXAMPLE");
    const auto refill = [&] { showNewList(true); };
    const double oneByOne = bestOf(refill, [&] {
        for (int row = list->count(); row >= 1; --row)
            if (list->text(row).toLower().contains(needle.toLower()))
                list->removeAt(row);
        QApplication::processEvents();
    });
    figure("baseline_remove_one_by_one_100k_rows", oneByOne, "ms", kPlaces);
    const double filtered = bestOf(refill, [&] {
        removeRowsContaining(*list, needle);
        QApplication::processEvents();
    });
    figure("filter_100k_rows_with_view", filtered, "ms", kPlaces);
    figure("filter_100k_rows_vs_one_by_one", filtered / oneByOne, "x", kPlaces);
    figure("filter_100k_rows_left", list->count(), "rows", 0);
    return 0;
}
