// Loading site-list files: line ends, decoding, several files, missing and unreadable files,
// and the "Load From File" command around them.
#include "platform/failure.h"
#include "platform/yield.h"
#include "sites/loadfromfile.h"
#include "sites/sitecommands.h"
#include "sites/sitelinesplitter.h"
#include "sites/sitelistmodel.h"
#include "sites/sitetext.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

using namespace tv;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kDialogTitle = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
const QString kDialogFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");

// The rows as sequential line input reads them, written as plainly as possible: lines end at
// CR or CR LF, a last line is read only when something follows the last line end, and every
// line is cut once more at each line feed.
QStringList referenceRows(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            lines << line;
            line.clear();
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            line += bytes[i];
        }
    }
    const bool endsWithLineEnd = bytes.isEmpty() || bytes.endsWith('\r') || bytes.endsWith("\r\n");
    if (!endsWithLineEnd)
        lines << line;
    QStringList rows;
    for (const QByteArray& l : lines)
        for (const QByteArray& piece : l.split('\n'))
            rows << decodeSiteLine(piece);
    return rows;
}

int openFileCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                   .size());
}

// Gives its bytes, then fails as a disk would.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray data) : m_data(std::move(data)) { open(ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        if (m_data.isEmpty()) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = qMin<qint64>(max, m_data.size());
        memcpy(out, m_data.constData(), size_t(n));
        m_data.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
};

} // namespace

class TestLoadFromFile : public QObject {
    Q_OBJECT

private:
    QString fixture(const QString& name, const QByteArray& bytes)
    {
        return test::writeFile(test::fixtureFolder(QStringLiteral("load")) + u'/' + name, bytes);
    }

private Q_SLOTS:
    void initTestCase();
    void lineEnds_data();
    void lineEnds();
    void decoding_data();
    void decoding();
    void binaryFile_data();
    void binaryFile();
    void severalFiles_data();
    void severalFiles();
    void commandLineFiles_data();
    void commandLineFiles();
    void commandLineFailureLeavesTheRest();
    void dialogCancelled();
    void unreadableFile_data();
    void unreadableFile();
    void readFailureKeepsRows_data();
    void readFailureKeepsRows();
    void longLines_data();
    void longLines();
    void fileVanishesWhileAnotherLoads();
    void rowsArriveWhileLoading();
};

void TestLoadFromFile::initTestCase()
{
    // Every yield handles events, so timers set by a test fire in the middle of a load.
    setYieldInterval(std::chrono::milliseconds(0));
}

void TestLoadFromFile::lineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("three lines, the second empty")
        << QByteArray("a.com\r\n\r\nb.com\r\n") << QStringList{"a.com", "", "b.com"};
    QTest::newRow("CR LF, no line end at the end")
        << QByteArray("a.com\r\nb.com") << QStringList{"a.com", "b.com"};
    QTest::newRow("LF with a final LF gives one more empty row")
        << QByteArray("a.com\nb.com\n") << QStringList{"a.com", "b.com", ""};
    QTest::newRow("LF, no line end at the end")
        << QByteArray("a.com\nb.com") << QStringList{"a.com", "b.com"};
    QTest::newRow("CR alone with a final CR")
        << QByteArray("a.com\rb.com\r") << QStringList{"a.com", "b.com"};
    QTest::newRow("mixed line ends")
        << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("LF then CR") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("CR LF then a last LF") << QByteArray("a\r\n\n") << QStringList{"a", "", ""};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only CR LF") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("only LF") << QByteArray("\n") << QStringList{"", ""};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n\r\n") << QStringList{"", "", ""};
    QTest::newRow("blanks around addresses stay")
        << QByteArray("  a.com  \r\n\tb.com\t\r\n") << QStringList{"  a.com  ", "\tb.com\t"};
    QTest::newRow("duplicates stay")
        << QByteArray("a.com\r\na.com\r\na.com") << QStringList{"a.com", "a.com", "a.com"};
    QTest::newRow("NUL byte stays in its row")
        << QByteArray("a\0b\r\nc", 6) << QStringList{QString::fromLatin1("a\0b", 3), "c"};
    QTest::newRow("UTF-8 byte-order mark dropped") << QByteArray("\xEF\xBB\xBF"
                                                                 "a.com\r\nb.com")
                                                   << QStringList{"a.com", "b.com"};
    QTest::newRow("byte-order mark alone") << QByteArray("\xEF\xBB\xBF") << QStringList{};
    QTest::newRow("two bytes that are not a byte-order mark")
        << QByteArray("ab") << QStringList{"ab"};
}

