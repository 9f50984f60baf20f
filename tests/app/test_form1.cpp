// The main window: layout, start-up sequence, saved engine choice, provider diagnosis,
// pointer rules and the results-list layouts.
#include "app/form1.h"
#include "count/provider.h"
#include "fetch/pagesource.h"
#include "platform/files.h"
#include "platform/spreadsheet.h"
#include "results/copylist.h"
#include "results/excelexport.h"
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

class TestForm1 : public QObject {
    Q_OBJECT

    test::ScriptedDialogs m_dialogs;
    test::RecordingDesktop m_desktop;
    std::unique_ptr<test::RecordingSink> m_sink;
    std::unique_ptr<Form1> m_form;

    QStringList m_sheetLog;
    bool m_spreadsheetApp = true;

    Form1& load(std::function<ProviderProbe()> probe, bool withTemplate = true,
                bool withCursor = true)
    {
        Form1Services s;
        s.spreadsheetRegistered = [this] { return m_spreadsheetApp; };
        s.makeSpreadsheet = [this] { return std::make_unique<RecordingSheet>(&m_sheetLog); };
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = std::move(probe);
        s.programFolder = makeProgramFolder(withTemplate, withCursor);
        m_form = std::make_unique<Form1>(s);
        m_form->Form_Load();
        return *m_form;
    }
    template <class T> T* control(const char* name)
    {
        T* c = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
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
        QDir(SpecialFolderPath(kCommonAppDataFolder) + QStringLiteral("/Quenrith"))
            .removeRecursively();
        QFile::remove(SpecialFolderPath(kCommonAppDataFolder) + QStringLiteral("/Quenrith"));
    }
    void cleanup()
    {
        m_form.reset();
        m_sink.reset();
    }

