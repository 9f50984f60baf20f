// "Save Results As Text File": the file's bytes, the progress bar, the dialogs, and a save that
// fails without harming an existing file.
#include "results/resultsmodel.h"
#include "results/savetext.h"
#include "results/textencoding.h"
#include "resultsfixture.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>

using namespace tv;
using namespace tv::test;

namespace {

// Lowers the largest file this process may write, as a full disk would, until it goes out of
// scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_active = false;
};

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestSaveText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileBytes_data();
    void fileBytes();
    void withoutProgressBar();
    void progressSmallList();
    void progressLargeList();
    void command_data();
    void command();
    void listClearedWhileSaving();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void eightBitCodePage_data();
    void eightBitCodePage();
    void systemCodePage();

private:
    QTemporaryDir m_dir;
};

void TestSaveText::fileBytes_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QByteArray>("expected");

    const QStringList combined{"Results", "Count"};
    const QStringList perSite{"Filename", "Results", "Count"};

    QTest::newRow("example: one ticked, one not")
        << combined << QList<QStringList>{{"x", "the", "12"}, {"-", "a", "7"}}
        << QByteArray("Results\tCount\t\r\n"
                      "the    \t12   \t\r\n");
    QTest::newRow("empty list: header only")
        << combined << QList<QStringList>{} << QByteArray("Results\tCount\t\r\n");
    QTest::newRow("none ticked: header only, padded to the rows")
        << combined << QList<QStringList>{{"-", "xylophone", "1"}, {"-", "a", "1234567"}}
        << QByteArray("Results  \tCount  \t\r\n");
    QTest::newRow("caption wider than every text")
        << perSite << QList<QStringList>{{"x", "a.txt", "ab", "1"}}
        << QByteArray("Filename\tResults\tCount\t\r\n"
                      "a.txt   \tab     \t1    \t\r\n");
    QTest::newRow("unticked row widens its column")
        << combined << QList<QStringList>{{"x", "the", "12"}, {"-", "xylophone", "1"}}
        << QByteArray("Results  \tCount\t\r\n"
                      "the      \t12   \t\r\n");
    QTest::newRow("text as long as the width gets no spaces")
        << combined << QList<QStringList>{{"x", "results", "count"}, {"x", "longerword", "7"}}
        << QByteArray("Results   \tCount\t\r\n"
                      "results   \tcount\t\r\n"
                      "longerword\t7    \t\r\n");
    QTest::newRow("trailing spaces of the last column are kept")
        << combined << QList<QStringList>{{"x", "the", "12   "}}
        << QByteArray("Results\tCount\t\r\n"
                      "the    \t12   \t\r\n");
    QTest::newRow("empty last cell is padded")
        << combined << QList<QStringList>{{"x", "word", ""}, {"x", "a", "7"}}
        << QByteArray("Results\tCount\t\r\n"
                      "word   \t     \t\r\n"
                      "a      \t7    \t\r\n");
    QTest::newRow("per site, rows in list order")
        << perSite
        << QList<QStringList>{{"x", "http://a.example/", "zebra", "1"},
                              {"-", "http://b.example/", "ox", "3"},
                              {"x", "http://a.example/", "ox", "22"}}
        << QByteArray("Filename         \tResults\tCount\t\r\n"
                      "http://a.example/\tzebra  \t1    \t\r\n"
                      "http://a.example/\tox     \t22   \t\r\n");
    // Lengths count UTF-16 code units: the clef is two, "naïve" five.
    QTest::newRow("non-ASCII words, UTF-8 without byte-order mark")
        << combined << QList<QStringList>{{"x", "\U0001D11E", "1"}, {"x", "naïve", "2"}}
        << QByteArray("Results\tCount\t\r\n"
                      "\xf0\x9d\x84\x9e     \t1    \t\r\n"
                      "na\xc3\xafve  \t2    \t\r\n");
}

void TestSaveText::fileBytes()
{
    QFETCH(QStringList, captions);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QByteArray, expected);

    ResultsModel list;
    fillList(list, captions, rows);
    const QString path = m_dir.filePath(QStringLiteral("bytes.txt"));
    RecordingSink sink;
    RecordingProgress progress;
    saveAlignedResults(list, path, &progress);

    QVERIFY2(sink.reports.isEmpty(), qPrintable(sink.reports.join(u'\n')));
    QCOMPARE(readFile(path), expected);
}

void TestSaveText::withoutProgressBar()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "the", "12"}, {"-", "a", "7"}});
    const QString path = m_dir.filePath(QStringLiteral("nobar.txt"));
    RecordingSink sink;
    saveAlignedResults(list, path, nullptr);
    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(readFile(path), QByteArray("Results\tCount\t\r\nthe    \t12   \t\r\n"));
}