void TestLoadFromFile::lineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QCOMPARE(referenceRows(bytes), rows);

    test::ScriptedDialogs dialogs;
    SiteListModel list;
    const QString path = fixture(QStringLiteral("lineends.txt"), bytes);
    appendSitesFromFile(list, path, dialogs);
    QCOMPARE(list.rows(), rows);
    QVERIFY(dialogs.informations.isEmpty());

    // Any cut between two reads gives the same rows, CR LF and the byte-order mark included.
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        SiteLineSplitter splitter;
        QStringList got;
        splitter.feed(QByteArrayView(bytes).first(cut), got);
        splitter.feed(QByteArrayView(bytes).sliced(cut), got);
        splitter.finish(got);
        QVERIFY2(got == rows, qPrintable(QStringLiteral("cut at %1").arg(cut)));
    }
}

void TestLoadFromFile::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9.example\r\n\xE2\x82\xAC.example")
                           << QStringList{u"café.example"_s, u"€.example"_s};
    QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF\xC3\xBC"
                                                              "ber.de")
                                                << QStringList{u"über.de"_s};
    QTest::newRow("8-bit code page") << QByteArray("caf\xE9.example\r\n\x93q\x94")
                                     << QStringList{u"café.example"_s, u"\u201Cq\u201D"_s};
    QTest::newRow("byte the code page leaves unassigned")
        << QByteArray("a\x81z") << QStringList{u"a\u0081z"_s};
    QTest::newRow("UTF-8 sequence cut off by the line end")
        << QByteArray("caf\xC3\r\nok") << QStringList{u"caf\u00C3"_s, u"ok"_s};
    QTest::newRow("UTF-8 line and 8-bit line in one file")
        << QByteArray("caf\xC3\xA9\r\ncaf\xE9") << QStringList{u"café"_s, u"café"_s};
    QTest::newRow("byte-order mark after the first line stays")
        << QByteArray("a\r\n\xEF\xBB\xBF"
                      "b")
        << QStringList{u"a"_s, u"\uFEFFb"_s};
}

void TestLoadFromFile::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    test::ScriptedDialogs dialogs;
    SiteListModel list;

    appendSitesFromFile(list, fixture(QStringLiteral("decoding.txt"), bytes), dialogs);

    QCOMPARE(list.rows(), rows);
}

void TestLoadFromFile::binaryFile_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("size");

    QTest::newRow("small") << 1u << 4096;
    QTest::newRow("larger than one read") << 2u << 300 * 1024;
    QTest::newRow("many NULs and line ends") << 3u << 100 * 1024;
}

void TestLoadFromFile::binaryFile()
{
    QFETCH(quint32, seed);
    QFETCH(int, size);
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes) {
        // The third row draws only from NUL, CR, LF and one letter.
        const quint32 r = random.bounded(256u);
        c = seed == 3 ? "\0\r\na"[r % 4] : char(r);
    }
    test::ScriptedDialogs dialogs;
    SiteListModel list;

    appendSitesFromFile(list, fixture(QStringLiteral("binary.bin"), bytes), dialogs);

    const QStringList expected = referenceRows(bytes);
    QCOMPARE(list.count(), expected.size());
    QCOMPARE(list.rows(), expected);
    const qsizetype nulBytes = bytes.count('\0');
    qsizetype nulChars = 0;
    for (const QString& row : list.rows())
        nulChars += row.count(QChar(0));
    QCOMPARE(nulChars, nulBytes);
}

