// tallyvane-count end to end: the built program against pages served from this process.
#include "cli/countcommand.h"
#include "clirunner.h"
#include "count/blankdatabase.h"
#include "platform/database.h"
#include "results/resultsmodel.h"
#include "results/savetext.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace tv;
using namespace tv::test;

namespace {

QString dataFolder()
{
    return QStringLiteral(TV_CLI_DATA);
}

// What an expected-output file's name says: "persite-keepcase-db.aligned.txt" is a per-site
// count that keeps letter case, by the database engine, in the aligned format. Without an
// engine, both engines must give it.
struct Expectation {
    bool perSite = false;
    bool keepCase = false;
    QStringList engines;
    QString format;
};

Expectation expectationFromName(const QString& fileName)
{
    Expectation e;
    const qsizetype dot = fileName.indexOf(u'.');
    const QString ext = fileName.mid(dot + 1);
    e.format = ext == u"aligned.txt" ? QStringLiteral("aligned") : ext;
    for (const QString& part : fileName.left(dot).split(u'-')) {
        if (part == u"persite")
            e.perSite = true;
        else if (part == u"keepcase")
            e.keepCase = true;
        else if (part == u"db" || part == u"text")
            e.engines << part;
    }
    if (e.engines.isEmpty())
        e.engines = {QStringLiteral("db"), QStringLiteral("text")};
    return e;
}

QStringList countArguments(bool perSite, bool keepCase, const QString& engine,
                           const QString& format)
{
    QStringList args{QStringLiteral("--engine"), engine, QStringLiteral("--format=") + format};
    if (perSite)
        args << QStringLiteral("--per-site");
    if (keepCase)
        args << QStringLiteral("--keep-case");
    return args;
}

// The caption the window shows after a run of 22 words, per engine.
QByteArray captionOf(const QString& engine)
{
    return engine == u"db" ? "Results - Word Count: 22" : "Results (Total Word Count: 22)";
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    HttpServer m_server;
    QStringList m_sites; // the fixture pages as typed site rows, in name order

    // The fixture text with the server's address in place of {HOST}. In the aligned text the
    // padding after it shrinks by as much as the address is longer, so the columns stay put.
    QByteArray expand(QByteArray text, bool aligned) const
    {
        const QByteArray host = m_server.siteAddress(QString()).toUtf8();
        if (!aligned)
            return text.replace("{HOST}", host);
        static const QRegularExpression cell(QStringLiteral("\\{HOST\\}(\\S*)( *)\\t"));
        QString s = QString::fromUtf8(text);
        QString result;
        qsizetype last = 0;
        for (auto it = cell.globalMatch(s); it.hasNext();) {
            const auto m = it.next();
            const qsizetype pad = m.capturedLength(2) - (host.size() - 6);
            result += s.mid(last, m.capturedStart() - last) + QString::fromUtf8(host) +
                      m.captured(1) + QString(qMax<qsizetype>(pad, 0), u' ') + u'\t';
            last = m.capturedEnd();
        }
        result += s.mid(last);
        return result.toUtf8();
    }

    QString writeList(const QString& name, const QByteArray& bytes)
    {
        return writeFile(fixtureFolder(QStringLiteral("lists")) + u'/' + name, bytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        QVERIFY2(QFileInfo(cliProgram()).isExecutable(), qPrintable(cliProgram()));
        const QDir pages(dataFolder() + QStringLiteral("/pages"));
        for (const QFileInfo& page :
             pages.entryInfoList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
            // A typed address without a scheme is completed with "http://"; its path stays.
            m_server.serve(u'/' + page.baseName(),
                           HttpFixture::html(readFile(page.absoluteFilePath())));
            m_sites << m_server.siteAddress(u'/' + page.baseName());
        }
        QVERIFY(m_sites.size() >= 3);
    }

    // Every expected-output file: the program writes exactly that, for each engine it names.
    void formats_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("engine");
        const QDir expected(dataFolder() + QStringLiteral("/expected"));
        const auto files = expected.entryList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString& name : files) {
            for (const QString& engine : expectationFromName(name).engines)
                QTest::newRow(qPrintable(name + u' ' + engine))
                    << expected.filePath(name) << engine;
        }
    }
    void formats()
    {
        QFETCH(QString, file);
        QFETCH(QString, engine);
        const Expectation e = expectationFromName(QFileInfo(file).fileName());
        const CliOutcome r =
            runCli(countArguments(e.perSite, e.keepCase, engine, e.format) + m_sites);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QCOMPARE(r.out, expand(readFile(file), e.format == u"aligned"));
        // The total goes to standard error as the caption the window shows.
        if (!e.keepCase)
            QVERIFY2(r.err.contains(captionOf(engine) + '\n'), r.err.constData());
    }

