// The window's word analysis: the dialog and the settings it keeps, a run's rows redone with the
// share and pages columns in both engines, the count's figures, and the word by page table.
#include "app/wordanalysisdialog.h"
#include "count/fakecount.h"
#include "platform/windowcontrols.h"
#include "support/testenv.h"
#include "windowharness.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QTreeView>

using namespace tv;

namespace {

void store(const char* key, const QString& value)
{
    QSettings s(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"));
    s.setValue(QString::fromLatin1(key), value);
    s.sync();
}

QString stored(const char* key)
{
    return QSettings(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"))
        .value(QString::fromLatin1(key))
        .toString();
}

} // namespace

class TestWindowWords : public QObject {
    Q_OBJECT

    test::FakePageSource m_pages;
    std::unique_ptr<test::WindowHarness> m_h;

    MainWindow& load() { return m_h->load(&m_pages); }
    template <class T> T* control(const WindowControl& which) { return m_h->control<T>(which); }
    template <class T> T* inDialog(WordAnalysisDialog* dialog, const char* name)
    {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }
    // Clicks "Word Analysis...", lets `edit` change the open dialog, then presses OK.
    void chooseInDialog(const std::function<void(WordAnalysisDialog*)>& edit)
    {
        bool seen = false;
        QTimer::singleShot(0, &m_h->window(), [&] {
            auto* dialog = m_h->window().findChild<WordAnalysisDialog*>();
            QVERIFY(dialog && dialog->isVisible());
            seen = true;
            edit(dialog);
            dialog->accept();
            // A refused choice keeps the dialog open: end it here.
            if (dialog->isVisible())
                dialog->reject();
        });
        control<QPushButton>(control::wordAnalysis)->click();
        QVERIFY(seen);
    }
    void count()
    {
        m_h->window().sites().append(QStringLiteral("/1"));
        m_h->window().sites().append(QStringLiteral("/2"));
        control<QPushButton>(control::startCounting)->click();
    }

private Q_SLOTS:
    void init()
    {
        m_h = std::make_unique<test::WindowHarness>();
        m_pages.texts = {{"/1", "the cat the dog"}, {"/2", "The bird"}};
    }
    void cleanup() { m_h.reset(); }

    // The dialog's choice is kept in the settings and comes back at the next start.
    void choiceIsRemembered()
    {
        load();
        QCOMPARE(control<QLabel>(control::wordFigures)->text(),
                 QStringLiteral("Word analysis: off"));
        chooseInDialog([this](WordAnalysisDialog* d) {
            inDialog<QComboBox>(d, "wordRule")->setCurrentIndex(1);
            auto* languages = inDialog<QListWidget>(d, "stopLanguages");
            languages->findItems(QStringLiteral("English"), Qt::MatchExactly)
                .first()
                ->setCheckState(Qt::Checked);
            inDialog<QComboBox>(d, "phraseLength")->setCurrentIndex(1);
            inDialog<QCheckBox>(d, "shareColumn")->setChecked(true);
        });
        QCOMPARE(stored("WordRule"), QStringLiteral("unicode"));
        QCOMPARE(stored("StopWordLists"), QStringLiteral("english"));
        QCOMPARE(stored("PhraseLength"), QStringLiteral("2"));
        QCOMPARE(control<QLabel>(control::wordFigures)->text(),
                 QStringLiteral("Unicode words, stop words, 2-word phrases, share"));

        load();
        QCOMPARE(control<QLabel>(control::wordFigures)->text(),
                 QStringLiteral("Unicode words, stop words, 2-word phrases, share"));
        chooseInDialog([](WordAnalysisDialog* d) {
            QCOMPARE(d->choice().rule, WordRule::Unicode);
            QCOMPARE(d->choice().stopLanguages, QStringList{QStringLiteral("english")});
            QVERIFY(d->choice().withShare);
        });
    }

    // A stop list file that cannot be read keeps the dialog open and says why.
    void unreadableStopListIsRefused()
    {
        load();
        chooseInDialog([](WordAnalysisDialog* d) {
            d->findChild<QLineEdit*>(QStringLiteral("stopFile"))
                ->setText(test::testHome() + QStringLiteral("/none.txt"));
        });
        QCOMPARE(m_h->dialogs.informations.size(), 1);
        QVERIFY2(m_h->dialogs.informations.first().contains(QStringLiteral("none.txt")),
                 qPrintable(m_h->dialogs.informations.first()));
        QCOMPARE(stored("StopWordFile"), QString());
    }

    // Two pages worked out by hand: the count's rows get their shares and pages, in both
    // engines, and the figures show under the options.
    void sharesAndPagesInBothEngines_data()
    {
        QTest::addColumn<bool>("database");
        QTest::newRow("database method") << true;
        QTest::newRow("text method") << false;
    }
    void sharesAndPagesInBothEngines()
    {
        QFETCH(bool, database);
        store("ShareColumn", QStringLiteral("True"));
        store("PagesColumn", QStringLiteral("True"));
        load();
        control<QRadioButton>(database ? control::databaseMethod : control::textMethod)->click();
        count();
        const ResultsModel& results = m_h->window().results();
        QCOMPARE(results.columns(), 4);
        QCOMPARE(results.caption(3), QStringLiteral("Share"));
        QCOMPARE(results.caption(4), QStringLiteral("Pages"));
        QCOMPARE(m_h->resultRows(), QStringList({"bird|1|16.67|1", "cat|1|16.67|1", "dog|1|16.67|1",
                                                 "the|3|50.00|2"}));
        QCOMPARE(control<QLabel>(control::wordFigures)->text(),
                 QStringLiteral("6 words, 4 distinct (0.67)"));

        // Turned off, the next run has the list's own columns again.
        chooseInDialog([](WordAnalysisDialog* d) { d->setChoice(WordAnalysisChoice()); });
        m_h->window().results().clearRows();
        count();
        QCOMPARE(results.columns(), 2);
        // The list now names both pages twice.
        QCOMPARE(m_h->resultRows(), QStringList({"bird|2", "cat|2", "dog|2", "the|6"}));
    }

    // A minimum count and the most frequent rows only, per site: each site's rows on their own.
    void filtersPerSite()
    {
        store("TopRows", QStringLiteral("1"));
        load();
        control<QRadioButton>(control::perSiteCount)->click();
        control<QRadioButton>(control::textMethod)->click();
        count();
        QCOMPARE(m_h->resultRows(), QStringList({"/1|the|2", "/2|bird|1"}));
    }

    // The word by page table is written where the user says, once a run has kept it.
    void wordByPageTable()
    {
        load();
        auto* action = control<QTreeView>(control::resultsList)
                           ->findChild<QAction*>(QStringLiteral("exportPageTable"));
        QVERIFY(action);
        action->trigger();
        QCOMPARE(m_h->dialogs.informations.size(), 1);
        QVERIFY(m_h->dialogs.informations.first().contains(QStringLiteral("word by page table")));

        chooseInDialog([](WordAnalysisDialog* d) {
            d->findChild<QCheckBox*>(QStringLiteral("wordByPageTable"))->setChecked(true);
        });
        control<QRadioButton>(control::textMethod)->click();
        count();
        const QString path = test::fixtureFolder(QStringLiteral("table")) + "/words.tsv";
        m_h->dialogs.saveResults.enqueue(path);
        action->trigger();
        QCOMPARE(test::readFile(path),
                 QByteArray("word\t/1\t/2\nbird\t0\t1\ncat\t1\t0\ndog\t1\t0\nthe\t2\t1\n"));
    }
};

TV_TEST_MAIN(TestWindowWords, QApplication)
#include "test_windowwords.moc"
