// The main window: layout, start-up sequence, saved engine choice, provider diagnosis,
// pointer rules and the results-list layouts.
#include "app/mainwindow.h"
#include "count/provider.h"
#include "fetch/pagesource.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/spreadsheet.h"
#include "platform/windowcontrols.h"
#include "results/copyresults.h"
#include "results/spreadsheetexport.h"
#include "sites/sitecommands.h"
#include "support/httpserver.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QTimer>
#include <QTreeView>
#include <memory>

using namespace tv;

namespace {

ProviderProbe present()
{
    return {true, 0, {}};
}

ProviderProbe missing()
{
    return {false, 3706,
            QStringLiteral("Provider cannot be found. It may not be properly installed.")};
}

ProviderProbe brokenOtherwise()
{
    return {false, 429, QStringLiteral("ActiveX component can't create object")};
}

// A program folder of the test's own: the template database, and the cursor when asked for.
QString makeProgramFolder(bool withTemplate, bool withCursor)
{
    static int n = 0;
    const QString folder = test::fixtureFolder(QStringLiteral("program%1").arg(++n));
    const QString built = QCoreApplication::applicationDirPath();
    if (withTemplate)
        QFile::copy(built + QStringLiteral("/dbBlank.mdb"),
                    folder + QStringLiteral("/dbBlank.mdb"));
    if (withCursor)
        QFile::copy(built + QStringLiteral("/HAND-M.CUR"), folder + QStringLiteral("/HAND-M.CUR"));
    return folder;
}

// Records the cells an export writes.
class RecordingSheet : public Spreadsheet {
public:
    explicit RecordingSheet(QStringList* log) : m_log(log) {}
    void newWorkbook() override { *m_log << QStringLiteral("new"); }
    void setCellText(int row, int column, const QString& text) override
    {
        *m_log << QStringLiteral("%1,%2=%3").arg(row).arg(column).arg(text);
    }
    void fitColumns() override { *m_log << QStringLiteral("fit"); }
    void show() override { *m_log << QStringLiteral("show"); }

private:
    QStringList* m_log;
};

void sendMove(QWidget* w)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    test::ScriptedDialogs m_dialogs;
    test::RecordingDesktop m_desktop;
    std::unique_ptr<test::RecordingSink> m_sink;
    std::unique_ptr<MainWindow> m_window;

    QStringList m_sheetLog;
    bool m_spreadsheetApp = true;

