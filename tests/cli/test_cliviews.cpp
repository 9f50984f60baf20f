// tallyvane-count behind the numbers, end to end: --concordance over the counted texts of both
// engines, local files by --file and as typed or listed file:// rows, and the ways a web page
// might try to make the program read a file.
#include "cli/countcommand.h"
#include "clirunner.h"
#include "support/httpserver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tv;
using namespace tv::test;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString fileRow(const QString& path)
{
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

class TestCliViews : public QObject {
    Q_OBJECT

    HttpServer m_server;
    QTemporaryDir m_dir;

    QString a() const { return m_server.url(QStringLiteral("/a")); }
    QString b() const { return m_server.url(QStringLiteral("/b")); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        QVERIFY(m_dir.isValid());
        // "cat" begins and ends lines, is cleaned of punctuation and written in capitals.
        m_server.serve(QStringLiteral("/a"),
                       HttpFixture::html("<p>Cat sat on the mat.</p><p>The mat saw a cat!</p>"));
        m_server.serve(QStringLiteral("/b"), HttpFixture::html("<p>the dog and the CAT</p>"));
        // A sheet on this machine that would hide the secret paragraph if it were read.
        QVERIFY(writeFile(path("hide.css"), "p.secret { display: none }"));
        const QByteArray linksLocalSheet = "<link rel=stylesheet href=\"" +
                                           fileRow(path("hide.css")).toUtf8() +
                                           "\"><p class=secret>hidden words</p><p>shown</p>";
        m_server.serve(QStringLiteral("/links-local-sheet"), HttpFixture::html(linksLocalSheet));
        m_server.serve(QStringLiteral("/to-passwd"), HttpFixture::redirect("file:///etc/passwd"));
        QVERIFY(writeFile(path("private.txt"), "confidential"));
        m_server.serve(QStringLiteral("/to-own-file"),
                       HttpFixture::redirect(fileRow(path("private.txt")).toUtf8()));

        QVERIFY(writeFile(path("page.html"),
                          "<html><head><title>not counted</title></head><body><h1>Local "
                          "page</h1><p hidden>gone</p><p>caf&eacute; cat</p></body></html>"));
        QVERIFY(writeFile(path("notes.txt"), "plain <p>text</p>\r\ncat\tcat"));
        // Latin-1 bytes without a declaration: sniffed as windows-1252, as a downloaded page is.
        QVERIFY(writeFile(path("latin.text"), "na\xefve caf\xe9"));
        // No telling extension: the first bytes say it is HTML.
        QVERIFY(writeFile(path("saved-page"), "<!DOCTYPE html><p>saved<script>x()</script>"));
        QVERIFY(writeFile(path("list.txt"), fileRow(path("notes.txt")).toUtf8() + "\n"));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    }

    // Every use of a word, both engines: site, left, the word as written, right.
    void concordance_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("lines");
        for (const char* engine : {"db", "text"}) {
            const auto row = [&](const char* name, const QStringList& extra, const char* word,
                                 const QStringList& lines) {
                QTest::addRow("%s, %s", engine, name)
                    << QString::fromLatin1(engine) << extra << QString::fromUtf8(word) << lines;
            };
            row("at a line's start and end, on two sites", {}, "CAT",
                {"A\t\tCat\t sat on the mat.", "A\tThe mat saw a \tcat!\t",
                 "B\tthe dog and the \tCAT\t"});
            row("narrow", {"--width", "4"}, "mat", {"A\tthe \tmat.\t", "A\tThe \tmat\t saw"});
            row("per site", {"--per-site"}, "dog", {"B\tthe \tdog\t and the CAT"});
            row("a phrase", {}, "the cat", {"B\tthe dog and \tthe CAT\t"});
            row("kept case", {"--keep-case"}, "cat", {"A\tThe mat saw a \tcat!\t"});
            row("no use", {}, "zebra", {});
        }
    }
    void concordance()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, extra);
        QFETCH(QString, word);
        QFETCH(QStringList, lines);
        const CliOutcome r = runCli(QStringList{"--engine", engine, "--concordance", word} + extra +
                                    QStringList{a(), b()});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QStringList expected;
        for (QString line : lines)
            expected << line.replace(QStringLiteral("A\t"), a() + u'\t')
                            .replace(QStringLiteral("B\t"), b() + u'\t');
        QCOMPARE(QString::fromUtf8(r.out),
                 expected.isEmpty() ? QString() : expected.join(u'\n') + u'\n');
    }

    // Local files are counted as pages are: HTML by name or content, else text, sniffed.
    void localFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("counts");
        QTest::newRow("html by --file")
            << QStringList{"--file", path("page.html")} << "café 1|cat 1|local 1|page 1";
        QTest::newRow("text by --file")
            << QStringList{"--file", path("notes.txt")} << "cat 2|plain 1|ptextp 1";
        QTest::newRow("windows-1252 text")
            << QStringList{"--file", path("latin.text")} << "café 1|naïve 1";
        QTest::newRow("html by content") << QStringList{"--file", path("saved-page")} << "saved 1";
        QTest::newRow("typed file row")
            << QStringList{fileRow(path("notes.txt"))} << "cat 2|plain 1|ptextp 1";
        QTest::newRow("listed file row")
            << QStringList{"--list", path("list.txt")} << "cat 2|plain 1|ptextp 1";
    }
    void localFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, counts);
        for (const char* engine : {"db", "text"}) {
            const CliOutcome r = runCli(QStringList{"--engine", engine, "--format", "json"} +
                                        arguments + QStringList{"--sort", "word"});
            QVERIFY2(r.finished && r.exitCode == int(ExitAllRead), r.err.constData());
            QStringList got;
            const QString out = QString::fromUtf8(r.out);
            static const QRegularExpression pair(
                QStringLiteral("\"word\":\\s*\"([^\"]*)\",\\s*\"count\":\\s*(\\d+)"));
            for (auto it = pair.globalMatch(out); it.hasNext();) {
                const auto m = it.next();
                got << m.captured(1) + u' ' + m.captured(2);
            }
            QCOMPARE(got.join(u'|'), counts);
        }
    }

    // A local file's uses have the file's row as their site.
    void concordanceOfALocalFile()
    {
        const CliOutcome r = runCli(
            {"--concordance", "cat", "--file", path("notes.txt"), "--file", path("page.html")});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        const QString notes = fileRow(path("notes.txt"));
        const QString page = fileRow(path("page.html"));
        QCOMPARE(QString::fromUtf8(r.out), notes + "\t\tcat\t\\tcat\n" + notes +
                                               "\tcat\\t\tcat\t\n" + page + "\tcafé \tcat\t\n");
    }

    // Files that are no page fail with the reason, and the run goes on.
    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << fileRow(path("missing.html")) << "no such file";
        QTest::newRow("folder") << fileRow(path("folder")) << "it is a folder";
        QTest::newRow("device") << QStringLiteral("file:///dev/zero") << "it is not a regular file";
        QTest::newRow("another host") << QStringLiteral("file://example.org/etc/hostname")
                                      << "only files on this machine can be read";
    }
    void unreadableFiles()
    {
        QFETCH(QString, row);
        QFETCH(QString, reason);
        const CliOutcome r = runCli({"--format", "tsv", row, "--file", path("notes.txt")});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitSomeFailed));
        QVERIFY2(r.err.contains(reason.toUtf8()), r.err.constData());
        QVERIFY(r.out.contains("plain\t1"));
    }

    // A web page never leads to a file: a redirect to one fails, and nothing of it is read.
    void redirectToAFileFails_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("word"); // a word the file holds
        QTest::newRow("/etc/passwd") << "/to-passwd"
                                     << "file:///etc/passwd"
                                     << "root";
        QTest::newRow("a file of the test's")
            << "/to-own-file" << fileRow(path("private.txt")) << "confidential";
    }
    void redirectToAFileFails()
    {
        QFETCH(QString, page);
        QFETCH(QString, target);
        QFETCH(QString, word);
        for (const QStringList& output :
             {QStringList{"--format", "tsv"}, QStringList{"--concordance", word}}) {
            const CliOutcome r = runCli(output + QStringList{m_server.url(page)});
            QVERIFY(r.finished);
            QCOMPARE(r.exitCode, int(ExitNothingCounted));
            const QByteArray report =
                "redirects to " + target.toUtf8() + ", which is not a web address";
            QVERIFY2(r.err.contains(report), r.err.constData());
            QVERIFY2(!r.out.contains(word.toUtf8()), r.out.constData());
        }
    }

    // A web page's sheet on this machine is not read: what it would hide is counted.
    void pageCannotNameALocalSheet()
    {
        const CliOutcome r = runCli({"--format", "tsv", "--sort", "word",
                                     m_server.url(QStringLiteral("/links-local-sheet"))});
        QVERIFY(r.finished);
        QVERIFY2(r.out.contains("hidden\t1"), r.out.constData());
    }

    void mistakes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no word") << QStringList{"--concordance", "...", "x.example"}
                                 << "holds no word";
        QTest::newRow("four words")
            << QStringList{"--concordance", "a b c d", "x.example"} << "more than three words";
        QTest::newRow("width alone")
            << QStringList{"--width", "5", "x.example"} << "--width goes with --concordance";
        QTest::newRow("negative width")
            << QStringList{"--concordance", "a", "--width", "-1", "x.example"} << "--width takes";
        QTest::newRow("csv") << QStringList{"--concordance", "a", "--format", "csv", "x.example"}
                             << "--concordance writes tab-separated";
        QTest::newRow("file without name")
            << QStringList{"--file=", "x.example"} << "--file needs a file name";
    }
    void mistakes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const CliOutcome r = runCli(arguments);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitUsage));
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliViews)
#include "test_cliviews.moc"