namespace {

// Files picked in the dialog, or named on the window program's command line, load alike.
void addSeveralFilesRows()
{
    QTest::addColumn<QStringList>("picked");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("notFound");

    QTest::newRow("one file") << QStringList{"a.txt"} << QStringList{"a1.com", "a2.com"} << 0;
    QTest::newRow("files in the dialog's order")
        << QStringList{"c.txt", "a.txt", "b.txt"}
        << QStringList{"c1.com", "a1.com", "a2.com", "b1.com", ""} << 0;
    QTest::newRow("missing file among several") << QStringList{"a.txt", "missing.txt", "c.txt"}
                                                << QStringList{"a1.com", "a2.com", "c1.com"} << 1;
    QTest::newRow("only a missing file") << QStringList{"missing.txt"} << QStringList{} << 1;
    QTest::newRow("same file twice") << QStringList{"a.txt", "a.txt"}
                                     << QStringList{"a1.com", "a2.com", "a1.com", "a2.com"} << 0;
}

// The fixture files of addSeveralFilesRows(); gives the full paths of `picked`.
QStringList severalFilesFixture(const QStringList& picked)
{
    const QString folder = test::fixtureFolder(QStringLiteral("several"));
    test::writeFile(folder + QStringLiteral("/a.txt"), "a1.com\r\na2.com\r\n");
    test::writeFile(folder + QStringLiteral("/b.txt"), "b1.com\n");
    test::writeFile(folder + QStringLiteral("/c.txt"), "c1.com");
    QStringList paths;
    for (const QString& name : picked)
        paths << folder + u'/' + name;
    return paths;
}

} // namespace

void TestLoadFromFile::severalFiles_data()
{
    addSeveralFilesRows();
}