    MainWindow& load(std::function<ProviderProbe()> probe, bool withTemplate = true,
                     bool withCursor = true)
    {
        MainWindowServices s;
        s.spreadsheetRegistered = [this] { return m_spreadsheetApp; };
        s.makeSpreadsheet = [this] { return std::make_unique<RecordingSheet>(&m_sheetLog); };
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = std::move(probe);
        s.programFolder = makeProgramFolder(withTemplate, withCursor);
        m_window = std::make_unique<MainWindow>(s);
        m_window->load();
        return *m_window;
    }
    template <class T> T* control(const WindowControl& which)
    {
        T* c = m_window->findChild<T*>(QString::fromLatin1(which.name));
        if (!c)
            qFatal("no control %s (%s)", which.name, which.intent);
        return c;
    }
    static QString stored(const char* key)
    {
        return QSettings(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"))
            .value(QString::fromLatin1(key))
            .toString();
    }
    static void store(const char* key, const QString& value)
    {
        QSettings s(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"));
        s.setValue(QString::fromLatin1(key), value);
        s.sync();
    }

private Q_SLOTS:
    void init()
    {
        m_dialogs = test::ScriptedDialogs();
        m_desktop = test::RecordingDesktop();
        m_sink = std::make_unique<test::RecordingSink>();
        m_sheetLog.clear();
        m_spreadsheetApp = true;
        QSettings s(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"));
        s.clear();
        s.sync();
        QDir(sharedDataFolder() + QStringLiteral("/Quenrith")).removeRecursively();
        QFile::remove(sharedDataFolder() + QStringLiteral("/Quenrith"));
    }
    void cleanup()
    {
        m_window.reset();
        m_sink.reset();
    }

    // Every control of the table is on the window under its layout name, with its caption and
    // the layout's fonts; its tab index is its place in the table's tab order.
    void controlsOfTheTable_data()
    {
        QTest::addColumn<int>("tab");
        int tab = 0;
        for (const WindowControl& which : kTabOrder)
            QTest::newRow(which.intent) << tab++;
    }
    void controlsOfTheTable()
    {
        QFETCH(int, tab);
        const WindowControl& which = kTabOrder[tab];
        load(present);
        QWidget* w = control<QWidget>(which);
        QCOMPARE(w->property("TabIndex").toInt(), tab);
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* f = qobject_cast<QGroupBox*>(w))
            text = f->title();
        else if (auto* bar = qobject_cast<QProgressBar*>(w))
            text = bar->format();
        QCOMPARE(text, labelOf(which));
        QCOMPARE(text.remove(u'&'), QString::fromLatin1(which.caption));
        QCOMPARE(w->font().family(), QStringLiteral("Arial"));
        QVERIFY(w->font().bold());
        QCOMPARE(w->font().pointSizeF(), qobject_cast<QPushButton*>(w) ? 11.25 : 9.0);
    }

    // Every control lies inside the window (an option inside its frame), no two overlap, and
    // from top to bottom the window reads: the site list, three rows of two buttons, the two
    // frames, "Start Counting", the results list, two rows of two buttons, the progress bar.
    void layoutReadsTopToBottom()
    {
        load(present);
        QList<QWidget*> all;
        for (const WindowControl& which : kTabOrder) {
            QWidget* w = control<QWidget>(which);
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), which.intent);
            QVERIFY2(!w->geometry().isEmpty(), which.intent);
            all << w;
        }
        for (qsizetype i = 0; i < all.size(); ++i) {
            for (qsizetype j = i + 1; j < all.size(); ++j) {
                if (all[i]->parentWidget() == all[j]->parentWidget())
                    QVERIFY2(!all[i]->geometry().intersects(all[j]->geometry()),
                             qPrintable(all[i]->objectName() + u' ' + all[j]->objectName()));
            }
        }
        const QList<QList<WindowControl>> lines{
            {control::siteList},
            {control::addOneUrl, control::loadSitesFromFiles},
            {control::clearSiteList, control::loadSampleSites},
            {control::removeSitesContaining, control::removeSitesNotContaining},
            {control::optionsFrame},
            {control::speedFrame},
            {control::startCounting},
            {control::resultsList},
            {control::saveResultsAsText, control::exportResults},
            {control::copyResults, control::clearResults},
            {control::progressBar}};
        int above = 0;
        for (const QList<WindowControl>& line : lines) {
            const int top = control<QWidget>(line.first())->geometry().top();
            int left = -1;
            for (const WindowControl& which : line) {
                const QRect r = control<QWidget>(which)->geometry();
                QVERIFY2(r.top() == top && r.top() > above, which.intent);
                QVERIFY2(r.left() > left, which.intent);
                left = r.right();
            }
            above = control<QWidget>(line.first())->geometry().bottom();
        }
        // The options of a frame stand one below the other.
        for (const QList<WindowControl>& frame :
             {QList<WindowControl>{control::combinedCount, control::perSiteCount,
                                   control::ignoreCase},
              QList<WindowControl>{control::databaseMethod, control::textMethod}}) {
            int bottom = 0;
            for (const WindowControl& which : frame) {
                QVERIFY2(control<QWidget>(which)->geometry().top() > bottom, which.intent);
                bottom = control<QWidget>(which)->geometry().bottom();
            }
        }
    }

