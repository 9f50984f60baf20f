// The menu bar's shortcuts, Delete and Ctrl+Z on both lists, and "Export..." to a file.
#include "platform/windowcontrols.h"
#include "results/copyresults.h"
#include "support/testenv.h"
#include "windowharness.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

using namespace tv;

namespace {

void fillResults(MainWindow& w)
{
    for (const auto& [word, count] :
         {std::pair{"pear", "1"}, std::pair{"apple", "2"}, std::pair{"grape", "10"}})
        w.results().append(QString::fromLatin1(word), QString::fromLatin1(count));
    w.results().flushAppends();
}

void select(QTreeView* view, std::initializer_list<int> rows)
{
    view->setFocus();
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class TestWindowMenus : public QObject {
    Q_OBJECT

    std::unique_ptr<test::WindowHarness> m_h;

    MainWindow& shown()
    {
        m_h = std::make_unique<test::WindowHarness>();
        MainWindow& w = m_h->load();
        w.show();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qFatal("the window did not become active");
        return w;
    }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    void shortcutsReachTheirCommands()
    {
        MainWindow& w = shown();
        test::WindowHarness& h = *m_h;
        // Ctrl+O loads a site list; F5 and Ctrl+Enter start a run (here on an empty list).
        const QString list = test::writeFile(
            test::fixtureFolder(QStringLiteral("menus")) + QStringLiteral("/sites.txt"), "a\r\nb");
        h.dialogs.openResults << QStringList{list};
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(w.sites().rows(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        w.sites().clear();
        QTest::keyClick(&w, Qt::Key_F5);
        QTest::keyClick(&w, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(h.dialogs.informations, (QStringList{QStringLiteral("No files added."),
                                                      QStringLiteral("No files added.")}));

        // Ctrl+C copies the selected rows without a box, Ctrl+Shift+C all as the button does.
        fillResults(w);
        auto* results = h.control<QTreeView>(control::resultsList);
        select(results, {0, 2});
        QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(h.desktop.clipboard, QStringLiteral("pear \t1\r\ngrape\t10\r\n"));
        QCOMPARE(h.dialogs.informations.size(), 2);
        QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(h.desktop.clipboard, QStringLiteral("pear \t1\r\napple\t2\r\ngrape\t10\r\n"));
        QCOMPARE(h.dialogs.informations.last(), copiedToClipboardMessage());

        // Ctrl+S saves as the button does; Ctrl+F goes to the find box.
        const QString saved =
            test::fixtureFolder(QStringLiteral("menus")) + QStringLiteral("/saved.txt");
        h.dialogs.saveResults << saved;
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(test::readFile(saved).startsWith("Results\tCount\t\r\npear "));
        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(w.findChild<QLineEdit*>(QStringLiteral("resultsFind"))->hasFocus());
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
        QVERIFY2(h.dialogs.unexpected.isEmpty(), qPrintable(h.dialogs.unexpected.join(u'\n')));
    }

    // Alt and a caption's underlined letter reach its control; a letter two buttons share moves
    // the focus between them and clicks neither; no letter is taken from the menu bar.
    void accessKeysReachTheirControls()
    {
        MainWindow& w = shown();
        QString menuKeys;
        for (QAction* menu : w.findChild<QMenuBar*>()->actions())
            menuKeys += menu->text().at(menu->text().indexOf(u'&') + 1).toLower();
        QCOMPARE(menuKeys, QStringLiteral("fecvh"));
        QString keys;
        QList<WindowControl> controls(std::begin(kTabOrder), std::end(kTabOrder));
        controls << control::styleSheets << control::wordAnalysis;
        for (const WindowControl& which : controls) {
            if (!which.accessKey)
                continue;
            const QString label = labelOf(which);
            QCOMPARE(label.count(u'&'), 1);
            QCOMPARE(QString(label).remove(u'&'), QString::fromLatin1(which.caption));
            keys += QChar::fromLatin1(which.accessKey).toLower();
        }
        for (QChar key : keys)
            QVERIFY2(!menuKeys.contains(key) && keys.count(key) <= (key == u'r' ? 2 : 1),
                     qPrintable(keys));

        auto* ignoreCase = m_h->control<QCheckBox>(control::ignoreCase);
        auto* perSite = m_h->control<QRadioButton>(control::perSiteCount);
        const bool ignoring = ignoreCase->isChecked();
        QTest::keyClick(&w, Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(ignoreCase->isChecked(), !ignoring); // a mnemonic clicks as if pressed
        QTest::keyClick(&w, Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(perSite->isChecked());

        w.sites().append(QStringLiteral("kept.example"));
        fillResults(w);
        auto* clearList = m_h->control<QPushButton>(control::clearSiteList);
        auto* clearResults = m_h->control<QPushButton>(control::clearResults);
        QTest::keyClick(&w, Qt::Key_R, Qt::AltModifier);
        QWidget* first = QApplication::focusWidget();
        QTest::keyClick(&w, Qt::Key_R, Qt::AltModifier);
        QWidget* second = QApplication::focusWidget();
        QCOMPARE((QSet<QWidget*>{first, second}), (QSet<QWidget*>{clearList, clearResults}));
        QTest::qWait(300); // longer than a mnemonic's delayed click
        QCOMPARE(w.sites().count(), 1);
        QCOMPARE(w.results().rows(), 3);
    }

    // Delete removes the selected rows of the list that has the focus; Ctrl+Z puts back the
    // last removal or clear, but not over a change made since.
    void deleteAndUndoOnBothLists()
    {
        MainWindow& w = shown();
        test::WindowHarness& h = *m_h;
        auto* sites = h.control<QTreeView>(control::siteList);
        w.sites().append(
            QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
        select(sites, {0, 2});
        QTest::keyClick(&w, Qt::Key_Delete);
        QCOMPARE(w.sites().rows(), QStringList{QStringLiteral("two")});
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.sites().rows(), (QStringList{QStringLiteral("one"), QStringLiteral("two"),
                                                QStringLiteral("three")}));

        fillResults(w);
        auto* results = h.control<QTreeView>(control::resultsList);
        select(results, {1});
        QTest::keyClick(&w, Qt::Key_Delete);
        QCOMPARE(h.resultRows(),
                 (QStringList{QStringLiteral("pear|1"), QStringLiteral("grape|10")}));
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.resultRows(), (QStringList{QStringLiteral("pear|1"), QStringLiteral("apple|2"),
                                              QStringLiteral("grape|10")}));

        h.control<QPushButton>(control::clearResults)->click();
        QCOMPARE(w.results().rows(), 0);
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.results().rows(), 3);

        // A clear followed by new rows: the undo would lose them, so it does nothing.
        h.control<QPushButton>(control::clearSiteList)->click();
        w.sites().append(QStringLiteral("new"));
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.sites().rows(), QStringList{QStringLiteral("new")});
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
    }

    // "Export..." writes the rows as shown, by the file's ending; a workbook needs no
    // spreadsheet program, whose absence keeps "Save Results As Excel File" at its messages.
    void exportWritesTheChosenFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("csv") << "out.csv" << QByteArray("word,count\r\ngrape,10\r\napple,2\r\n");
        QTest::newRow("tsv") << "out.TSV" << QByteArray("word\tcount\ngrape\t10\napple\t2\n");
        QTest::newRow("json") << "out.json" << QByteArray("json");
        QTest::newRow("xlsx") << "out.xlsx" << QByteArray("PK");
    }
    void exportWritesTheChosenFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, expected);
        MainWindow& w = shown();
        test::WindowHarness& h = *m_h;
        h.spreadsheetApp = false;
        fillResults(w);
        w.shownResults().sortBy(2, Qt::DescendingOrder);
        w.findChild<QLineEdit*>(QStringLiteral("resultsFind"))->setText(QStringLiteral("AP"));
        const QString folder = test::fixtureFolder(QStringLiteral("export-") + name);
        const QString path = folder + u'/' + name;
        h.dialogs.saveResults << path;
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
        const QByteArray written = test::readFile(path);
        if (expected == "json") {
            const QJsonArray rows = QJsonDocument::fromJson(written).array();
            QCOMPARE(rows.size(), 2);
            QCOMPARE(rows[0].toObject().value(QStringLiteral("word")).toString(),
                     QStringLiteral("grape"));
            QCOMPARE(rows[1].toObject().value(QStringLiteral("count")).toInt(), 2);
        } else if (expected == "PK") {
            QVERIFY(written.startsWith("PK"));
            // Only the chosen file: the workbook's working file is gone.
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name});
        } else {
            QCOMPARE(written, expected);
        }
        QVERIFY(h.desktop.openedDocuments.isEmpty());
        QVERIFY2(h.sink.reports.isEmpty(), qPrintable(h.sink.reports.join(u'\n')));
        QCOMPARE(h.dialogs.informations, QStringList());
    }

    void exportAsksBeforeReplacingAndNamesTheEndings()
    {
        MainWindow& w = shown();
        test::WindowHarness& h = *m_h;
        fillResults(w);
        const QString path = test::writeFile(test::fixtureFolder(QStringLiteral("export-replace")) +
                                                 QStringLiteral("/old.csv"),
                                             "keep me");
        h.dialogs.saveResults << path;
        h.dialogs.answers << false;
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(test::readFile(path), QByteArray("keep me"));
        QCOMPARE(h.dialogs.questions.size(), 1);
        h.dialogs.saveResults << path + QStringLiteral(".txt");
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(h.dialogs.informations.size(), 1);
        QVERIFY(h.dialogs.informations.first().contains(QStringLiteral(".xlsx, .csv, .tsv")));
        QVERIFY(!QFileInfo::exists(path + QStringLiteral(".txt")));
    }
};

TV_TEST_MAIN(TestWindowMenus, QApplication)
#include "test_windowmenus.moc"
