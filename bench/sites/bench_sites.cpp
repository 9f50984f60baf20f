// Loading a 100,000-line site list and filtering it, each against a plain baseline measured
// in the same process. Prints "name value unit" lines.
#include "platform/dialogs.h"
#include "sites/filtersites.h"
#include "sites/loadfromfile.h"
#include "sites/sitelistmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeView>

#include <algorithm>
#include <functional>

using namespace tv;

namespace {

constexpr int kLines = 100000;
constexpr int kRounds = 3;

class SilentDialogs : public Dialogs {
public:
    void information(const QString&) override {}
    bool question(const QString&, bool) override { return false; }
    QString inputBox(const QString&) override { return {}; }
    QStringList openFileNames(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
};

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
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        prepare();
        QElapsedTimer clock;
        clock.start();
        work();
        best = std::min(best, clock.nsecsElapsed() / 1e6);
    }
    return best;
}

void print(const char* name, double value, const char* unit, int decimals = 2)
{
    QTextStream(stdout) << name << ' ' << QString::number(value, 'f', decimals) << ' ' << unit
                        << '\n';
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
    print("baseline_readall_split_100k_lines", baseline, "ms");

    SiteListModel* list = nullptr;
    const double load = bestOf(
        [&] {
            delete list;
            list = new SiteListModel;
        },
        [&] { LoadListviewFromFile(*list, utf8Path, dialogs); });
    rows = list->count();
    print("load_100k_lines", load, "ms");
    print("load_100k_lines_vs_baseline", load / baseline, "x");
    print("load_100k_lines_rows", rows, "rows", 0);

    const double legacy = bestOf(
        [&] {
            delete list;
            list = new SiteListModel;
        },
        [&] { LoadListviewFromFile(*list, legacyPath, dialogs); });
    print("load_100k_lines_8bit", legacy, "ms");

    QTreeView view;
    view.setRootIsDecorated(false);
    view.resize(520, 105);
    view.show();
    const double withView = bestOf(
        [&] {
            view.setModel(nullptr);
            delete list;
            list = new SiteListModel;
            view.setModel(list);
            QApplication::processEvents();
        },
        [&] {
            LoadListviewFromFile(*list, utf8Path, dialogs);
            QApplication::processEvents();
        });
    print("load_100k_lines_with_view", withView, "ms");

    // Every tenth row goes: scattered removals, the hard case for removing rows one at a time.
    const QString needle = QStringLiteral("5.EXAMPLE");
    const auto refill = [&] {
        view.setModel(nullptr);
        delete list;
        list = new SiteListModel;
        LoadListviewFromFile(*list, utf8Path, dialogs);
        view.setModel(list);
        QApplication::processEvents();
    };
    const double oneByOne = bestOf(refill, [&] {
        for (int row = list->count(); row >= 1; --row)
            if (list->text(row).toLower().contains(needle.toLower()))
                list->removeAt(row);
        QApplication::processEvents();
    });
    print("baseline_remove_one_by_one_100k_rows", oneByOne, "ms");
    const double filtered = bestOf(refill, [&] {
        RemoveListviewItemsContaining(*list, needle);
        QApplication::processEvents();
    });
    print("filter_100k_rows_with_view", filtered, "ms");
    print("filter_100k_rows_vs_one_by_one", filtered / oneByOne, "x");
    print("filter_100k_rows_left", list->count(), "rows", 0);

    view.setModel(nullptr);
    delete list;
    return 0;
}
