// The views behind the numbers from the window: a site's counted text from the site list (Enter
// or its menu), a word's uses from the results list (Enter, Ctrl+double-click or its menu) without
// removing the row, the chart of the shown rows, and local files added by the menu or dropped.
#include "app/concordanceview.h"
#include "app/pagetextview.h"
#include "app/wordchartview.h"
#include "count/fakecount.h"
#include "platform/windowcontrols.h"
#include "support/testenv.h"
#include "windowharness.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>

using namespace tv;

namespace {

// With TV_VIEW_SHOTS set to a folder, a view opened from the window is saved there as a
// picture, for looking at under Xvfb.
void shot(QWidget& view, const char* name)
{
    const QString folder = qEnvironmentVariable("TV_VIEW_SHOTS");
    if (folder.isEmpty())
        return;
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.grab().save(QDir(folder).filePath(QLatin1StringView(name) + ".png")));
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestWindowViews : public QObject {
    Q_OBJECT

    test::FakePageSource m_pages;
    std::unique_ptr<test::WindowHarness> m_h;

    MainWindow& load()
    {
        MainWindow& w = m_h->load(&m_pages);
        w.show();
        return w;
    }
    template <class T> T* control(const WindowControl& which) { return m_h->control<T>(which); }
    QTreeView* siteList() { return control<QTreeView>(control::siteList); }
    QTreeView* resultsList() { return control<QTreeView>(control::resultsList); }
    void count(bool database = true, bool perSite = false)
    {
        control<QRadioButton>(database ? control::databaseMethod : control::textMethod)->click();
        control<QRadioButton>(perSite ? control::perSiteCount : control::combinedCount)->click();
        control<QPushButton>(control::startCounting)->click();
        // The list hears of its rows in batches, as control comes back to the event loop.
        m_h->window().results().flushAppends();
    }
    void trigger(QWidget* list, const char* action)
    {
        auto* a = list->findChild<QAction*>(QString::fromLatin1(action));
        QVERIFY(a);
        QVERIFY(list->actions().contains(a));
        a->trigger();
    }
    // A command of the window's menu bar.
    void menuCommand(const char* name)
    {
        auto* action = m_h->window().findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY(action);
        action->trigger();
    }
    // The result row (from 0) whose word column holds `word`.
    int resultRow(const QString& word, int wordColumn = 1)
    {
        const ResultsModel& results = m_h->window().results();
        for (int r = 1; r <= results.rows(); ++r) {
            if (results.cell(r, wordColumn) == word)
                return r - 1;
        }
        return -1;
    }
    template <class View> QList<View*> views() { return m_h->window().findChildren<View*>(); }

private Q_SLOTS:
    void init()
    {
        m_h = std::make_unique<test::WindowHarness>();
        m_pages.calls.clear();
        m_pages.texts = {{"one.example", "The cat sat.\nA CAT!"},
                         {"two.example", "the dog, the cat"}};
    }
    void cleanup() { m_h.reset(); }

    // The counted text of a site, from the list's menu and by Enter, for both engines.
    void countedTextOfASite_data()
    {
        QTest::addColumn<bool>("database");
        QTest::addColumn<QString>("how");
        QTest::newRow("database method, list menu") << true << "list menu";
        QTest::newRow("database method, Enter") << true << "enter";
        QTest::newRow("text method, Enter") << false << "enter";
        QTest::newRow("text method, View menu") << false << "view menu";
    }
    void countedTextOfASite()
    {
        QFETCH(bool, database);
        QFETCH(QString, how);
        load();
        m_h->window().sites().append(QStringList{"one.example", "two.example"});
        count(database);
        QCOMPARE(m_h->window().results().rows(), 5);
        siteList()->setCurrentIndex(siteList()->model()->index(1, 0));
        if (how == u"enter") {
            siteList()->setFocus();
            QTest::keyClick(siteList(), Qt::Key_Return);
        } else if (how == u"list menu") {
            trigger(siteList(), "showCountedText");
        } else {
            menuCommand("countedTextAction");
        }
        QCOMPARE(views<PageTextView>().size(), 1);
        PageTextView* view = views<PageTextView>().first();
        QVERIFY(view->isVisible());
        QVERIFY(view->windowTitle().contains(QStringLiteral("two.example")));
        // Words as counted: punctuation gone, lower case.
        QCOMPARE(view->shownText(), QStringLiteral("the dog the cat"));
        QVERIFY2(view->statusLine().contains(QStringLiteral("4 words")),
                 qPrintable(view->statusLine()));
        QVERIFY(m_h->dialogs.unexpected.isEmpty());
        shot(*view, "window-pagetext");
        shot(m_h->window(), "window-main");
    }

    // A site the last run did not count says so instead.
    void siteNotCountedSaysSo()
    {
        load();
        m_h->window().sites().append(QStringLiteral("one.example"));
        siteList()->setCurrentIndex(siteList()->model()->index(0, 0));
        trigger(siteList(), "showCountedText");
        QCOMPARE(m_h->dialogs.informations.value(0),
                 QStringLiteral("This site was not counted in the last run."));
        count();
        m_h->window().sites().append(QStringLiteral("two.example"));
        siteList()->setCurrentIndex(siteList()->model()->index(1, 0));
        trigger(siteList(), "showCountedText");
        QCOMPARE(m_h->dialogs.informations.last(),
                 QStringLiteral("This site was not counted in the last run."));
        QVERIFY(views<PageTextView>().isEmpty());
    }

    // A word's uses from a result row; none of the ways removes the row.
    void usesOfAWord_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("perSite");
        QTest::addColumn<int>("uses");
        QTest::newRow("menu") << "menu" << false << 3;
        QTest::newRow("Enter") << "enter" << false << 3;
        QTest::newRow("Ctrl+double-click") << "ctrl-double-click" << false << 3;
        QTest::newRow("View menu") << "view menu" << false << 3;
        // Per site, the uses on the row's own site.
        QTest::newRow("per site, Enter") << "enter" << true << 2;
    }
    void usesOfAWord()
    {
        QFETCH(QString, how);
        QFETCH(bool, perSite);
        QFETCH(int, uses);
        load();
        m_h->window().sites().append(QStringList{"one.example", "two.example"});
        count(true, perSite);
        const int rowsBefore = m_h->window().results().rows();
        const int row = resultRow(QStringLiteral("cat"), perSite ? 2 : 1);
        QVERIFY(row >= 0);
        const QModelIndex index = resultsList()->model()->index(row, 0);
        resultsList()->setCurrentIndex(index);
        if (how == u"menu") {
            trigger(resultsList(), "showConcordance");
        } else if (how == u"view menu") {
            menuCommand("concordanceAction");
        } else if (how == u"enter") {
            resultsList()->setFocus();
            QTest::keyClick(resultsList(), Qt::Key_Enter);
        } else {
            const QPoint at = resultsList()->visualRect(index).center();
            QTest::mouseDClick(resultsList()->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        }
        QCOMPARE(m_h->window().results().rows(), rowsBefore);
        QVERIFY2(m_h->dialogs.informations.size() == 1,
                 qPrintable(m_h->dialogs.informations.join(u'|')));
        QCOMPARE(views<ConcordanceView>().size(), 1);
        const ConcordanceView* view = views<ConcordanceView>().first();
        QCOMPARE(view->model().lines().size(), uses);
        // Each as written, punctuation and all.
        for (const ConcordanceLine& line : view->model().lines())
            QVERIFY2(line.match.toLower().startsWith(QStringLiteral("cat")),
                     qPrintable(line.match));
        shot(*views<ConcordanceView>().first(), "window-concordance");
        // A plain double-click still removes the row, as it always did.
        const QPoint at = resultsList()->visualRect(index).center();
        QTest::mouseDClick(resultsList()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(m_h->window().results().rows(), rowsBefore - 1);
    }

    // The chart takes the rows the list shows: per site, each word's counts together.
    void chartOfTheShownRows_data()
    {
        QTest::addColumn<bool>("perSite");
        QTest::newRow("one count") << false;
        QTest::newRow("per site") << true;
    }
    void chartOfTheShownRows()
    {
        QFETCH(bool, perSite);
        load();
        m_h->window().sites().append(QStringList{"one.example", "two.example"});
        count(false, perSite);
        trigger(resultsList(), "showWordChart");
        QCOMPARE(views<WordChartView>().size(), 1);
        shot(*views<WordChartView>().first(), "window-chart");
        const WordChart& chart = views<WordChartView>().first()->chart();
        QCOMPARE(chart.shown().size(), size_t(5));
        QCOMPARE(chart.shown().front().word, QStringLiteral("cat"));
        QCOMPARE(chart.shown().front().count, 3);
        QCOMPARE(chart.shown()[1].word, QStringLiteral("the"));
        QCOMPARE(chart.shown()[1].count, 3);
    }

    // Local files chosen with "Add Local Files..." are counted as pages, in both engines.
    void localFilesAreCounted_data()
    {
        QTest::addColumn<bool>("database");
        QTest::newRow("database method") << true;
        QTest::newRow("text method") << false;
    }
    void localFilesAreCounted()
    {
        QFETCH(bool, database);
        const QString folder = test::fixtureFolder(QStringLiteral("local"));
        const QString html = folder + QStringLiteral("/page one.html");
        const QString text = folder + QStringLiteral("/notes.txt");
        QVERIFY(writeFile(html, "<title>no</title><p hidden>gone</p><p>Local page</p>"));
        // A list of addresses, but chosen as a page: counted as text.
        QVERIFY(writeFile(text, "example.org\nlocal.example"));
        load();
        m_h->dialogs.openResults.enqueue({html, text});
        menuCommand("addLocalFilesAction");
        QCOMPARE(m_h->window().sites().rows(),
                 QStringList({QUrl::fromLocalFile(html).toString(QUrl::FullyEncoded),
                              QUrl::fromLocalFile(text).toString(QUrl::FullyEncoded)}));
        count(database);
        QStringList words;
        for (int r = 1; r <= m_h->window().results().rows(); ++r)
            words << m_h->window().results().cell(r, 1) + u'=' + m_h->window().results().cell(r, 2);
        words.sort();
        QCOMPARE(words, QStringList({"exampleorg=1", "local=1", "localexample=1", "page=1"}));
        QVERIFY2(m_pages.fetched().isEmpty(), qPrintable(m_pages.fetched().join(u',')));
    }

    // Dropped files: a list of addresses adds its addresses, a page adds itself.
    void droppedFiles()
    {
        const QString folder = test::fixtureFolder(QStringLiteral("dropped"));
        const QString list = folder + QStringLiteral("/sites.txt");
        const QString page = folder + QStringLiteral("/saved.htm");
        const QString prose = folder + QStringLiteral("/prose.txt");
        QVERIFY(writeFile(list, "one.example\r\nhttps://two.example/a\r\n"));
        QVERIFY(writeFile(page, "<p>saved</p>"));
        QVERIFY(writeFile(prose, "Some words of prose.\n"));
        load();
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(list), QUrl::fromLocalFile(page), QUrl::fromLocalFile(prose)});
        QWidget* target = siteList()->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QCOMPARE(m_h->window().sites().rows(),
                 QStringList({"one.example", "https://two.example/a",
                              QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded),
                              QUrl::fromLocalFile(prose).toString(QUrl::FullyEncoded)}));
    }
};

TV_TEST_MAIN(TestWindowViews, QApplication)
#include "test_windowviews.moc"
