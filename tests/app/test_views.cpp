// The views behind the numbers, offscreen: the chart of the top words (bars and labels in the
// saved PNG and SVG, at 100 % and 200 %), a page's counted text with its status line and find
// bar, and a word's concordance, sorted and copied. With TV_VIEW_SHOTS set to a folder, each
// view is also saved there as a picture, for looking at under Xvfb.
#include "app/concordanceview.h"
#include "app/findbar.h"
#include "app/pagetextview.h"
#include "app/wordchart.h"
#include "app/wordchartview.h"
#include "keep/keptstore.h"
#include "keep/pagestatus.h"
#include "support/recorders.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace tv;

namespace {

WordRows rowsOf(int n)
{
    WordRows rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({QStringLiteral("word%1").arg(i, 3, 10, QLatin1Char('0')), 1000 - i * 7});
    return rows;
}

// Vertical runs of the bar colour down one column of the picture.
int barRuns(const QImage& image, int x)
{
    int runs = 0;
    bool inside = false;
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        const bool bar = c.blue() > 120 && c.red() < 90;
        if (bar && !inside)
            ++runs;
        inside = bar;
    }
    return runs;
}

bool hasInk(const QImage& image, const QRect& box)
{
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                return true;
        }
    }
    return false;
}

void shoot(QWidget& view, const char* name)
{
    const QString folder = qEnvironmentVariable("TV_VIEW_SHOTS");
    if (folder.isEmpty())
        return;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.grab().save(QDir(folder).filePath(QLatin1StringView(name) + ".png")));
}

FetchedPage readPage(const QString& address, const QString& text)
{
    FetchedPage page;
    page.outcome = FetchedPage::Outcome::Read;
    page.address = address;
    page.url = QStringLiteral("https://") + address + QStringLiteral("/index.html");
    page.text = text;
    page.encoding = "UTF-8";
    page.bytes = 4321;
    return page;
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT
private slots:
    void chartSavesOneBarAndLabelPerWord_data();
    void chartSavesOneBarAndLabelPerWord();
    void chartStaysReadableAtTwiceTheScale();
    void chartViewKeepsItsBounds();
    void pageTextShowsWhatWasCounted();
    void pageWithoutTextSaysWhy();
    void pageFromTheStore();
    void concordanceListsSortsAndCopies();
};

void TestViews::chartSavesOneBarAndLabelPerWord_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bars");
    QTest::newRow("fewer rows than asked") << 7 << 10 << 7;
    QTest::newRow("top 10") << 50 << 10 << 10;
    QTest::newRow("top 25") << 50 << 25 << 25;
    QTest::newRow("top 100 of more") << 150 << 100 << 100;
}