void TestSaveText::progressSmallList()
{
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "a", "1"}, {"-", "b", "2"}, {"x", "c", "3"}});
    const QString path = m_dir.filePath(QStringLiteral("progress.txt"));
    RecordingSink sink;
    RecordingProgress progress;
    saveAlignedResults(list, path, &progress);

    const QString writing = QStringLiteral("Writing file: progress.txt");
    const QList<ProgressEvent> expected{
        {true, 1, {}},   {false, 0, writing}, {true, 10, {}},        {false, 0, writing},
        {true, 20, {}},  {false, 0, writing}, {true, 100.0 / 3, {}}, // row 1 of 3
        {true, 100, {}},                                             // row 3 of 3; row 2 unticked
        {true, 100, {}}, {false, 0, "Done."}, {true, 0, {}},         {false, 0, "Progress Bar"}};
    QCOMPARE(progress.events.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(progress.events[i].isValue, expected[i].isValue);
        QCOMPARE(progress.events[i].value, expected[i].value);
        QCOMPARE(progress.events[i].text, expected[i].text);
    }
}

void TestSaveText::progressLargeList()
{
    // From 2000 rows on, the value is (R div 2000 + r) / R * 100, capped at 100, and every
    // thousandth row names itself in the text.
    const int rows = 5000;
    ResultsModel list;
    fillList(list, {"Results", "Count"}, {});
    for (int r = 1; r <= rows; ++r)
        list.append(QString::number(r), QStringLiteral("1"));
    const QString path = m_dir.filePath(QStringLiteral("large.txt"));
    RecordingSink sink;
    RecordingProgress progress;
    saveAlignedResults(list, path, &progress);

    QList<double> values;
    QStringList texts;
    // Events of the rows come after the three opening reports (six events).
    for (qsizetype i = 6; i < progress.events.size() - 4; ++i) {
        if (progress.events[i].isValue)
            values << progress.events[i].value;
        else
            texts << progress.events[i].text;
    }
    QCOMPARE(values.size(), rows);
    QCOMPARE(values[0], (2.0 + 1) / 5000 * 100);
    QCOMPARE(values[999], (2.0 + 1000) / 5000 * 100);
    QCOMPARE(values[4997], 100.0); // (2 + 4998) / 5000 * 100 exactly
    QCOMPARE(values[4998], 100.0); // 100.02, capped
    QCOMPARE(values[4999], 100.0);
    QCOMPARE(texts, (QStringList{"Writing file: large.txt (1000)", "Writing file: large.txt (2000)",
                                 "Writing file: large.txt (3000)", "Writing file: large.txt (4000)",
                                 "Writing file: large.txt (5000)"}));
    QCOMPARE(progress.events.last().text, QStringLiteral("Progress Bar"));
}

void TestSaveText::command_data()
{
    QTest::addColumn<QString>("chosen");        // "" cancels, else a name in the folder
    QTest::addColumn<QByteArray>("oldContent"); // "" for no file there before
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("written");

    QTest::newRow("cancelled") << QString() << QByteArray() << QList<bool>{} << false << false;
    QTest::newRow("new name: no question")
        << "new.txt" << QByteArray() << QList<bool>{} << false << true;
    QTest::newRow("existing file, overwrite declined")
        << "old.txt" << QByteArray("keep me\r\n") << QList<bool>{false} << true << false;
    QTest::newRow("existing file, overwrite accepted")
        << "old.txt" << QByteArray("replace me\r\n") << QList<bool>{true} << true << true;
}

void TestSaveText::command()
{
    QFETCH(QString, chosen);
    QFETCH(QByteArray, oldContent);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, asked);
    QFETCH(bool, written);

    QTemporaryDir folder;
    const QString path = chosen.isEmpty() ? QString() : folder.filePath(chosen);
    if (!oldContent.isEmpty())
        writeFile(path, oldContent);
    const QStringList before = entries(folder.path());

    ResultsModel list;
    fillList(list, {"Results", "Count"}, {{"x", "the", "12"}});
    ScriptedDialogs dialogs;
    dialogs.saveResults << path;
    for (bool answer : answers)
        dialogs.answers << answer;
    RecordingPointer pointer;
    RecordingProgress progress;
    QList<int> modesWhileWriting;
    progress.onEvent = [&] { modesWhileWriting << pointer.pointerMode(); };
    RecordingSink sink;

    saveResultsAsText(list, dialogs, pointer, &progress);

    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(dialogs.dialogTitles, QStringList{"Save List"});
    QCOMPARE(dialogs.dialogFilters, QStringList{"Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"});
    QCOMPARE(dialogs.questions,
             asked ? QStringList{"Are you sure you wish to overwrite " + path + " ?"}
                   : QStringList{});
    QVERIFY(dialogs.unexpected.isEmpty());
    QVERIFY(dialogs.informations.isEmpty()); // no message follows a save
    if (written) {
        QCOMPARE(readFile(path), QByteArray("Results\tCount\t\r\nthe    \t12   \t\r\n"));
        QCOMPARE(pointer.history, (QList<int>{PointerHourglass, PointerDefault}));
        QVERIFY(!modesWhileWriting.isEmpty());
        QVERIFY(std::all_of(modesWhileWriting.cbegin(), modesWhileWriting.cend(),
                            [](int mode) { return mode == PointerHourglass; }));
        QCOMPARE(entries(folder.path()), QStringList{QFileInfo(path).fileName()});
    } else {
        QCOMPARE(entries(folder.path()), before);
        if (!oldContent.isEmpty())
            QCOMPARE(readFile(path), oldContent);
        QVERIFY(pointer.history.isEmpty());
        QVERIFY(progress.events.isEmpty());
    }
}

