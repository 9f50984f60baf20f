// tallyvane-count against hostile servers, pages and lists: control characters, passwords in
// addresses, endless lines, a full disk, empty rows and runs killed outright. Every page comes
// from a server in this process on 127.0.0.1, and every run is bounded in time.
#include "cli/countcommand.h"
#include "clirunner.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace tv;
using namespace tv::test;

namespace {

// Resident memory of a process in KiB, from /proc; -1 once it is gone.
qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The terminal bytes with the status line's own sequences taken out: what is left must hold
// no control character but line feeds.
QByteArray withoutStatusSequences(QByteArray bytes)
{
    // A status line is "\r", its text and "\x1b[K"; clearing it is "\r\x1b[K".
    return bytes.replace("\r\x1b[K", "\n").replace("\x1b[K", "\n").replace("\rsite ", "\nsite ");
}

bool hasRawControls(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\n' && b != '\t') || b == 0x7F)
            return true;
    }
    return false;
}

} // namespace

class TestCliHostile : public QObject {
    Q_OBJECT

    HttpServer m_server;

    QString site(const char* path) const { return m_server.siteAddress(QString::fromLatin1(path)); }

    // {OK}, {OK2} and {BAD} in a list become the addresses of a good, another good and a
    // failing page.
    QByteArray expandList(QByteArray list) const
    {
        return list.replace("{OK}", site("/ok").toUtf8())
            .replace("{OK2}", site("/ok2").toUtf8())
            .replace("{BAD}", site("/bad").toUtf8());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        QVERIFY2(QFileInfo(cliProgram()).isExecutable(), qPrintable(cliProgram()));
        m_server.serve(QStringLiteral("/ok"), HttpFixture::html("<p>fine words</p>"));
        m_server.serve(QStringLiteral("/ok2"), HttpFixture::html("<p>more words</p>"));
        m_server.serve(QStringLiteral("/bad"), HttpFixture::error(404));
        HttpFixture status = HttpFixture::error(404);
        status.reason = "Not \x1b[31mFound\x07";
        m_server.serve(QStringLiteral("/status"), status);
        m_server.serve(QStringLiteral("/type"),
                       HttpFixture::page("x", "image/\x1b]0;pwned\x07png"));
        m_server.serve(QStringLiteral("/words"), HttpFixture::html("<p>plain evil\x1b[2Jword</p>"));
    }