    // Tab moves through the controls that take focus in the table's tab order.
    void tabChainFollowsTheTable()
    {
        load(present);
        QList<QWidget*> expected;
        for (const WindowControl& which : kTabOrder) {
            QWidget* w = control<QWidget>(which);
            if (w->focusPolicy() & Qt::TabFocus)
                expected << w;
        }
        QVERIFY(expected.size() > 10);
        QList<QWidget*> chain{expected.first()};
        for (QWidget* w = expected.first()->nextInFocusChain(); w != expected.first();
             w = w->nextInFocusChain()) {
            if (expected.contains(w))
                chain << w;
        }
        QCOMPARE(chain, expected);
        // The controls beyond the table sit where they are read: the options' second column
        // after the first, the find box between Start Counting and the results.
        const auto after = [&](const WindowControl& which, QWidget* extra) {
            expected.insert(expected.indexOf(control<QWidget>(which)) + 1, extra);
        };
        after(control::ignoreCase, control<QWidget>(control::wordAnalysis));
        after(control::wordAnalysis, control<QWidget>(control::styleSheets));
        after(control::startCounting, m_window->findChild<QWidget*>(QStringLiteral("resultsFind")));
        QList<QWidget*> whole{expected.first()};
        for (QWidget* w = expected.first()->nextInFocusChain(); w != expected.first();
             w = w->nextInFocusChain()) {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(m_window.get()) &&
                w->isEnabled())
                whole << w;
        }
        QCOMPARE(whole, expected);
        // The table's tab order, by the layout names a user's tools see.
        QStringList names;
        for (const WindowControl& which : kTabOrder)
            names << QString::fromLatin1(which.name);
        QCOMPARE(names.join(u' '),
                 QStringLiteral("ListView1 PushButton7 PushButton13 PushButton11 PushButton8 "
                                "Frame1 PushButton17 PushButton10 Option2 Option1 Check3 "
                                "ProgressBar1 PushButton12 ListView2 PushButton6 PushButton1 "
                                "PushButton2 PushButton9 Frame2 Option3 Option4"));
    }

    void windowAfterStartUp()
    {
        load(present);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Tallyvane"));
        // The controls' area; the menu bar stands above it.
        QCOMPARE(m_window->findChild<QScrollArea*>(QStringLiteral("pageScroll"))->widget()->size(),
                 QSize(8040 / 15, 10035 / 15));
        QVERIFY(!m_window->windowIcon().isNull());
        auto* sitesView = control<QTreeView>(control::siteList);
        auto* resultsView = control<QTreeView>(control::resultsList);
        const QString tip = QStringLiteral("Double-click item to remove it. Move | line to right "
                                           "and out of window to reveal full names.");
        QCOMPARE(sitesView->toolTip(), tip);
        QCOMPARE(resultsView->toolTip(), tip);
        QCOMPARE(m_window->sites().caption(), QStringLiteral("Site(s)"));
        QCOMPARE(sitesView->header()->sectionSize(0), 7000 / 15);
        QCOMPARE(m_window->results().columns(), 2);
        QCOMPARE(m_window->results().caption(1), QStringLiteral("Results"));
        QCOMPARE(m_window->results().caption(2), QStringLiteral("Count"));
        QCOMPARE(m_window->results().width(1), 3700);
        QCOMPARE(resultsView->header()->sectionSize(1), 3700 / 15);
        QVERIFY(control<QCheckBox>(control::ignoreCase)->isChecked());
        QVERIFY(control<QRadioButton>(control::combinedCount)->isChecked());
        QCOMPARE(control<QProgressBar>(control::progressBar)->format(),
                 QStringLiteral("Progress Bar"));
        QCOMPARE(control<QProgressBar>(control::progressBar)->value(), 0);
        QVERIFY(m_sink->reports.isEmpty());
        QVERIFY(fileExists(workingDatabasePath()));
    }

    void engineChoiceAtStartUp_data()
    {
        QTest::addColumn<bool>("provider");
        QTest::addColumn<QString>("option3");
        QTest::addColumn<QString>("option4");
        QTest::addColumn<bool>("option3Selected");
        QTest::addColumn<QString>("storedAfter3");
        QTest::addColumn<QString>("storedAfter4");
        // Empty texts: the key is absent.
        QTest::newRow("first start, provider present") << true << ""
                                                       << "" << true << ""
                                                       << "";
        QTest::newRow("first start, provider missing") << false << ""
                                                       << "" << false << "False"
                                                       << "True";
        QTest::newRow("stored text method") << true << "False"
                                            << "True" << false << "False"
                                            << "True";
        QTest::newRow("both stored True") << true << "True"
                                          << "True" << false << "False"
                                          << "True";
        QTest::newRow("database stored, provider missing") << false << "True"
                                                           << "False" << true << "True"
                                                           << "False";
        QTest::newRow("numbers and letter case") << true << "0"
                                                 << "TRUE" << false << "False"
                                                 << "True";
    }
    void engineChoiceAtStartUp()
    {
        QFETCH(bool, provider);
        QFETCH(QString, option3);
        QFETCH(QString, option4);
        QFETCH(bool, option3Selected);
        QFETCH(QString, storedAfter3);
        QFETCH(QString, storedAfter4);
        if (!option3.isEmpty())
            store("Option3", option3);
        if (!option4.isEmpty())
            store("Option4", option4);
        load(provider ? std::function<ProviderProbe()>(present) : missing);
        QCOMPARE(m_window->providerAvailable(), provider);
        QCOMPARE(control<QRadioButton>(control::databaseMethod)->isChecked(), option3Selected);
        QCOMPARE(control<QRadioButton>(control::textMethod)->isChecked(), !option3Selected);
        QCOMPARE(stored("Option3"), storedAfter3);
        QCOMPARE(stored("Option4"), storedAfter4);
        QVERIFY(m_dialogs.questions.isEmpty());
        QVERIFY(m_dialogs.informations.isEmpty());
        QVERIFY(m_sink->reports.isEmpty());
    }

    void skinFileTurnsTheWindowToButtonFace()
    {
        load(present);
        QCOMPARE(m_window->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(control<QGroupBox>(control::optionsFrame)->palette().color(QPalette::Window),
                 QColor(Qt::white));
        QVERIFY(qApp->styleSheet().isEmpty());

        MainWindowServices s;
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = present;
        s.programFolder = makeProgramFolder(true, false);
        test::writeFile(s.programFolder + QStringLiteral("/x/o.cjs"),
                        "QPushButton { font-style: italic; }");
        m_window = std::make_unique<MainWindow>(s);
        m_window->load();
        const QColor face = m_window->palette().color(QPalette::Button);
        QCOMPARE(m_window->palette().color(QPalette::Window), face);
        QCOMPARE(control<QRadioButton>(control::textMethod)->palette().color(QPalette::Window),
                 face);
        QCOMPARE(control<QCheckBox>(control::ignoreCase)->palette().color(QPalette::Window), face);
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QPushButton { font-style: italic; }"));
        QVERIFY(m_sink->reports.isEmpty());
        qApp->setStyleSheet(QString());
    }

    void unreadableStoredValueIsReportedAndLoadingGoesOn()
    {
        store("Option3", QStringLiteral("maybe"));
        store("Option4", QStringLiteral("True"));
        load(present);
        QCOMPARE(m_sink->lines(), QList<int>{144});
        QVERIFY(control<QRadioButton>(control::textMethod)->isChecked());
    }

    void existingWorkingDatabaseIsLeftAlone()
    {
        const QString db = workingDatabasePath();
        test::writeFile(db, "not really a database, but ours");
        load(present);
        QCOMPARE(test::readFile(db), QByteArray("not really a database, but ours"));
        QVERIFY(m_sink->reports.isEmpty());
    }

    void missingTemplateIsReportedAndLoadingGoesOn()
    {
        load(missing, /*withTemplate=*/false);
        QCOMPARE(m_sink->lines(), QList<int>{138});
        QVERIFY(m_sink->descriptions()[0].contains(QStringLiteral("dbBlank.mdb")));
        QVERIFY(!fileExists(workingDatabasePath()));
        QVERIFY(
            control<QRadioButton>(control::textMethod)->isChecked()); // the last steps still ran
    }

    void folderThatCannotBeMadeIsReportedThenTheCopyToo()
    {
        // A file where the folder should be: creating "Tallyvane" inside it fails.
        test::writeFile(sharedDataFolder() + QStringLiteral("/Quenrith"), "x");
        load(present);
        QCOMPARE(m_sink->lines(), (QList<int>{132, 138}));
        QVERIFY(control<QRadioButton>(control::databaseMethod)->isChecked());
    }

    void selectingDatabaseMethodWithoutProvider_data()
    {
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("no opens nothing") << false << QStringList();
        QTest::newRow("yes opens both pages in order")
            << true << QStringList{downloadPageUrl(0), downloadPageUrl(1)};
    }
    void selectingDatabaseMethodWithoutProvider()
    {
        QFETCH(bool, answerYes);
        QFETCH(QStringList, opened);
        load(missing);
        m_dialogs.answers.enqueue(answerYes);
        control<QRadioButton>(control::databaseMethod)->click();
        QCOMPARE(m_dialogs.questions, QStringList{providerMissingMessage()});
        QCOMPARE(m_desktop.openedUrls, opened);
        QVERIFY(opened.isEmpty() || opened[0].endsWith(QStringLiteral("id=13255")));
        QVERIFY(control<QRadioButton>(control::textMethod)->isChecked());
        QCOMPARE(stored("Option3"), QStringLiteral("False"));
        QCOMPARE(stored("Option4"), QStringLiteral("True"));
    }

    void providerMessageWordForWord()
    {
        const QString m = providerMissingMessage();
        QVERIFY(
            m.startsWith(QStringLiteral("Error #3706: Provider cannot be found. It may not be "
                                        "properly installed.\r\n\r\nYou are getting this error "
                                        "because:\r\n\r\n1. Microsoft Access is not installed")));
        QVERIFY(m.endsWith(QStringLiteral("\r\n\r\n(If you have any further questions please "
                                          "email a screenshot of this error message to ") +
                           supportAddress() + QStringLiteral(")")));
        QCOMPARE(m.count(QStringLiteral("\r\n\r\n")), 6);
    }

    void otherProviderFailureShowsNothing()
    {
        QVERIFY(!diagnoseDatabaseProvider(false, m_dialogs, m_desktop, brokenOtherwise));
        QVERIFY(!diagnoseDatabaseProvider(true, m_dialogs, m_desktop, missing));
        QVERIFY(diagnoseDatabaseProvider(false, m_dialogs, m_desktop, present));
        QVERIFY(m_dialogs.questions.isEmpty());
        QVERIFY(probeSqliteProvider().available);
    }

    void clickingEngineOptionsSavesBoth()
    {
        load(present);
        control<QRadioButton>(control::textMethod)->click();
        QCOMPARE(stored("Option3"), QStringLiteral("False"));
        QCOMPARE(stored("Option4"), QStringLiteral("True"));
        control<QRadioButton>(control::databaseMethod)->click();
        QCOMPARE(stored("Option3"), QStringLiteral("True"));
        QCOMPARE(stored("Option4"), QStringLiteral("False"));
        QVERIFY(m_dialogs.questions.isEmpty());
    }

    void pointerRules()
    {
        load(present);
        QVERIFY(m_window->hasCustomCursor());
        sendMove(control<QPushButton>(control::startCounting));
        QCOMPARE(m_window->pointerMode(), int(PointerCustom));
        QCOMPARE(m_window->cursor().shape(), Qt::BitmapCursor);
        sendMove(control<QRadioButton>(control::perSiteCount)); // options keep the pointer
        QCOMPARE(m_window->pointerMode(), int(PointerCustom));
        sendMove(control<QProgressBar>(control::progressBar));
        QCOMPARE(m_window->pointerMode(), int(PointerCustom));
        sendMove(control<QTreeView>(control::resultsList)->viewport());
        QCOMPARE(m_window->pointerMode(), int(PointerDefault));
        QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
        sendMove(control<QCheckBox>(control::ignoreCase));
        QCOMPARE(m_window->pointerMode(), int(PointerCustom));
        sendMove(control<QGroupBox>(control::speedFrame));
        QCOMPARE(m_window->pointerMode(), int(PointerDefault));
        sendMove(control<QPushButton>(control::addOneUrl));
        sendMove(m_window.get());
        QCOMPARE(m_window->pointerMode(), int(PointerDefault));
    }

    void hourglassStaysWhateverTheMouseDoes()
    {
        load(present);
        m_window->setPointerMode(PointerHourglass);
        for (QWidget* w :
             {control<QWidget>(control::exportResults), control<QWidget>(control::ignoreCase),
              control<QWidget>(control::siteList), control<QWidget>(control::optionsFrame),
              static_cast<QWidget*>(m_window.get())}) {
            sendMove(w);
            QCOMPARE(m_window->pointerMode(), int(PointerHourglass));
        }
        QCOMPARE(m_window->cursor().shape(), Qt::WaitCursor);
    }

    void handWithoutCursorFileShowsArrow()
    {
        load(present, true, /*withCursor=*/false);
        QVERIFY(!m_window->hasCustomCursor());
        sendMove(control<QPushButton>(control::saveResultsAsText));
        QCOMPARE(m_window->pointerMode(), int(PointerCustom));
        QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
    }

    void resultLayoutsAndRemoval()
    {
        load(present);
        ResultsModel& r = m_window->results();
        r.append(QStringLiteral("a"), QStringLiteral("1"));
        control<QRadioButton>(control::perSiteCount)->click();
        QCOMPARE(r.rows(), 0);
        QCOMPARE(r.columns(), 3);
        QCOMPARE(r.caption(1), QStringLiteral("Filename"));
        QCOMPARE(r.width(1), 3000);
        QCOMPARE(r.width(3), 1500);
        for (const char* w : {"x", "y", "z"})
            r.append(QStringLiteral("site"), QString::fromLatin1(w), QStringLiteral("1"));
        r.setChecked(3, false);
        r.flushAppends(); // views hear of appended rows in batches
        auto* view = control<QTreeView>(control::resultsList);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton); // nothing selected yet
        QCOMPARE(r.rows(), 3);
        view->setCurrentIndex(r.index(0, 1));
        m_window->setPointerMode(PointerHourglass);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton);
        QCOMPARE(r.rows(), 3);
        m_window->setPointerMode(PointerDefault);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton);
        QCOMPARE(r.rows(), 2);
        QCOMPARE(r.cell(1, 2), QStringLiteral("y"));
        QVERIFY(!r.isChecked(2)); // the tick stays with its row
        r.setCaption(1, QStringLiteral("Results - Word Count: 3"));
        control<QPushButton>(control::clearResults)->click();
        QCOMPARE(r.rows(), 0);
        QCOMPARE(r.caption(1), QStringLiteral("Results - Word Count: 3"));
        control<QRadioButton>(control::combinedCount)->click();
        QCOMPARE(r.columns(), 2);
        QCOMPARE(r.width(1), 3500);
        QCOMPARE(r.width(2), 3000);
        QCOMPARE(view->header()->sectionSize(0), 3500 / 15);
    }

    // Each button reaches its procedure with the window's lists, dialogs and pointer.
    void commandButtonsReachTheirProcedures()
    {
        load(present);
        m_dialogs.inputs << QStringLiteral(" typed.example ");
        control<QPushButton>(control::addOneUrl)->click();
        control<QPushButton>(control::loadSampleSites)->click();
        QCOMPARE(m_window->sites().rows(),
                 QStringList{QStringLiteral(" typed.example ")} + sampleSites());
        m_dialogs.inputs << QStringLiteral("GOOGLE");
        control<QPushButton>(control::removeSitesContaining)->click();
        QCOMPARE(m_window->sites().count(), 2);
        QCOMPARE(m_window->pointerMode(), int(PointerArrow));
        m_dialogs.inputs << QStringLiteral("typed");
        control<QPushButton>(control::removeSitesNotContaining)->click();
        QCOMPARE(m_window->sites().rows(), QStringList{QStringLiteral(" typed.example ")});
        const QString list = test::writeFile(
            test::fixtureFolder(QStringLiteral("lists")) + QStringLiteral("/a.txt"), "one\r\ntwo");
        m_dialogs.openResults << QStringList{list};
        control<QPushButton>(control::loadSitesFromFiles)->click();
        QCOMPARE(m_window->sites().count(), 3);
        m_window->setPointerMode(PointerHourglass);
        control<QPushButton>(control::clearSiteList)->click();
        QCOMPARE(m_window->sites().count(), 3);
        m_window->setPointerMode(PointerDefault);
        control<QPushButton>(control::clearSiteList)->click();
        QCOMPARE(m_window->sites().count(), 0);

        ResultsModel& r = m_window->results();
        r.append(QStringLiteral("the"), QStringLiteral("12"));
        r.append(QStringLiteral("a"), QStringLiteral("7"));
        control<QPushButton>(control::copyResults)->click();
        QCOMPARE(m_desktop.clipboard, QStringLiteral("the\t12\r\na  \t7\r\n"));
        QCOMPARE(m_dialogs.informations.last(), copiedToClipboardMessage());

        const QString saved =
            test::fixtureFolder(QStringLiteral("out")) + QStringLiteral("/results.txt");
        m_dialogs.saveResults << saved;
        control<QPushButton>(control::saveResultsAsText)->click();
        QCOMPARE(test::readFile(saved), QByteArray("Results\tCount\t\r\nthe    \t12   \t\r\n"
                                                   "a      \t7    \t\r\n"));
        QCOMPARE(control<QProgressBar>(control::progressBar)->format(),
                 QStringLiteral("Progress Bar"));
        QCOMPARE(m_window->pointerMode(), int(PointerDefault));

        control<QPushButton>(control::exportResults)->click();
        QCOMPARE(m_sheetLog, (QStringList{QStringLiteral("new"), QStringLiteral("1,1=Results"),
                                          QStringLiteral("1,2=Count"), QStringLiteral("2,1=the"),
                                          QStringLiteral("2,2=12"), QStringLiteral("3,1=a"),
                                          QStringLiteral("3,2=7"), QStringLiteral("fit"),
                                          QStringLiteral("show")}));
        QVERIFY(m_sink->reports.isEmpty());
        QVERIFY(m_dialogs.unexpected.isEmpty());
    }

    // "Start Counting" from the window, over real downloads from a local server.
    void startCountingEndToEnd_data()
    {
        QTest::addColumn<bool>("databaseMethod");
        QTest::addColumn<QString>("caption");
        QTest::newRow("database method") << true << "Results - Word Count: 7";
        QTest::newRow("text method") << false << "Results (Total Word Count: 7)";
    }
    void startCountingEndToEnd()
    {
        QFETCH(bool, databaseMethod);
        QFETCH(QString, caption);
        test::HttpServer server;
        QVERIFY(server.isListening());
        // A typed address without a scheme gets one; its path stays as typed.
        server.serve(QStringLiteral("/a"), test::HttpFixture::html("<p>the cat and the hat</p>"));
        server.serve(QStringLiteral("/b"), test::HttpFixture::html("<p>The end</p>"));
        load(present);
        control<QRadioButton>(databaseMethod ? control::databaseMethod : control::textMethod)
            ->click();
        m_window->sites().append(server.siteAddress(QStringLiteral("/a")));
        m_window->sites().append(QStringLiteral(" ") + server.siteAddress(QStringLiteral("/b")));
        control<QPushButton>(control::startCounting)->click();
        QVERIFY2(m_sink->reports.isEmpty(), qPrintable(m_sink->reports.join(u'\n')));
        QCOMPARE(m_dialogs.informations, QStringList{QStringLiteral("Done.")});
        const ResultsModel& r = m_window->results();
        QStringList rows;
        for (int i = 1; i <= r.rows(); ++i)
            rows << r.cell(i, 1) + QStringLiteral("=") + r.cell(i, 2);
        QCOMPARE(rows, (QStringList{QStringLiteral("and=1"), QStringLiteral("cat=1"),
                                    QStringLiteral("end=1"), QStringLiteral("hat=1"),
                                    QStringLiteral("the=3")}));
        QCOMPARE(r.caption(1), caption);
        QCOMPARE(m_window->pointerMode(), int(PointerDefault));
        QCOMPARE(control<QProgressBar>(control::progressBar)->format(),
                 QStringLiteral("Progress Bar"));
        QCOMPARE(control<QProgressBar>(control::progressBar)->value(), 0);
        QVERIFY2(m_sink->reports.isEmpty(), qPrintable(m_sink->reports.join(u'\n')));
    }

    // Beyond the original window: reading pages with their style sheets, on unless turned off,
    // and remembered.
    void styleSheetsOptionIsRemembered_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("checked");
        QTest::newRow("nothing stored") << QString() << true;
        QTest::newRow("turned off") << QStringLiteral("False") << false;
        QTest::newRow("turned on") << QStringLiteral("True") << true;
        QTest::newRow("unreadable") << QStringLiteral("maybe") << true;
    }
    void styleSheetsOptionIsRemembered()
    {
        QFETCH(QString, stored);
        QFETCH(bool, checked);
        if (!stored.isEmpty())
            store("StyleSheets", stored);
        load(present);
        QCheckBox* option = control<QCheckBox>(control::styleSheets);
        QCOMPARE(option->isChecked(), checked);
        QCOMPARE(option->text(), QStringLiteral("Read pages with their st&yle sheets"));
        QVERIFY(m_sink->reports.isEmpty());
        option->click();
        QCOMPARE(TestMainWindow::stored("StyleSheets"),
                 checked ? QStringLiteral("False") : QStringLiteral("True"));
    }

    void styleSheetsOptionReachesTheDownloads_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void styleSheetsOptionReachesTheDownloads()
    {
        QFETCH(bool, on);
        test::HttpServer server;
        server.serve(QStringLiteral("/a"),
                     test::HttpFixture::html("<link rel=stylesheet href=/s.css>"
                                             "<p class=menu>menu</p><p>text</p>"));
        server.serve(QStringLiteral("/s.css"),
                     test::HttpFixture::page(".menu{display:none}", "text/css"));
        load(present);
        if (!on)
            control<QCheckBox>(control::styleSheets)->click();
        m_window->sites().append(server.siteAddress(QStringLiteral("/a")));
        control<QPushButton>(control::startCounting)->click();
        QVERIFY2(m_sink->reports.isEmpty(), qPrintable(m_sink->reports.join(u'\n')));
        const ResultsModel& r = m_window->results();
        QStringList words;
        for (int i = 1; i <= r.rows(); ++i)
            words << r.cell(i, 1);
        QCOMPARE(words, on ? QStringList{QStringLiteral("text")}
                           : (QStringList{QStringLiteral("menu"), QStringLiteral("text")}));
        QCOMPARE(server.requestCount(QStringLiteral("/s.css")), on ? 1 : 0);
    }

    // While the run waits for a downloaded page the bar names it.
    void progressNamesThePageWaitedFor()
    {
        test::HttpServer server;
        test::HttpFixture late = test::HttpFixture::html("<p>late words</p>");
        late.delay = std::chrono::milliseconds(400);
        server.serve(QStringLiteral("/fast"), test::HttpFixture::html("<p>fast</p>"));
        server.serve(QStringLiteral("/late"), late);
        load(present);
        control<QRadioButton>(control::textMethod)->click();
        const QString lateSite = server.siteAddress(QStringLiteral("/late"));
        m_window->sites().append(server.siteAddress(QStringLiteral("/fast")));
        m_window->sites().append(lateSite);
        auto* bar = control<QProgressBar>(control::progressBar);
        QStringList shown;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (shown.isEmpty() || shown.last() != bar->format())
                shown << bar->format();
        });
        watch.start(10);
        control<QPushButton>(control::startCounting)->click();
        watch.stop();
        QVERIFY2(shown.contains(QStringLiteral("Downloading site 2 of 2: ") + lateSite),
                 qPrintable(shown.join(u'\n')));
        QCOMPARE(bar->format(), QStringLiteral("Progress Bar"));
        QVERIFY2(m_sink->reports.isEmpty(), qPrintable(m_sink->reports.join(u'\n')));
    }

    // After the wait the bar shows again what the engine had put there.
    void progressTextComesBackAfterAWait()
    {
        struct WaitedPages : PageSource {
            QProgressBar* bar = nullptr;
            QStringList during;
            QStringList after;
            FetchedPage fetchPage(const QString& address) override
            {
                waitBegins({1, 1, address});
                during << bar->format();
                waitEnds();
                after << bar->format();
                FetchedPage page;
                page.outcome = FetchedPage::Outcome::Read;
                page.address = address;
                page.text = QStringLiteral("words");
                return page;
            }
        } pages;
        MainWindowServices s;
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = present;
        s.programFolder = makeProgramFolder(true, false);
        s.pages = &pages;
        m_window = std::make_unique<MainWindow>(s);
        m_window->load();
        pages.bar = control<QProgressBar>(control::progressBar);
        control<QRadioButton>(control::databaseMethod)->click();
        m_window->sites().append(QStringLiteral("example.com/100%"));
        control<QPushButton>(control::startCounting)->click();
        QCOMPARE(pages.during,
                 QStringList{QStringLiteral("Downloading site 1 of 1: example.com/100%%")});
        QCOMPARE(pages.after, QStringList{QStringLiteral("Processing: example.com/100%%")});
        QCOMPARE(pages.bar->format(), QStringLiteral("Progress Bar"));
    }

    void startCountingOnEmptyList()
    {
        load(present);
        control<QPushButton>(control::startCounting)->click();
        QCOMPARE(m_dialogs.informations, QStringList{QStringLiteral("No files added.")});
        QCOMPARE(m_window->results().rows(), 0);
    }

    // Closing the window in the middle of a run ends the program at once.
    void closingDuringARunEndsAtOnce()
    {
        struct WaitingPages : PageSource {
            bool release = false;
            FetchedPage fetchPage(const QString& address) override
            {
                QElapsedTimer bound;
                bound.start();
                while (!release && bound.elapsed() < 10000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                FetchedPage page;
                page.outcome = FetchedPage::Outcome::Read;
                page.address = address;
                page.text = QStringLiteral("words");
                return page;
            }
        } pages;
        int ended = 0;
        MainWindowServices s;
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = present;
        s.programFolder = makeProgramFolder(true, false);
        s.pages = &pages;
        s.endProgramNow = [&] {
            ++ended;
            pages.release = true;
        };
        m_window = std::make_unique<MainWindow>(s);
        m_window->load();
        m_window->show();
        m_window->sites().append(QStringLiteral("example.com"));
        QTimer::singleShot(50, m_window.get(), [&] { m_window->close(); });
        control<QPushButton>(control::startCounting)->click();
        QCOMPARE(ended, 1);
        m_window->close(); // idle now: an ordinary close
        QCOMPARE(ended, 1);
    }

    void excelTestWithoutSpreadsheetApplication()
    {
        load(present);
        m_spreadsheetApp = false;
        QVERIFY(!m_window->spreadsheetApplicationAvailable());
        QCOMPARE(m_dialogs.informations, QStringList{noSpreadsheetTestMessage()});
        m_window->results().append(QStringLiteral("w"), QStringLiteral("1"));
        control<QPushButton>(control::exportResults)->click();
        QCOMPARE(m_dialogs.informations,
                 (QStringList{noSpreadsheetTestMessage(), noSpreadsheetTestMessage(),
                              noSpreadsheetMessage()}));
        QVERIFY(m_sheetLog.isEmpty());
        m_spreadsheetApp = true;
        QVERIFY(m_window->spreadsheetApplicationAvailable());
        QCOMPARE(m_dialogs.informations.size(), 3);
    }
};

TV_TEST_MAIN(TestMainWindow, QApplication)
#include "test_mainwindow.moc"