void TestSaveText::listClearedWhileSaving()
{
    // "Clear Results" still works while the save yields; the save then ends with what it had,
    // without a report for every row that is gone.
    ResultsModel list;
    fillList(list, {"Results", "Count"},
             {{"x", "alpha", "1"}, {"x", "beta", "2"}, {"x", "gamma", "3"}, {"x", "delta", "4"}});
    const QString path = m_dir.filePath(QStringLiteral("cleared.txt"));
    RecordingSink sink;
    RecordingProgress progress;
    progress.onEvent = [&] {
        if (progress.events.size() == 7) // the first row's value
            list.clearRows();
    };
    saveAlignedResults(list, path, &progress);

    QVERIFY2(sink.reports.isEmpty(), qPrintable(sink.reports.join(u'\n')));
    QCOMPARE(readFile(path), QByteArray("Results\tCount\t\r\nalpha  \t1    \t\r\n"));
    QCOMPARE(progress.events.last().text, QStringLiteral("Progress Bar"));
}

void TestSaveText::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("target");        // relative to a fresh folder
    QTest::addColumn<QByteArray>("oldContent"); // "" for none
    QTest::addColumn<int>("sizeLimit");         // bytes a file may grow to; 0 for no limit
    QTest::addColumn<int>("line");

    QTest::newRow("folder missing") << "missing/out.txt" << QByteArray() << 0 << 110;
    QTest::newRow("target is a folder") << "sub" << QByteArray() << 0 << 110;
    QTest::newRow("disk full while writing")
        << "out.txt" << QByteArray("the old results\r\n") << 1024 << 128;
}

void TestSaveText::failedSaveKeepsOldFile()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, oldContent);
    QFETCH(int, sizeLimit);
    QFETCH(int, line);

    QTemporaryDir folder;
    const QString path = folder.filePath(target);
    if (target == QStringLiteral("sub"))
        QDir(folder.path()).mkdir(target);
    if (!oldContent.isEmpty())
        writeFile(path, oldContent);
    const QStringList before = entries(folder.path());

    ResultsModel list;
    fillList(list, {"Results", "Count"}, {});
    for (int r = 1; r <= 3000; ++r)
        list.append(QStringLiteral("word%1").arg(r), QString::number(r));

    RecordingSink sink;
    RecordingProgress progress;
    {
        std::optional<FileSizeLimit> limit;
        if (sizeLimit > 0) {
            limit.emplace(rlim_t(sizeLimit));
            QVERIFY(limit->active());
        }
        saveAlignedResults(list, path, &progress);
    }

    QCOMPARE(sink.reports.size(), 1);
    QVERIFY(sink.reports[0].contains(
        QStringLiteral("\r\nin Corvantis2021/08/31.Main.SaveListviewProperlySpaced at line ")));
    QCOMPARE(sink.lines(), QList<int>{line});
    QVERIFY2(sink.descriptions()[0].contains(path), qPrintable(sink.descriptions()[0]));
    QVERIFY2(!sink.descriptions()[0].contains(QStringLiteral("Unknown error")),
             qPrintable(sink.descriptions()[0]));
    // Nothing half-written, no temporary file left behind, the old file as it was.
    QCOMPARE(entries(folder.path()), before);
    if (!oldContent.isEmpty())
        QCOMPARE(readFile(path), oldContent);
    // The bar still ends idle.
    QCOMPARE(progress.events.last().text, QStringLiteral("Progress Bar"));
    QCOMPARE(progress.events[progress.events.size() - 2].value, 0.0);
}

void TestSaveText::eightBitCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("latin1");

    QTest::newRow("ASCII unchanged") << "the 12\t" << QByteArray("the 12\t");
    QTest::newRow("character the code page holds") << "naïve é" << QByteArray("na\xefve \xe9");
    QTest::newRow("character it cannot hold") << "a€b" << QByteArray("a?b");
    QTest::newRow("pair of surrogates is one character") << "x\U0001D11Ey" << QByteArray("x?y");
    QTest::newRow("lone surrogate")
        << QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") << QByteArray("a?b");
}

void TestSaveText::eightBitCodePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, latin1);

    TextFileEncoder encoder(QStringConverter::Latin1);
    QVERIFY(!encoder.isUtf8());
    QByteArray out("start:");
    encoder.append(out, text);
    QCOMPARE(out, "start:" + latin1);
}

void TestSaveText::systemCodePage()
{
#ifdef Q_OS_UNIX
    // Qt's 8-bit code page on Unix is UTF-8, so words from any language survive a save.
    QVERIFY(systemCodePageIsUtf8());
    QVERIFY(TextFileEncoder().isUtf8());
#endif
    TextFileEncoder utf8(QStringConverter::Utf8);
    QByteArray out;
    utf8.append(out, QStringLiteral("a€"));
    QCOMPARE(out, QByteArray("a\xe2\x82\xac"));
}

TV_TEST_MAIN(TestSaveText, QCoreApplication)
#include "test_savetext.moc"