void TestViews::chartSavesOneBarAndLabelPerWord()
{
    QFETCH(int, rows);
    QFETCH(int, top);
    QFETCH(int, bars);
    WordRows given = rowsOf(rows);
    std::reverse(given.begin(), given.end()); // least frequent first, as a count hands them
    WordChart chart;
    chart.setRows(given, top);
    QCOMPARE(int(chart.shown().size()), bars);
    QCOMPARE(chart.shown().front().word, QStringLiteral("word000"));

    QTemporaryDir dir;
    const QFont font = QApplication::font();
    const qreal width = chart.preferredWidth(font);
    chart.savePng(dir.filePath(QStringLiteral("chart.png")), font, width, 1);
    const QImage image(dir.filePath(QStringLiteral("chart.png")));
    QVERIFY(!image.isNull());
    const WordChart::Layout shape = chart.layout(font, width);
    QCOMPARE(image.size(), shape.size.toSize());
    QCOMPARE(barRuns(image, int(shape.bars.first().left()) + 1), bars);
    int labels = 0;
    for (const QRectF& label : shape.labels)
        labels += hasInk(image, label.toAlignedRect()) ? 1 : 0;
    QCOMPARE(labels, bars);

    chart.saveSvg(dir.filePath(QStringLiteral("chart.svg")), font, width);
    QFile svg(dir.filePath(QStringLiteral("chart.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(svg.readAll());
    for (const WordRow& row : chart.shown()) {
        QVERIFY2(written.contains(u'>' + row.word + u'<'), qPrintable(row.word));
        QVERIFY(written.contains(u'>' + QLocale().toString(row.count) + u'<'));
    }
}

void TestViews::chartStaysReadableAtTwiceTheScale()
{
    WordChart chart;
    chart.setRows(rowsOf(30), 30);
    QFont doubled = QApplication::font();
    doubled.setPixelSize(QFontInfo(QApplication::font()).pixelSize() * 2);
    const QFontMetricsF metrics(doubled);
    const WordChart::Layout shape = chart.layout(doubled, chart.preferredWidth(doubled));
    for (qsizetype i = 0; i < shape.bars.size(); ++i) {
        QVERIFY(shape.labels[i].height() >= metrics.height());
        QVERIFY(shape.labels[i].width() >= metrics.horizontalAdvance(chart.shown()[i].word));
        QVERIFY(shape.counts[i].width() >=
                metrics.horizontalAdvance(QLocale().toString(chart.shown()[i].count)));
        if (i > 0) // rows never overlap
            QVERIFY(shape.bars[i].top() >= shape.bars[i - 1].bottom());
    }
    // Saved at twice the pixels of its layout, as at 200 % scaling.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chart@2x.png"));
    chart.savePng(path, QApplication::font(), 600, 2);
    const QImage image(path);
    QCOMPARE(image.width(), 1200);
}

void TestViews::chartViewKeepsItsBounds()
{
    test::ScriptedDialogs dialogs;
    WordChartView view(dialogs);
    view.resize(700, 600);
    view.setRows(rowsOf(120));
    view.setTop(5);
    QCOMPARE(view.top(), WordChart::kMinTop);
    view.setTop(500);
    QCOMPARE(view.top(), WordChart::kMaxTop);
    QCOMPARE(int(view.chart().shown().size()), 100);
    view.setTop(20);
    QTemporaryDir dir;
    dialogs.saveResults << dir.filePath(QStringLiteral("picked.svg"));
    view.saveSvg();
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("picked.svg"))).size() > 0);
    // A file that cannot be written is said so, not thrown.
    view.savePng(dir.filePath(QStringLiteral("missing/folder/chart.png")));
    QCOMPARE(dialogs.informations.size(), 1);
    shoot(view, "chart");
}

void TestViews::pageTextShowsWhatWasCounted()
{
    KeptPage page;
    page.site = 1;
    page.address = QStringLiteral("example.org");
    page.url = QStringLiteral("https://www.example.org/");
    page.encoding = "windows-1252";
    page.bytes = 2048;
    page.words = 9;
    page.ignoreCase = true;
    page.outcome = FetchedPage::Outcome::Read;
    page.state = KeptPage::Text::Kept;
    page.text = QStringLiteral("Don't panic!\r\nThe guide -- (the) answer\tis 42.");
    PageTextView view;
    view.resize(640, 400);
    view.showPage(page, {}, KeptTexts::Limits().runBytes);
    QCOMPARE(view.statusLine(), pageStatusLine(page));
    QVERIFY(view.statusLine().contains(QStringLiteral("https://www.example.org/")));
    QVERIFY(view.statusLine().contains(QStringLiteral("windows-1252")));
    QCOMPARE(view.shownText(), QStringLiteral("dont panic \nthe guide -- the answer\tis 42"));
    // Cleaned: Don't, panic!, The, (the), 42.; left no word: --.
    QCOMPARE(view.shownMarks().size(), 6);

    view.setShowCounted(false);
    QCOMPARE(view.shownText(), QStringLiteral("Don't panic! \nThe guide -- (the) answer\tis 42."));
    view.findBar().setFindText(QStringLiteral("the"));
    QCOMPARE(view.findBar().matches(), 2);
    QCOMPARE(view.findBar().matchText(), QStringLiteral("1 of 2"));
    QVERIFY(view.findBar().findNext());
    QCOMPARE(view.findBar().matchText(), QStringLiteral("2 of 2"));
    view.findBar().setFindText(QStringLiteral("missing"));
    QCOMPARE(view.findBar().matchText(), QStringLiteral("No match"));
    view.findBar().setFindText(QString());
    view.setShowCounted(true);
    shoot(view, "pagetext");
}