    // The aligned text is what "Save Results As Text File" writes for the same rows.
    void alignedIsTheSavedFile_data()
    {
        QTest::addColumn<bool>("perSite");
        QTest::addColumn<QString>("engine");
        QTest::newRow("combined db") << false << QStringLiteral("db");
        QTest::newRow("combined text") << false << QStringLiteral("text");
        QTest::newRow("per site db") << true << QStringLiteral("db");
        QTest::newRow("per site text") << true << QStringLiteral("text");
    }
    void alignedIsTheSavedFile()
    {
        QFETCH(bool, perSite);
        QFETCH(QString, engine);
        const CliOutcome aligned =
            runCli(countArguments(perSite, false, engine, QStringLiteral("aligned")) + m_sites);
        const CliOutcome json =
            runCli(countArguments(perSite, false, engine, QStringLiteral("json")) + m_sites);
        QVERIFY(aligned.finished && json.finished);
        QCOMPARE(aligned.exitCode, 0);

        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(json.out, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        ResultsModel list;
        list.rebuild(perSite ? ResultsLayout::PerSite : ResultsLayout::Combined);
        list.setCaption(1, QString::fromUtf8(captionOf(engine)));
        for (const QJsonValue& v : doc.array()) {
            const QJsonObject o = v.toObject();
            const QString count = QString::number(o.value(QStringLiteral("count")).toInteger());
            if (perSite)
                list.append(o.value(QStringLiteral("site")).toString(),
                            o.value(QStringLiteral("word")).toString(), count);
            else
                list.append(o.value(QStringLiteral("word")).toString(), count);
        }
        QVERIFY(list.rows() > 0);
        const QString path = fixtureFolder(QStringLiteral("saved")) + QStringLiteral("/r.txt");
        saveAlignedResults(list, path, nullptr);
        QCOMPARE(aligned.out, readFile(path));
    }

    // A page that fails is reported with the window's description; the others still count.
    void failingPageAmongGood_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("perSite");
        QTest::newRow("db combined") << QStringLiteral("db") << false;
        QTest::newRow("db per site") << QStringLiteral("db") << true;
        QTest::newRow("text combined") << QStringLiteral("text") << false;
        QTest::newRow("text per site") << QStringLiteral("text") << true;
    }
    void failingPageAmongGood()
    {
        QFETCH(QString, engine);
        QFETCH(bool, perSite);
        const QString missing = m_server.siteAddress(QStringLiteral("/gone"));
        const QStringList args = countArguments(perSite, false, engine, QStringLiteral("tsv"));
        const CliOutcome withFailure = runCli(args + QStringList{m_sites[0], missing, m_sites[1]});
        const CliOutcome goodOnly = runCli(args + QStringList{m_sites[0], m_sites[1]});
        QVERIFY(withFailure.finished && goodOnly.finished);
        QCOMPARE(withFailure.exitCode, int(ExitSomeFailed));
        QCOMPARE(goodOnly.exitCode, int(ExitAllRead));
        QVERIFY(goodOnly.out.count('\n') > 5);
        QCOMPARE(withFailure.out, goodOnly.out);
        const QByteArray report = "tallyvane-count: Could not load http://" + missing.toUtf8() +
                                  ": the server answered 404";
        QVERIFY2(withFailure.err.contains(report), withFailure.err.constData());
        QVERIFY(withFailure.err.contains("Sorting.fetchUrl at line"));
        QVERIFY(!goodOnly.err.contains("Could not load"));
    }