    void controlsFollowTheLayout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<int>("tab");
        auto row = [](const char* name, const char* caption, int l, int t, int w, int h, int tab) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption)
                                << QRect(l, t, w, h) << tab;
        };
        row("ListView1", "", 120, 120, 7800, 1575, 0);
        row("PushButton7", "Add One URL", 120, 1780, 3840, 405, 1);
        row("PushButton13", "Load From File", 4080, 1780, 3840, 405, 2);
        row("PushButton11", "Clear List", 120, 2290, 3840, 405, 3);
        row("PushButton8", "Load Sample/Example Sites", 4080, 2290, 3840, 405, 4);
        row("Frame1", "Options", 120, 3270, 7800, 1440, 5);
        row("PushButton17", "Remove Entries Containing X", 120, 2800, 3840, 405, 6);
        row("PushButton10", "Remove Entries Not Containing X", 4080, 2800, 3840, 405, 7);
        row("Option2", "Give one count for all URL(s)", 240, 300, 3750, 255, 8);
        row("Option1", "Give separate counts for each URL", 240, 650, 3750, 255, 9);
        row("Check3", "Ignore letter case", 240, 1000, 1935, 255, 10);
        row("ProgressBar1", "", 120, 9510, 7800, 405, 11);
        row("PushButton12", "Start Counting", 120, 5955, 7800, 405, 12);
        row("ListView2", "", 120, 6465, 7800, 1935, 13);
        row("PushButton6", "Save Results As Text File", 120, 8490, 3840, 405, 14);
        row("PushButton1", "Save Results As Excel File", 4080, 8490, 3840, 405, 15);
        row("PushButton2", "Copy Results To Clipboard", 120, 9000, 3840, 405, 16);
        row("PushButton9", "Clear Results", 4080, 9000, 3840, 405, 17);
        row("Frame2", "Processing Speed Option", 120, 4815, 7800, 1020, 18);
        row("Option3", "MS Access Method (faster)", 240, 300, 3840, 255, 19);
        row("Option4", "Regular Text Method (slower)", 240, 650, 4455, 255, 20);
    }
    void controlsFollowTheLayout()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        QFETCH(int, tab);
        load(present);
        QWidget* w = m_form->findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QCOMPARE(w->property("TabIndex").toInt(), tab);
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* f = qobject_cast<QGroupBox*>(w))
            text = f->title();
        QCOMPARE(text, caption);
        QCOMPARE(w->font().family(), QStringLiteral("Arial"));
        QVERIFY(w->font().bold());
        QCOMPARE(w->font().pointSizeF(), qobject_cast<QPushButton*>(w) ? 11.25 : 9.0);
    }

    void windowAfterStartUp()
    {
        load(present);
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Tallyvane"));
        QCOMPARE(m_form->size(), QSize(8040 / 15, 10035 / 15));
        QVERIFY(!m_form->windowIcon().isNull());
        auto* sitesView = control<QTreeView>("ListView1");
        auto* resultsView = control<QTreeView>("ListView2");
        const QString tip = QStringLiteral("Double-click item to remove it. Move | line to right "
                                           "and out of window to reveal full names.");
        QCOMPARE(sitesView->toolTip(), tip);
        QCOMPARE(resultsView->toolTip(), tip);
        QCOMPARE(m_form->sites().caption(), QStringLiteral("Site(s)"));
        QCOMPARE(sitesView->header()->sectionSize(0), 7000 / 15);
        QCOMPARE(m_form->results().columns(), 2);
        QCOMPARE(m_form->results().caption(1), QStringLiteral("Results"));
        QCOMPARE(m_form->results().caption(2), QStringLiteral("Count"));
        QCOMPARE(m_form->results().width(1), 3700);
        QCOMPARE(resultsView->header()->sectionSize(1), 3700 / 15);
        QVERIFY(control<QCheckBox>("Check3")->isChecked());
        QVERIFY(control<QRadioButton>("Option2")->isChecked());
        QCOMPARE(control<QProgressBar>("ProgressBar1")->format(), QStringLiteral("Progress Bar"));
        QCOMPARE(control<QProgressBar>("ProgressBar1")->value(), 0);
        QVERIFY(m_sink->reports.isEmpty());
        QVERIFY(FileExists(workingDatabasePath()));
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
        QCOMPARE(m_form->providerAvailable(), provider);
        QCOMPARE(control<QRadioButton>("Option3")->isChecked(), option3Selected);
        QCOMPARE(control<QRadioButton>("Option4")->isChecked(), !option3Selected);
        QCOMPARE(stored("Option3"), storedAfter3);
        QCOMPARE(stored("Option4"), storedAfter4);
        QVERIFY(m_dialogs.questions.isEmpty());
        QVERIFY(m_dialogs.informations.isEmpty());
        QVERIFY(m_sink->reports.isEmpty());
    }

    void skinFileTurnsTheWindowToButtonFace()
    {
        load(present);
        QCOMPARE(m_form->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(control<QGroupBox>("Frame1")->palette().color(QPalette::Window),
                 QColor(Qt::white));
        QVERIFY(qApp->styleSheet().isEmpty());

        Form1Services s;
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = present;
        s.programFolder = makeProgramFolder(true, false);
        test::writeFile(s.programFolder + QStringLiteral("/x/o.cjs"),
                        "QPushButton { font-style: italic; }");
        m_form = std::make_unique<Form1>(s);
        m_form->Form_Load();
        const QColor face = m_form->palette().color(QPalette::Button);
        QCOMPARE(m_form->palette().color(QPalette::Window), face);
        QCOMPARE(control<QRadioButton>("Option4")->palette().color(QPalette::Window), face);
        QCOMPARE(control<QCheckBox>("Check3")->palette().color(QPalette::Window), face);
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
        QVERIFY(control<QRadioButton>("Option4")->isChecked());
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
        QVERIFY(!FileExists(workingDatabasePath()));
        QVERIFY(control<QRadioButton>("Option4")->isChecked()); // the last steps still ran
    }

    void folderThatCannotBeMadeIsReportedThenTheCopyToo()
    {
        // A file where the folder should be: creating "Tallyvane" inside it fails.
        test::writeFile(SpecialFolderPath(kCommonAppDataFolder) + QStringLiteral("/Quenrith"), "x");
        load(present);
        QCOMPARE(m_sink->lines(), (QList<int>{132, 138}));
        QVERIFY(control<QRadioButton>("Option3")->isChecked());
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
        control<QRadioButton>("Option3")->click();
        QCOMPARE(m_dialogs.questions, QStringList{providerMissingMessage()});
        QCOMPARE(m_desktop.openedUrls, opened);
        QVERIFY(opened.isEmpty() || opened[0].endsWith(QStringLiteral("id=13255")));
        QVERIFY(control<QRadioButton>("Option4")->isChecked());
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
        QVERIFY(!DiagnoseProvider(false, m_dialogs, m_desktop, brokenOtherwise));
        QVERIFY(!DiagnoseProvider(true, m_dialogs, m_desktop, missing));
        QVERIFY(DiagnoseProvider(false, m_dialogs, m_desktop, present));
        QVERIFY(m_dialogs.questions.isEmpty());
        QVERIFY(probeSqliteProvider().available);
    }

    void clickingEngineOptionsSavesBoth()
    {
        load(present);
        control<QRadioButton>("Option4")->click();
        QCOMPARE(stored("Option3"), QStringLiteral("False"));
        QCOMPARE(stored("Option4"), QStringLiteral("True"));
        control<QRadioButton>("Option3")->click();
        QCOMPARE(stored("Option3"), QStringLiteral("True"));
        QCOMPARE(stored("Option4"), QStringLiteral("False"));
        QVERIFY(m_dialogs.questions.isEmpty());
    }

    void pointerRules()
    {
        load(present);
        QVERIFY(m_form->hasCustomCursor());
        sendMove(control<QPushButton>("PushButton12"));
        QCOMPARE(m_form->pointerMode(), int(PointerCustom));
        QCOMPARE(m_form->cursor().shape(), Qt::BitmapCursor);
        sendMove(control<QRadioButton>("Option1")); // options keep the pointer
        QCOMPARE(m_form->pointerMode(), int(PointerCustom));
        sendMove(control<QProgressBar>("ProgressBar1"));
        QCOMPARE(m_form->pointerMode(), int(PointerCustom));
        sendMove(control<QTreeView>("ListView2")->viewport());
        QCOMPARE(m_form->pointerMode(), int(PointerDefault));
        QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
        sendMove(control<QCheckBox>("Check3"));
        QCOMPARE(m_form->pointerMode(), int(PointerCustom));
        sendMove(control<QGroupBox>("Frame2"));
        QCOMPARE(m_form->pointerMode(), int(PointerDefault));
        sendMove(control<QPushButton>("PushButton7"));
        sendMove(m_form.get());
        QCOMPARE(m_form->pointerMode(), int(PointerDefault));
    }

    void hourglassStaysWhateverTheMouseDoes()
    {
        load(present);
        m_form->setPointerMode(PointerHourglass);
        for (const char* name : {"PushButton1", "Check3", "ListView1", "Frame1", "Form1"}) {
            QWidget* w = QString::fromLatin1(name) == QStringLiteral("Form1")
                             ? m_form.get()
                             : m_form->findChild<QWidget*>(QString::fromLatin1(name));
            sendMove(w);
            QCOMPARE(m_form->pointerMode(), int(PointerHourglass));
        }
        QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
    }

    void handWithoutCursorFileShowsArrow()
    {
        load(present, true, /*withCursor=*/false);
        QVERIFY(!m_form->hasCustomCursor());
        sendMove(control<QPushButton>("PushButton6"));
        QCOMPARE(m_form->pointerMode(), int(PointerCustom));
        QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    }

    void resultLayoutsAndRemoval()
    {
        load(present);
        ResultsModel& r = m_form->results();
        r.append(QStringLiteral("a"), QStringLiteral("1"));
        control<QRadioButton>("Option1")->click();
        QCOMPARE(r.rows(), 0);
        QCOMPARE(r.columns(), 3);
        QCOMPARE(r.caption(1), QStringLiteral("Filename"));
        QCOMPARE(r.width(1), 3000);
        QCOMPARE(r.width(3), 1500);
        for (const char* w : {"x", "y", "z"})
            r.append(QStringLiteral("site"), QString::fromLatin1(w), QStringLiteral("1"));
        r.setChecked(3, false);
        r.flushAppends(); // views hear of appended rows in batches
        auto* view = control<QTreeView>("ListView2");
        QTest::mouseDClick(view->viewport(), Qt::LeftButton); // nothing selected yet
        QCOMPARE(r.rows(), 3);
        view->setCurrentIndex(r.index(0, 1));
        m_form->setPointerMode(PointerHourglass);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton);
        QCOMPARE(r.rows(), 3);
        m_form->setPointerMode(PointerDefault);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton);
        QCOMPARE(r.rows(), 2);
        QCOMPARE(r.cell(1, 2), QStringLiteral("y"));
        QVERIFY(!r.isChecked(2)); // the tick stays with its row
        r.setCaption(1, QStringLiteral("Results - Word Count: 3"));
        control<QPushButton>("PushButton9")->click();
        QCOMPARE(r.rows(), 0);
        QCOMPARE(r.caption(1), QStringLiteral("Results - Word Count: 3"));
        control<QRadioButton>("Option2")->click();
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
        control<QPushButton>("PushButton7")->click();
        control<QPushButton>("PushButton8")->click();
        QCOMPARE(m_form->sites().rows(),
                 QStringList{QStringLiteral(" typed.example ")} + sampleSites());
        m_dialogs.inputs << QStringLiteral("GOOGLE");
        control<QPushButton>("PushButton17")->click();
        QCOMPARE(m_form->sites().count(), 2);
        QCOMPARE(m_form->pointerMode(), int(PointerArrow));
        m_dialogs.inputs << QStringLiteral("typed");
        control<QPushButton>("PushButton10")->click();
        QCOMPARE(m_form->sites().rows(), QStringList{QStringLiteral(" typed.example ")});
        const QString list = test::writeFile(
            test::fixtureFolder(QStringLiteral("lists")) + QStringLiteral("/a.txt"), "one\r\ntwo");
        m_dialogs.openResults << QStringList{list};
        control<QPushButton>("PushButton13")->click();
        QCOMPARE(m_form->sites().count(), 3);
        m_form->setPointerMode(PointerHourglass);
        control<QPushButton>("PushButton11")->click();
        QCOMPARE(m_form->sites().count(), 3);
        m_form->setPointerMode(PointerDefault);
        control<QPushButton>("PushButton11")->click();
        QCOMPARE(m_form->sites().count(), 0);

        ResultsModel& r = m_form->results();
        r.append(QStringLiteral("the"), QStringLiteral("12"));
        r.append(QStringLiteral("a"), QStringLiteral("7"));
        control<QPushButton>("PushButton2")->click();
        QCOMPARE(m_desktop.clipboard, QStringLiteral("the\t12\r\na  \t7\r\n"));
        QCOMPARE(m_dialogs.informations.last(), copiedToClipboardMessage());

        const QString saved =
            test::fixtureFolder(QStringLiteral("out")) + QStringLiteral("/results.txt");
        m_dialogs.saveResults << saved;
        control<QPushButton>("PushButton6")->click();
        QCOMPARE(test::readFile(saved), QByteArray("Results\tCount\t\r\nthe    \t12   \t\r\n"
                                                   "a      \t7    \t\r\n"));
        QCOMPARE(control<QProgressBar>("ProgressBar1")->format(), QStringLiteral("Progress Bar"));
        QCOMPARE(m_form->pointerMode(), int(PointerDefault));

        control<QPushButton>("PushButton1")->click();
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
        control<QRadioButton>(databaseMethod ? "Option3" : "Option4")->click();
        m_form->sites().append(server.siteAddress(QStringLiteral("/a")));
        m_form->sites().append(QStringLiteral(" ") + server.siteAddress(QStringLiteral("/b")));
        control<QPushButton>("PushButton12")->click();
        QVERIFY2(m_sink->reports.isEmpty(), qPrintable(m_sink->reports.join(u'\n')));
        QCOMPARE(m_dialogs.informations, QStringList{QStringLiteral("Done.")});
        const ResultsModel& r = m_form->results();
        QStringList rows;
        for (int i = 1; i <= r.rows(); ++i)
            rows << r.cell(i, 1) + QStringLiteral("=") + r.cell(i, 2);
        QCOMPARE(rows, (QStringList{QStringLiteral("and=1"), QStringLiteral("cat=1"),
                                    QStringLiteral("end=1"), QStringLiteral("hat=1"),
                                    QStringLiteral("the=3")}));
        QCOMPARE(r.caption(1), caption);
        QCOMPARE(m_form->pointerMode(), int(PointerDefault));
        QCOMPARE(control<QProgressBar>("ProgressBar1")->format(), QStringLiteral("Progress Bar"));
        QCOMPARE(control<QProgressBar>("ProgressBar1")->value(), 0);
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
        QCheckBox* option = control<QCheckBox>("styleSheetsOption");
        QCOMPARE(option->isChecked(), checked);
        QCOMPARE(option->text(), QStringLiteral("Read pages with their style sheets"));
        QVERIFY(m_sink->reports.isEmpty());
        option->click();
        QCOMPARE(TestForm1::stored("StyleSheets"),
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
            control<QCheckBox>("styleSheetsOption")->click();
        m_form->sites().append(server.siteAddress(QStringLiteral("/a")));
        control<QPushButton>("PushButton12")->click();
        QVERIFY2(m_sink->reports.isEmpty(), qPrintable(m_sink->reports.join(u'\n')));
        const ResultsModel& r = m_form->results();
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
        control<QRadioButton>("Option4")->click();
        const QString lateSite = server.siteAddress(QStringLiteral("/late"));
        m_form->sites().append(server.siteAddress(QStringLiteral("/fast")));
        m_form->sites().append(lateSite);
        auto* bar = control<QProgressBar>("ProgressBar1");
        QStringList shown;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (shown.isEmpty() || shown.last() != bar->format())
                shown << bar->format();
        });
        watch.start(10);
        control<QPushButton>("PushButton12")->click();
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
        Form1Services s;
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = present;
        s.programFolder = makeProgramFolder(true, false);
        s.pages = &pages;
        m_form = std::make_unique<Form1>(s);
        m_form->Form_Load();
        pages.bar = control<QProgressBar>("ProgressBar1");
        control<QRadioButton>("Option3")->click();
        m_form->sites().append(QStringLiteral("example.com/100%"));
        control<QPushButton>("PushButton12")->click();
        QCOMPARE(pages.during,
                 QStringList{QStringLiteral("Downloading site 1 of 1: example.com/100%%")});
        QCOMPARE(pages.after, QStringList{QStringLiteral("Processing: example.com/100%%")});
        QCOMPARE(pages.bar->format(), QStringLiteral("Progress Bar"));
    }

    void startCountingOnEmptyList()
    {
        load(present);
        control<QPushButton>("PushButton12")->click();
        QCOMPARE(m_dialogs.informations, QStringList{QStringLiteral("No files added.")});
        QCOMPARE(m_form->results().rows(), 0);
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
        Form1Services s;
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = present;
        s.programFolder = makeProgramFolder(true, false);
        s.pages = &pages;
        s.endProgramNow = [&] {
            ++ended;
            pages.release = true;
        };
        m_form = std::make_unique<Form1>(s);
        m_form->Form_Load();
        m_form->show();
        m_form->sites().append(QStringLiteral("example.com"));
        QTimer::singleShot(50, m_form.get(), [&] { m_form->close(); });
        control<QPushButton>("PushButton12")->click();
        QCOMPARE(ended, 1);
        m_form->close(); // idle now: an ordinary close
        QCOMPARE(ended, 1);
    }

    void excelTestWithoutSpreadsheetApplication()
    {
        load(present);
        m_spreadsheetApp = false;
        QVERIFY(!m_form->SaveResultsAsExcelFileIsExcelInstalled());
        QCOMPARE(m_dialogs.informations, QStringList{excelNotInstalledTestMessage()});
        m_form->results().append(QStringLiteral("w"), QStringLiteral("1"));
        control<QPushButton>("PushButton1")->click();
        QCOMPARE(m_dialogs.informations,
                 (QStringList{excelNotInstalledTestMessage(), excelNotInstalledTestMessage(),
                              excelNotInstalledMessage()}));
        QVERIFY(m_sheetLog.isEmpty());
        m_spreadsheetApp = true;
        QVERIFY(m_form->SaveResultsAsExcelFileIsExcelInstalled());
        QCOMPARE(m_dialogs.informations.size(), 3);
    }
};

TV_TEST_MAIN(TestForm1, QApplication)
#include "test_form1.moc"