    // Empty rows name no page: the status follows the named pages alone, whatever line ends
    // the list has.
    void exitStatusFollowsPages_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("status");
        QTest::newRow("failing page, final line feed") << QByteArray("{BAD}\n") << 3;
        QTest::newRow("failing page, no final line feed") << QByteArray("{BAD}") << 3;
        QTest::newRow("failing page among empty rows") << QByteArray("\n{BAD}\r\n\n") << 3;
        QTest::newRow("only empty lines") << QByteArray("\n\n\n") << 3;
        QTest::newRow("only blanks") << QByteArray("   \r\n") << 3;
        QTest::newRow("good page, final line feed") << QByteArray("{OK}\n") << 0;
        QTest::newRow("good page among empty rows") << QByteArray("\n{OK}\n\n") << 0;
        QTest::newRow("good and failing, final line feed") << QByteArray("{OK}\n{BAD}\n") << 1;
        QTest::newRow("good and failing, no final line feed") << QByteArray("{OK}\n{BAD}") << 1;
    }
    void exitStatusFollowsPages()
    {
        QFETCH(QByteArray, list);
        QFETCH(int, status);
        const CliOutcome r =
            runCli({QStringLiteral("--list"), QStringLiteral("-")}, expandList(list));
        QVERIFY(r.finished);
        QVERIFY2(r.exitCode == status, r.err.constData());
        QVERIFY2(!r.err.contains("warning"), r.err.constData());
        QCOMPARE(r.err.contains("No page named"), !list.contains('{'));
    }

    // A line longer than any address is skipped and told of once; the other rows count.
    void longLineInList_data()
    {
        QTest::addColumn<bool>("standardInput");
        QTest::newRow("standard input") << true;
        QTest::newRow("list file") << false;
    }
    void longLineInList()
    {
        QFETCH(bool, standardInput);
        const QByteArray list = expandList("{OK}\n" + QByteArray(4 * 1024 * 1024, 'x') +
                                           "\n{OK2}\n" + QByteArray(10000, 'y') + "\n");
        const QString path = writeFile(fixtureFolder(QStringLiteral("lists")) + "/long.txt", list);
        const CliOutcome r =
            standardInput
                ? runCli({QStringLiteral("--format=tsv"), QStringLiteral("-")}, list)
                : runCli({QStringLiteral("--format=tsv"), QStringLiteral("--list"), path});
        QVERIFY(r.finished);
        QVERIFY2(r.exitCode == int(ExitAllRead), r.err.constData());
        QCOMPARE(r.out, QByteArray("word\tcount\nfine\t1\nmore\t1\nwords\t2\n"));
        const QByteArray name = standardInput ? "standard input" : path.toUtf8();
        QCOMPARE(r.err.count("is too long"), 1);
        QVERIFY2(r.err.contains("\"" + name + "\": line 2 is too long (more than 8192 bytes)"),
                 r.err.constData());
    }

    // Control characters from a server's status text and content type, a page's words and a
    // list line: escaped wherever they would reach a terminal, escaped as tsv and json escape,
    // and kept as they are in aligned text (the window's saved file) and csv written to a file.
    void controlCharacters_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QByteArray>("word"); // as standard output shows it
        const QByteArray raw = "evil\x1b"
                               "2jword";
        QTest::newRow("aligned on a terminal")
            << "aligned" << true << QByteArray("evil\\x1b2jword");
        QTest::newRow("aligned into a file") << "aligned" << false << raw;
        QTest::newRow("csv on a terminal") << "csv" << true << QByteArray("evil\\x1b2jword");
        QTest::newRow("csv into a file") << "csv" << false << raw;
        QTest::newRow("tsv into a file") << "tsv" << false << QByteArray("evil\\x1b2jword");
        QTest::newRow("json into a file") << "json" << false << QByteArray("evil\\u001b2jword");
    }
    void controlCharacters()
    {
        QFETCH(QString, format);
        QFETCH(bool, terminal);
        QFETCH(QByteArray, word);
        PseudoTerminal errors;
        PseudoTerminal output;
        QVERIFY(errors.isOpen() && output.isOpen());
        CliRun run;
        run.arguments = QStringList{QStringLiteral("--per-site"),
                                    QStringLiteral("--format"),
                                    format,
                                    site("/status"),
                                    site("/type"),
                                    site("/words"),
                                    QStringLiteral("-")};
        run.input = "\x1b[2Jlisted\x07";
        run.errorFile = errors.path();
        if (terminal)
            run.outputFile = output.path();
        CliOutcome r = runCli(run);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitSomeFailed));
        if (terminal)
            r.out = output.written();
        const QByteArray err = errors.written();

        QVERIFY2(r.out.contains(word), r.out.constData());
        QCOMPARE(hasRawControls(QByteArray(r.out).replace("\r\n", "\n")), !word.contains('\\'));
        // Standard error is a terminal: the status line's own sequences, and nothing else.
        const QByteArray shown = withoutStatusSequences(err);
        QVERIFY2(!hasRawControls(shown), err.toPercentEncoding(" :/\"\\").constData());
        QVERIFY2(shown.contains("the server answered 404 Not \\x1b[31mFound\\x07"),
                 shown.constData());
        QVERIFY2(shown.contains("it is of type \"image/\\x1b]0;pwned\\x07png\""),
                 shown.constData());
        QVERIFY2(
            shown.contains("Could not load http://\\x1b[2Jlisted\\x07/: it is not a web address"),
            shown.constData());
        QVERIFY2(shown.contains("site 4 of 4: \\x1b[2Jlisted\\x07"), shown.constData());
    }

    // A password typed into an address goes to the server, but standard error shows ***; the
    // results keep the row as typed.
    void passwordNotShown()
    {
        PseudoTerminal errors;
        QVERIFY(errors.isOpen());
        const QString good = QStringLiteral("user:secret@") + site("/ok");
        const QString bad = QStringLiteral("user:secret@") + site("/bad");
        CliRun run;
        run.arguments =
            QStringList{QStringLiteral("--per-site"), QStringLiteral("--format=tsv"), good, bad};
        run.errorFile = errors.path();
        const CliOutcome r = runCli(run);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitSomeFailed));
        const QByteArray err = errors.written();
        QVERIFY2(!err.contains("secret"), err.constData());
        QVERIFY2(err.contains("site 1 of 2: user:***@" + site("/ok").toUtf8()), err.constData());
        QVERIFY2(err.contains("Could not load http://user:***@" + site("/bad").toUtf8() +
                              ": the server answered 404"),
                 err.constData());
        QVERIFY2(r.out.contains(good.toUtf8() + "\tfine\t1\n"), r.out.constData());
    }

    // Standard output hits a limit part-way through a write: the system's reason is told, not
    // "Unknown error".
    void shortWriteTellsTheReason_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("aligned") << "aligned";
        QTest::newRow("tsv") << "tsv";
    }
    void shortWriteTellsTheReason()
    {
        QFETCH(QString, format);
        QByteArray page = "<p>";
        for (int i = 0; i < 20000; ++i)
            page += "word" + QByteArray::number(i) + ' ';
        m_server.serve(QStringLiteral("/many"), HttpFixture::html(page + "</p>"));
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        CliRun run;
        run.arguments = QStringList{QStringLiteral("--engine=text"), QStringLiteral("--format"),
                                    format, site("/many")};
        run.outputFile = folder.filePath(QStringLiteral("out.txt"));
        // Not a multiple of the program's write size, so that one write is cut short.
        run.inChild = [] {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{100000, 100000};
            setrlimit(RLIMIT_FSIZE, &limit);
        };
        const CliOutcome r = runCli(run);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitSomeFailed));
        QCOMPARE(QFileInfo(run.outputFile).size(), 100000);
        QVERIFY2(r.err.contains("Cannot write the results: File too large"), r.err.constData());
        QVERIFY(!r.err.contains("Unknown error"));
    }

    // A run killed outright leaves its scratch folder behind; the next run removes it, but
    // never the folder of a run that is still counting.
    void leftoverScratchRemoved()
    {
        HttpFixture stalled = HttpFixture::html("<p>never finished</p>");
        stalled.stallAfter = 4;
        m_server.serve(QStringLiteral("/stalled"), stalled);
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("TMPDIR"), scratch.path());
        const auto folders = [&] {
            return QDir(scratch.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        };
        const auto counting = [&](QProcess& process) {
            process.setProcessEnvironment(env);
            process.start(cliProgram(), {site("/stalled")});
            return process.waitForStarted(30000);
        };

        QProcess killed;
        QVERIFY(counting(killed));
        QTRY_VERIFY_WITH_TIMEOUT(folders().size() == 1 && m_server.requestCount("/stalled") > 0,
                                 60000);
        const QString left = folders().first();
        QCOMPARE(::kill(pid_t(killed.processId()), SIGKILL), 0);
        QVERIFY(killed.waitForFinished(30000));
        QCOMPARE(folders(), QStringList{left});

        QProcess running;
        QVERIFY(counting(running));
        QTRY_VERIFY_WITH_TIMEOUT(folders().size() == 1 && folders().first() != left, 60000);
        const QString alive = folders().first();

        CliRun next;
        next.arguments = QStringList{site("/ok")};
        next.environment.insert(QStringLiteral("TMPDIR"), scratch.path());
        const CliOutcome r = runCli(next);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QCOMPARE(folders(), QStringList{alive});

        running.terminate();
        QVERIFY(running.waitForFinished(30000));
        QCOMPARE(folders(), QStringList());
    }

    // One endless line: read on and on, but in the memory of one line.
    void endlessLineKeepsMemory()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(cliProgram(), {QStringLiteral("--list"), QStringLiteral("/dev/zero")});
        QVERIFY(process.waitForStarted(30000));
        const qint64 pid = process.processId();
        QByteArray err;
        QElapsedTimer clock;
        clock.start();
        // Start-up done, then hundreds of megabytes of zeros go through.
        qint64 settled = -1;
        qint64 peak = 0;
        while (clock.elapsed() < 3000 && process.state() == QProcess::Running) {
            process.waitForReadyRead(50);
            err += process.readAllStandardError();
            const qint64 now = residentKiB(pid);
            if (settled < 0 && clock.elapsed() >= 500)
                settled = now;
            peak = std::max(peak, now);
            if (settled >= 0 && peak - settled > 64 * 1024)
                break;
        }
        const bool running = process.state() == QProcess::Running;
        process.kill();
        process.waitForFinished(10000);
        err += process.readAllStandardError();
        QVERIFY2(running, err.constData());
        QVERIFY2(peak - settled < 16 * 1024,
                 qPrintable(QStringLiteral("%1 KiB, then %2 KiB").arg(settled).arg(peak)));
        QVERIFY2(err.contains("\"/dev/zero\": line 1 is too long"), err.constData());
    }
};

TV_TEST_MAIN(TestCliHostile, QCoreApplication)
#include "test_clihostile.moc"