    // Nothing to count, or no page that could be read: status 3.
    void nothingCounted_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QByteArray>("message");
        const QString emptyList = writeList(QStringLiteral("empty.txt"), QByteArray());
        const QStringList allGone{m_server.siteAddress(QStringLiteral("/gone1")),
                                  m_server.siteAddress(QStringLiteral("/gone2"))};
        for (const QString& engine : {QStringLiteral("db"), QStringLiteral("text")}) {
            QTest::newRow(qPrintable(QStringLiteral("every page fails ") + engine))
                << engine << allGone << QByteArray("/gone2: the server answered 404");
            QTest::newRow(qPrintable(QStringLiteral("empty list ") + engine))
                << engine << QStringList{QStringLiteral("--list"), emptyList}
                << QByteArray("tallyvane-count: No files added.");
        }
    }
    void nothingCounted()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, sources);
        QFETCH(QByteArray, message);
        const CliOutcome r = runCli(QStringList{QStringLiteral("--engine"), engine} + sources);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitNothingCounted));
        QVERIFY2(r.err.contains(message), r.err.constData());
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("message");
        const QString site = QStringLiteral("127.0.0.1:9/a");
        QTest::newRow("nothing") << QStringList{} << QByteArray("no addresses given");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--colour"), site} << QByteArray("'--colour'");
        QTest::newRow("unknown format")
            << QStringList{QStringLiteral("--format"), QStringLiteral("xml"), site}
            << QByteArray("'xml'");
        QTest::newRow("unknown engine")
            << QStringList{QStringLiteral("--engine=fast"), site} << QByteArray("'fast'");
        QTest::newRow("value missing")
            << QStringList{site, QStringLiteral("--list")} << QByteArray("--list needs a value");
        QTest::newRow("flag with value")
            << QStringList{QStringLiteral("--per-site=yes"), site} << QByteArray("takes no value");
        QTest::newRow("database with text")
            << QStringList{QStringLiteral("--engine"), QStringLiteral("text"),
                           QStringLiteral("--database"), QStringLiteral("x.db"), site}
            << QByteArray("--database goes with --engine db");
        QTest::newRow("prefetch out of range")
            << QStringList{QStringLiteral("--prefetch"), QStringLiteral("-1"), site}
            << QByteArray("--prefetch takes");
        QTest::newRow("parallel out of range")
            << QStringList{QStringLiteral("--parallel=257"), site}
            << QByteArray("--parallel takes a whole number from 0 to 256");
        QTest::newRow("standard input twice")
            << QStringList{QStringLiteral("-"), QStringLiteral("--list"), QStringLiteral("-")}
            << QByteArray("only once");
        QTest::newRow("list file missing")
            << QStringList{QStringLiteral("--list"), testHome() + QStringLiteral("/none.txt")}
            << QByteArray("File not found: ");
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, message);
        const CliOutcome r = runCli(arguments);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitUsage));
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(message), r.err.constData());
        if (!message.startsWith("File not found"))
            QVERIFY(r.err.contains("Usage: tallyvane-count"));
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("--help") << QStringLiteral("--help") << QByteArray("--per-site");
        QTest::newRow("-h") << QStringLiteral("-h") << QByteArray("Exit status:");
        QTest::newRow("--version")
            << QStringLiteral("--version") << QByteArray("tallyvane-count " TV_VERSION "\n");
    }
    void helpAndVersion()
    {
        QFETCH(QString, option);
        QFETCH(QByteArray, text);
        const CliOutcome r = runCli({option});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains(text), r.out.constData());
        QVERIFY(r.err.isEmpty());
    }

    // Site rows from list files and standard input, read as "Load From File" reads them, in
    // command-line order with the addresses.
    void listsAndStandardInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        const QByteArray a = m_sites[0].toUtf8();
        const QByteArray b = m_sites[1].toUtf8();
        const QByteArray c = m_sites[2].toUtf8();
        const QString crlf =
            writeList(QStringLiteral("crlf.txt"), a + "\r\n" + b + "\r\n" + c + "\r\n");
        const QString bomAndCr =
            writeList(QStringLiteral("cr.txt"), "\xEF\xBB\xBF" + a + '\r' + b + '\r' + c + '\r');
        const QString first = writeList(QStringLiteral("first.txt"), a);
        const QString rest = writeList(QStringLiteral("rest.txt"), b + "\r\n" + c);
        const QString list = QStringLiteral("--list");
        QTest::newRow("list, CR LF") << QStringList{list, crlf} << QByteArray();
        QTest::newRow("list, CR and a byte-order mark")
            << QStringList{list, bomAndCr} << QByteArray();
        QTest::newRow("two lists")
            << QStringList{list, first, QStringLiteral("--list=") + rest} << QByteArray();
        QTest::newRow("address then list") << QStringList{m_sites[0], list, rest} << QByteArray();
        QTest::newRow("standard input, line feeds")
            << QStringList{list, QStringLiteral("-")} << QByteArray(a + '\n' + b + '\n' + c);
        QTest::newRow("lone dash, CR LF")
            << QStringList{QStringLiteral("-")} << QByteArray(a + "\r\n" + b + "\r\n" + c + "\r\n");
        QTest::newRow("list then standard input")
            << QStringList{list, first, list, QStringLiteral("-")}
            << QByteArray(b + "\r\n" + c + "\r\n");
    }
    void listsAndStandardInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        const CliOutcome r = runCli(
            QStringList{QStringLiteral("--format"), QStringLiteral("tsv")} + arguments, input);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QCOMPARE(r.out, readFile(dataFolder() + QStringLiteral("/expected/combined.tsv")));
    }

    // The database method: a private scratch file that goes away, or the one named, and the
    // text method with a warning when the database cannot be used.
    void databaseChoice_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("warning");
        QTest::newRow("private") << QStringLiteral("private") << QByteArray();
        QTest::newRow("named") << QStringLiteral("named") << QByteArray();
        QTest::newRow("named, in use by a window")
            << QStringLiteral("locked") << QByteArray("is in use by another counting run");
        QTest::newRow("named, without tbWords")
            << QStringLiteral("no table") << QByteArray("has no table tbWords");
        QTest::newRow("named, missing")
            << QStringLiteral("missing") << QByteArray("does not exist");
    }
    void databaseChoice()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, warning);
        QTemporaryDir scratch;
        QTemporaryDir home;
        QVERIFY(scratch.isValid() && home.isValid());
        const QString dbPath = home.filePath(QStringLiteral("words.db"));
        std::unique_ptr<QLockFile> lock;
        if (kind == u"named" || kind == u"locked")
            createWordDatabase(dbPath);
        if (kind == u"no table")
            writeFile(dbPath, QByteArray());
        if (kind == u"locked") {
            // A window counting in the same file holds its lock for the whole run.
            lock = std::make_unique<QLockFile>(dbPath + QStringLiteral(".lock"));
            QVERIFY(lock->tryLock(0));
        }

        CliRun run;
        run.arguments = QStringList{QStringLiteral("--format=tsv")};
        if (kind != u"private")
            run.arguments << QStringLiteral("--database") << dbPath;
        run.arguments += m_sites;
        run.environment.insert(QStringLiteral("TMPDIR"), scratch.path());
        run.environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath("data"));
        const CliOutcome r = runCli(run);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QCOMPARE(r.out, readFile(dataFolder() + QStringLiteral("/expected/combined.tsv")));
        if (warning.isEmpty()) {
            QVERIFY2(!r.err.contains("warning"), r.err.constData());
            QVERIFY(r.err.contains(captionOf(QStringLiteral("db"))));
        } else {
            QVERIFY2(r.err.contains(warning), r.err.constData());
            QVERIFY(r.err.contains("warning: the database method cannot run"));
            QVERIFY(r.err.contains(captionOf(QStringLiteral("text"))));
        }
        // Nothing is left in the temporary folder, and the window's data folder is untouched.
        QCOMPARE(
            QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
        QVERIFY(!QFileInfo::exists(home.filePath("data")));
        if (kind == u"named") {
            // The count was made in the named file: its table holds the run's 22 words.
            Database db;
            db.open(dbPath);
            Statement s = db.query(QStringLiteral("SELECT COUNT(*) FROM tbWords"));
            QVERIFY(s.next());
            QCOMPARE(s.value(0).toInt(), 22);
        }
    }

    // Stopped in the middle of a count, the program still takes its scratch database along.
    void interruptedRunLeavesNoScratch_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void interruptedRunLeavesNoScratch()
    {
        QFETCH(int, signal);
        HttpFixture stalled = HttpFixture::html("<p>never finished</p>");
        stalled.stallAfter = 4;
        m_server.serve(QStringLiteral("/stalled"), stalled);
        // The server is shared by the rows: only this row's requests count.
        const int askedBefore = m_server.requestCount(QStringLiteral("/stalled"));
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("TMPDIR"), scratch.path());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(cliProgram(), {m_sites[0], m_server.siteAddress(QStringLiteral("/stalled"))});
        QVERIFY(process.waitForStarted(30000));
        const QDir folder(scratch.path());
        const auto entries = [&] {
            return folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        };
        // The count is under way: its database exists and the stalled page has been asked for
        // (downloads start as the run begins, maybe before the database file is written).
        QTRY_VERIFY_WITH_TIMEOUT(
            m_server.requestCount(QStringLiteral("/stalled")) > askedBefore &&
                entries().size() == 1 &&
                QFileInfo::exists(folder.filePath(entries().first() + "/words.sqlite")),
            60000);
        QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 60000);
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(entries(), QStringList());
    }

    // With --partial-on-interrupt, Ctrl-C stops the count at the page it waits for: what was
    // counted before is written, the caption says how far it got, the exit status is 130 and
    // the scratch database goes as usual.
    void interruptPrintsWhatWasCounted_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("db") << QStringLiteral("db");
        QTest::newRow("text") << QStringLiteral("text");
    }
    void interruptPrintsWhatWasCounted()
    {
        QFETCH(QString, engine);
        HttpFixture stalled = HttpFixture::html("<p>never finished</p>");
        stalled.stallAfter = 4;
        m_server.serve(QStringLiteral("/stalled-partial"), stalled);
        m_server.serve(QStringLiteral("/before-stall"),
                       HttpFixture::html("<p>alpha beta beta</p>"));
        const int askedBefore = m_server.requestCount(QStringLiteral("/stalled-partial"));
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("TMPDIR"), scratch.path());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(cliProgram(),
                      {QStringLiteral("--partial-on-interrupt"), QStringLiteral("--engine"), engine,
                       QStringLiteral("--format=tsv"),
                       m_server.siteAddress(QStringLiteral("/before-stall")),
                       m_server.siteAddress(QStringLiteral("/stalled-partial")),
                       m_server.siteAddress(QStringLiteral("/before-stall"))});
        QVERIFY(process.waitForStarted(30000));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_server.requestCount(QStringLiteral("/stalled-partial")) > askedBefore, 60000);
        QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 60000);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(process.readAllStandardOutput(), QByteArray("word\tcount\nalpha\t1\nbeta\t2\n"));
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(err.contains("Word Count: 3") && err.contains("(stopped after 1 of 3 sites)"),
                 err.constData());
        QVERIFY2(!err.contains("never"), err.constData());
        QCOMPARE(
            QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
    }

    // Progress only on a terminal, and --quiet silences progress and total.
    // Pages are read with the style sheets they link unless --no-style-sheets says otherwise;
    // a sheet that cannot be had is reported, and the page still counts.
    void styleSheets_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("hiddenCounted");
        QTest::addColumn<int>("sheetRequests");
        QTest::addColumn<QByteArray>("report");
        QTest::newRow("sheets read")
            << QStringLiteral("/styled") << QStringList{} << false << 1 << QByteArray();
        QTest::newRow("--no-style-sheets")
            << QStringLiteral("/styled") << QStringList{QStringLiteral("--no-style-sheets")} << true
            << 0 << QByteArray();
        QTest::newRow("a sheet that fails")
            << QStringLiteral("/unstyled") << QStringList{} << true << 1
            << QByteArray("was counted without its style sheet");
    }
    void styleSheets()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, options);
        QFETCH(bool, hiddenCounted);
        QFETCH(int, sheetRequests);
        QFETCH(QByteArray, report);
        HttpServer server;
        server.serve(QStringLiteral("/styled"),
                     HttpFixture::html("<link rel=stylesheet href=/s.css><p class=x>hidden</p>"
                                       "<p>shown</p>"));
        server.serve(QStringLiteral("/unstyled"),
                     HttpFixture::html("<link rel=stylesheet href=/gone.css><p class=x>hidden</p>"
                                       "<p>shown</p>"));
        server.serve(QStringLiteral("/s.css"), HttpFixture::page(".x{display:none}", "text/css"));
        const CliOutcome r = runCli(QStringList{QStringLiteral("--format=tsv")} + options +
                                    QStringList{server.siteAddress(page)});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QVERIFY(r.out.contains("shown\t1"));
        QCOMPARE(r.out.contains("hidden\t1"), hiddenCounted);
        const QString sheet =
            page == u"/styled" ? QStringLiteral("/s.css") : QStringLiteral("/gone.css");
        QCOMPARE(server.requestCount(sheet), sheetRequests);
        if (report.isEmpty())
            QVERIFY2(!r.err.contains("style sheet"), r.err.constData());
        else
            QVERIFY2(r.err.contains(report), r.err.constData());
    }

    void progressAndQuiet_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<bool>("quiet");
        QTest::newRow("terminal") << true << false;
        QTest::newRow("terminal, quiet") << true << true;
        QTest::newRow("pipe") << false << false;
        QTest::newRow("pipe, quiet") << false << true;
    }
    void progressAndQuiet()
    {
        QFETCH(bool, terminal);
        QFETCH(bool, quiet);
        // A last page without words that comes late: its wait shows on the status line.
        HttpFixture late = HttpFixture::html("<p></p>");
        late.delay = std::chrono::milliseconds(400);
        m_server.serve(QStringLiteral("/late"), late);
        const QString lateSite = m_server.siteAddress(QStringLiteral("/late"));
        const QStringList sites = m_sites + QStringList{lateSite};
        CliRun run;
        run.arguments = QStringList{QStringLiteral("--engine=text")} + sites;
        if (quiet)
            run.arguments.prepend(QStringLiteral("--quiet"));
        int master = -1;
        if (terminal) {
            master = posix_openpt(O_RDWR | O_NOCTTY);
            QVERIFY(master >= 0);
            QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
            run.errorFile = QString::fromLocal8Bit(ptsname(master));
            fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        }
        CliOutcome r = runCli(run);
        if (terminal) {
            char buffer[4096];
            for (ssize_t got; (got = read(master, buffer, sizeof buffer)) > 0;)
                r.err.append(buffer, got);
            close(master);
        }
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 0);
        const QByteArray last =
            QStringLiteral("site %1 of %1: %2").arg(sites.size()).arg(lateSite).toUtf8();
        QCOMPARE(r.err.contains(last), terminal && !quiet);
        QCOMPARE(r.err.contains(last + " (downloading)"), terminal && !quiet);
        QCOMPARE(r.err.contains("site 1 of "), terminal && !quiet);
        QCOMPARE(r.err.contains(captionOf(QStringLiteral("text"))), !quiet);
    }
};

TV_TEST_MAIN(TestCli, QCoreApplication)
#include "test_cli.moc"