void TestViews::pageWithoutTextSaysWhy()
{
    KeptPage page;
    page.address = QStringLiteral("dead.example");
    page.outcome = FetchedPage::Outcome::Read;
    page.state = KeptPage::Text::OverLimit;
    page.words = 120;
    PageTextView view;
    view.showPage(page, {}, KeptTexts::Limits().runBytes);
    QCOMPARE(view.shownText(), missingTextReason(page, KeptTexts::Limits().runBytes));
    QVERIFY(view.shownMarks().isEmpty());
    QVERIFY(!view.findChild<QCheckBox*>(QStringLiteral("showCounted"))->isEnabled());
}

void TestViews::pageFromTheStore()
{
    KeptTexts store;
    const int run = store.beginRun({});
    store.keep(run, 1, readPage(QStringLiteral("a.example"), QStringLiteral("Hello, World")), 2,
               false);
    PageTextView view;
    QVERIFY(view.showSite(store, run, 1));
    QCOMPARE(view.shownText(), QStringLiteral("Hello World"));
    QVERIFY(view.statusLine().startsWith(QStringLiteral("https://a.example/index.html")));
    QVERIFY(!view.showSite(store, run, 2));
    QVERIFY(!view.showSite(store, run + 1, 1));
    QCOMPARE(view.shownText(), QStringLiteral("Hello World"));
}

void TestViews::concordanceListsSortsAndCopies()
{
    KeptTexts store;
    const int run = store.beginRun({});
    store.keep(run, 1,
               readPage(QStringLiteral("one.example"),
                        QStringLiteral("the zebra cat sat\nYak cat apple\nand one more cat")),
               12, true);
    store.keep(run, 2, readPage(QStringLiteral("two.example"), QStringLiteral("a cat\tbanana")), 3,
               true);
    test::RecordingDesktop desktop;
    ConcordanceView view(desktop);
    view.resize(800, 300);
    view.setConcordance(findConcordance(store, run, QStringLiteral("cat")));
    QCOMPARE(view.caption(), QStringLiteral("4 uses of \u201ccat\u201d"));
    QAbstractItemModel* model = view.table().model();
    QCOMPARE(model->rowCount(), 4);
    QCOMPARE(model->index(3, ConcordanceModel::Right).data().toString(), QStringLiteral(" banana"));
    QCOMPARE(model->index(0, ConcordanceModel::Left).data(Qt::TextAlignmentRole).toInt() &
                 Qt::AlignRight,
             int(Qt::AlignRight));

    // A click on the right context's header sorts by the word to the right.
    QTest::mouseClick(
        view.table().horizontalHeader()->viewport(), Qt::LeftButton, {},
        QPoint(view.table().horizontalHeader()->sectionViewportPosition(ConcordanceModel::Right) +
                   5,
               5));
    QStringList rights;
    for (int row = 0; row < 4; ++row)
        rights << model->index(row, ConcordanceModel::Right).data().toString();
    QCOMPARE(rights, (QStringList{QString(), QStringLiteral(" apple"), QStringLiteral(" banana"),
                                  QStringLiteral(" sat")}));
    view.setOrder(ConcordanceOrder::Left);
    QCOMPARE(model->index(0, ConcordanceModel::Left).data().toString(), QStringLiteral("a "));
    QCOMPARE(model->index(3, ConcordanceModel::Left).data().toString(),
             QStringLiteral("the zebra "));

    // Copied as aligned text: the words stand in one column.
    view.table().selectRow(0);
    QVERIFY(view.copy());
    QCOMPARE(desktop.clipboard, QStringLiteral("two.example  a   cat   banana\n"));
    view.table().clearSelection();
    const QStringList lines = view.copiedText().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    const qsizetype column = lines[0].indexOf(QStringLiteral("  cat  "));
    for (const QString& line : lines)
        QCOMPARE(line.indexOf(QStringLiteral("  cat  ")), column);
    view.setOrder(ConcordanceOrder::Text);
    shoot(view, "concordance");

    // Straight from the store: one site's uses, and a word that is none.
    QVERIFY(view.showWord(store, run, QStringLiteral("CAT"), QStringLiteral("two.example")));
    QCOMPARE(model->rowCount(), 1);
    QVERIFY(!view.showWord(store, run, QStringLiteral("...")));
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(view.caption().contains(QStringLiteral("no word")));
}

QTEST_MAIN(TestViews)
#include "test_views.moc"