void TestLoadFromFile::severalFiles()
{
    QFETCH(QStringList, picked);
    QFETCH(QStringList, rows);
    QFETCH(int, notFound);
    const QStringList paths = severalFilesFixture(picked);
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.openResults << paths;
    SiteListModel list;
    list.append(QStringLiteral("kept.com"));

    loadSitesFromFiles(list, dialogs);

    QCOMPARE(list.rows(), QStringList{"kept.com"} + rows);
    QCOMPARE(dialogs.dialogTitles, QStringList{kDialogTitle});
    QCOMPARE(dialogs.dialogFilters, QStringList{kDialogFilter});
    QCOMPARE(dialogs.informations, QStringList(notFound, QStringLiteral("File not found")));
    QVERIFY(dialogs.unexpected.isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestLoadFromFile::commandLineFiles_data()
{
    addSeveralFilesRows();
}

void TestLoadFromFile::commandLineFiles()
{
    QFETCH(QStringList, picked);
    QFETCH(QStringList, rows);
    QFETCH(int, notFound);
    const QStringList paths = severalFilesFixture(picked);
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    SiteListModel list;
    list.append(QStringLiteral("kept.com"));

    openSiteFiles(list, paths, dialogs);

    QCOMPARE(list.rows(), QStringList{"kept.com"} + rows);
    QVERIFY(dialogs.dialogTitles.isEmpty());
    QCOMPARE(dialogs.informations, QStringList(notFound, QStringLiteral("File not found")));
    QVERIFY(dialogs.unexpected.isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestLoadFromFile::commandLineFailureLeavesTheRest()
{
    const QStringList files = severalFilesFixture({"a.txt", "c.txt"});
    const QString folder = test::fixtureFolder(QStringLiteral("a folder named like a list"));
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    SiteListModel list;

    openSiteFiles(list, {files[0], folder, files[1]}, dialogs);

    QCOMPARE(list.rows(), (QStringList{"a1.com", "a2.com", "c1.com"}));
    QCOMPARE(sink.lines(), QList<int>{100});
    QVERIFY(sink.reports[0].contains(QStringLiteral("it is a folder")));
    QVERIFY(sink.reports[0].contains(QStringLiteral(".Form1.openSiteFiles ")));
}

void TestLoadFromFile::dialogCancelled()
{
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.openResults << QStringList{};
    SiteListModel list;
    list.append(QStringList{"a.com", "b.com"});

    loadSitesFromFiles(list, dialogs);

    QCOMPARE(list.rows(), (QStringList{"a.com", "b.com"}));
    QCOMPARE(dialogs.dialogTitles.size(), 1);
    QVERIFY(dialogs.informations.isEmpty());
    QVERIFY(sink.reports.isEmpty());
}

void TestLoadFromFile::unreadableFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder") << "folder"
                            << "it is a folder";
    QTest::newRow("no permission") << "no permission"
                                   << "Permission denied";
    QTest::newRow("write-only system file") << "write-only"
                                            << "Permission denied";
    QTest::newRow("read fails after opening") << "read error"
                                              << "Cannot read";
    QTest::newRow("named pipe") << "pipe"
                                << "not a regular file";
}

void TestLoadFromFile::unreadableFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString folder = test::fixtureFolder(QStringLiteral("unreadable"));
    QString path;
    if (kind == u"folder") {
        path = test::fixtureFolder(QStringLiteral("unreadable/a-folder.txt"));
    } else if (kind == u"no permission") {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        path = test::writeFile(folder + QStringLiteral("/locked.txt"), "secret.com\r\n");
        QVERIFY(QFile::setPermissions(path, {}));
    } else if (kind == u"write-only") {
        path = QStringLiteral("/sys/bus/pci/rescan");
        QFile probe(path);
        if (!QFile::exists(path) || probe.open(QIODevice::ReadOnly))
            QSKIP("no write-only system file here");
    } else if (kind == u"read error") {
        // Reading at offset 0 of the process's own memory fails: nothing is mapped there.
        path = QStringLiteral("/proc/self/mem");
        if (!QFile::exists(path))
            QSKIP("no /proc here");
    } else if (kind == u"pipe") {
        path = folder + QStringLiteral("/pipe.txt");
        QFile::remove(path);
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    const QString before = test::writeFile(folder + QStringLiteral("/before.txt"), "b1\r\nb2");
    const QString after = test::writeFile(folder + QStringLiteral("/after.txt"), "a1");
    const int filesOpen = openFileCount();

    // Alone: reported on the line that loads the one file.
    {
        test::RecordingSink sink;
        test::ScriptedDialogs dialogs;
        dialogs.openResults << QStringList{path};
        SiteListModel list;
        loadSitesFromFiles(list, dialogs);
        QCOMPARE(sink.lines(), QList<int>{116});
        QVERIFY2(sink.descriptions().value(0).contains(reason), qPrintable(sink.reports.value(0)));
        QVERIFY(sink.descriptions().value(0).contains(path));
        QVERIFY(sink.reports.value(0).contains(QStringLiteral("Form1.PushButton13_Click ")));
        QCOMPARE(list.count(), 0);
        QVERIFY(dialogs.informations.isEmpty());
    }
    // Among others: reported on the line of the loop, and the files after it still load.
    {
        test::RecordingSink sink;
        test::ScriptedDialogs dialogs;
        dialogs.openResults << QStringList{before, path, after};
        SiteListModel list;
        loadSitesFromFiles(list, dialogs);
        QCOMPARE(sink.lines(), QList<int>{122});
        QCOMPARE(list.rows(), (QStringList{"b1", "b2", "a1"}));
    }
    QCOMPARE(openFileCount(), filesOpen);
}

void TestLoadFromFile::readFailureKeepsRows_data()
{
    QTest::addColumn<QByteArray>("readable");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("fails at once") << QByteArray() << QStringList{};
    QTest::newRow("fails after two lines")
        << QByteArray("a.com\r\nb.com\r\n") << QStringList{"a.com", "b.com"};
    QTest::newRow("fails inside a line") << QByteArray("a.com\nb.c") << QStringList{"a.com"};
}

void TestLoadFromFile::readFailureKeepsRows()
{
    QFETCH(QByteArray, readable);
    QFETCH(QStringList, rows);
    FailingDevice device(readable);
    SiteListModel list;
    list.append(QStringLiteral("earlier.com"));

    QString description;
    try {
        appendLinesFromDevice(list, device, QStringLiteral("sites.txt"));
    } catch (const Failure& failure) {
        description = failure.description();
    }

    QCOMPARE(description, QStringLiteral("Cannot read \"sites.txt\": Input/output error"));
    QCOMPARE(list.rows(), QStringList{"earlier.com"} + rows);
}

void TestLoadFromFile::longLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("firstLong"); // 0: none

    const qsizetype max = SiteLineSplitter::kMaxLineBytes;
    const QByteArray longest(max, 'x');
    const QByteArray tooLong(max + 1, 'y');
    const QByteArray huge(3 * 1024 * 1024, 'z');
    QTest::newRow("as long as allowed")
        << "a.com\r\n" + longest + "\r\nb.com"
        << QStringList{"a.com", QString::fromLatin1(longest), "b.com"} << 0;
    QTest::newRow("one byte too long")
        << "a.com\r\n" + tooLong + "\r\nb.com" << QStringList{"a.com", "b.com"} << 2;
    QTest::newRow("megabytes in one line, line feeds")
        << "a.com\n" + huge + "\nb.com\n" + tooLong + "\nc.com"
        << QStringList{"a.com", "b.com", "c.com"} << 2;
    QTest::newRow("last line, no line end") << "a.com\r\n" + huge << QStringList{"a.com"} << 2;
    QTest::newRow("first line") << tooLong + "\r\r\nb.com" << QStringList{"", "b.com"} << 1;
}

// A line longer than any address is dropped as it is read, so a file of one endless line
// keeps its memory; the rest of the file still loads, and the report comes once.
void TestLoadFromFile::longLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(int, firstLong);

    // Any cut between two reads gives the same rows.
    for (qsizetype cut : {qsizetype(0), qsizetype(1), qsizetype(7), bytes.size() / 2,
                          qsizetype(SiteLineSplitter::kMaxLineBytes + 7), bytes.size() - 1}) {
        cut = std::clamp<qsizetype>(cut, 0, bytes.size());
        SiteLineSplitter splitter;
        QStringList got;
        splitter.feed(QByteArrayView(bytes).first(cut), got);
        splitter.feed(QByteArrayView(bytes).sliced(cut), got);
        splitter.finish(got);
        QVERIFY2(got == rows, qPrintable(QStringLiteral("cut at %1").arg(cut)));
        QCOMPARE(splitter.firstLongLine(), qsizetype(firstLong));
    }

    const QString path = fixture(QStringLiteral("long.txt"), bytes);
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.openResults << QStringList{path};
    SiteListModel list;
    loadSitesFromFiles(list, dialogs);
    QCOMPARE(list.rows(), rows);
    if (firstLong == 0) {
        QVERIFY(sink.reports.isEmpty());
        return;
    }
    QCOMPARE(sink.reports.size(), 1);
    QCOMPARE(sink.lines(), QList<int>{116});
    QCOMPARE(sink.descriptions().first(),
             QStringLiteral("\"%1\": line %2 is too long (more than 8192 bytes); it and any "
                            "other lines that long are skipped")
                 .arg(path)
                 .arg(firstLong));
}

void TestLoadFromFile::fileVanishesWhileAnotherLoads()
{
    QByteArray big;
    for (int i = 0; i < 2000; ++i)
        big += "site" + QByteArray::number(i) + ".example\r\n";
    const QString first = fixture(QStringLiteral("first.txt"), big);
    const QString second = fixture(QStringLiteral("second.txt"), "second.example");
    test::RecordingSink sink;
    test::ScriptedDialogs dialogs;
    dialogs.openResults << QStringList{first, second};
    SiteListModel list;
    bool removed = false;
    QTimer::singleShot(0, this, [&] { removed = QFile::remove(second); });

    loadSitesFromFiles(list, dialogs);

    QVERIFY(removed);
    QCOMPARE(list.count(), 2000);
    QCOMPARE(list.text(2000), QStringLiteral("site1999.example"));
    QCOMPARE(dialogs.informations, QStringList{"File not found"});
    QVERIFY(sink.reports.isEmpty());
}

void TestLoadFromFile::rowsArriveWhileLoading()
{
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += QByteArray::number(i) + '\n';
    const QString path = fixture(QStringLiteral("progressive.txt"), bytes);
    test::ScriptedDialogs dialogs;
    SiteListModel list;
    QList<int> seen;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, this, [&] { seen << list.count(); });
    watcher.start();

    appendSitesFromFile(list, path, dialogs);
    watcher.stop();

    // The window got its turn between rows, and saw the list grow.
    QCOMPARE(list.count(), 5001);
    const QSet<int> partial(seen.cbegin(), seen.cend());
    int between = 0;
    for (const int count : partial)
        between += (count > 0 && count < list.count()) ? 1 : 0;
    QVERIFY2(between >= 2, qPrintable(QStringLiteral("%1 partial counts").arg(between)));
    QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
}

TV_TEST_MAIN(TestLoadFromFile, QCoreApplication)
#include "test_loadfromfile.moc"
