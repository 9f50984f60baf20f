// tallyvane-count's word analysis options end to end: two small pages worked out by hand, each
// option through both engines, and the mistakes a user can make with them.
#include "cli/countcommand.h"
#include "clirunner.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace tv;
using namespace tv::test;

class TestCliWords : public QObject {
    Q_OBJECT

    HttpServer m_server;

    QString a() const { return m_server.url(QStringLiteral("/a")); }
    QString b() const { return m_server.url(QStringLiteral("/b")); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        // Ignoring case: /a is the cat sat the cat, /b the dog / red cat on two lines; together
        // cat 3, the 3, dog, red and sat once: 9 words.
        m_server.serve(QStringLiteral("/a"), HttpFixture::html("<p>The cat sat. The cat.</p>"));
        m_server.serve(QStringLiteral("/b"), HttpFixture::html("<p>the dog</p><p>red cat</p>"));
    }

    // Each option's output, tab-separated, for both engines.
    void options_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("lines");
        for (const char* engine : {"db", "text"}) {
            const auto row = [&](const char* name, const QStringList& arguments,
                                 const QStringList& lines) {
                QTest::addRow("%s, %s", engine, name)
                    << QString::fromLatin1(engine) << arguments << lines;
            };
            row("share and pages", {"--with-share", "--with-pages"},
                {"word\tcount\tshare\tpages", "dog\t1\t11.11\t1", "red\t1\t11.11\t1",
                 "sat\t1\t11.11\t1", "cat\t3\t33.33\t2", "the\t3\t33.33\t2"});
            row("built-in stop list", {"--stop-words", "english"},
                {"word\tcount", "dog\t1", "red\t1", "sat\t1", "cat\t3"});
            row("minimum count", {"--min-count", "2"}, {"word\tcount", "cat\t3", "the\t3"});
            row("most frequent first, top one", {"--sort", "count-desc", "--top", "1"},
                {"word\tcount", "cat\t3"});
            row("by word, minimum length", {"--sort=word", "--min-length=3"},
                {"word\tcount", "cat\t3", "dog\t1", "red\t1", "sat\t1", "the\t3"});
            row("phrases within a line and a page", {"--phrases", "2"},
                {"word\tcount", "cat sat\t1", "red cat\t1", "sat the\t1", "the dog\t1",
                 "the cat\t2"});
            row("unicode rule", {"--rule", "unicode", "--min-count", "3"},
                {"word\tcount", "cat\t3", "the\t3"});
        }
    }
    void options()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, lines);
        const CliOutcome r = runCli(QStringList{"--engine", engine, "--format", "tsv"} + arguments +
                                    QStringList{a(), b()});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QCOMPARE(QString::fromUtf8(r.out), lines.join(u'\n') + u'\n');
        // The figures of the count before any filter.
        QVERIFY2(r.err.contains("9 words, 5 distinct") || arguments.contains("--phrases") ||
                     arguments.contains("--stop-words"),
                 r.err.constData());
    }

    // The word by page table: one column per page, in the count's order.
    void matrix_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("tsv") << "tsv"
                             << "\t"
                             << "\n";
        QTest::newRow("csv") << "csv"
                             << ","
                             << "\r\n";
    }
    void matrix()
    {
        QFETCH(QString, format);
        QFETCH(QString, separator);
        QFETCH(QString, lineEnd);
        const CliOutcome r = runCli({"--matrix", "--format", format, a(), b()});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        const QStringList rows{
            "word" + separator + a() + separator + b(), "dog" + separator + "0" + separator + "1",
            "red" + separator + "0" + separator + "1",  "sat" + separator + "1" + separator + "0",
            "cat" + separator + "2" + separator + "1",  "the" + separator + "2" + separator + "1"};
        QCOMPARE(QString::fromUtf8(r.out), rows.join(lineEnd) + lineEnd);
    }

    // Per site, each site's rows are a count of their own, the same page listed twice too.
    void perSiteShares()
    {
        const CliOutcome r =
            runCli({"--per-site", "--with-share", "--top", "1", "--format", "json", a(), a(), b()});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        const QJsonArray rows = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(rows.size(), 3);
        for (int i = 0; i < 2; ++i) {
            const QJsonObject row = rows[i].toObject();
            QCOMPARE(row.value("site").toString(), a());
            QCOMPARE(row.value("word").toString(), QStringLiteral("cat"));
            QCOMPARE(row.value("share").toDouble(), 40.0);
        }
        QCOMPARE(rows[2].toObject().value("word").toString(), QStringLiteral("cat"));
        QCOMPARE(rows[2].toObject().value("share").toDouble(), 25.0);
    }

    // A stop list of the user's own: a byte-order mark, comments and blank lines.
    void stopWordsFromAFile()
    {
        const QString list = writeFile(fixtureFolder(QStringLiteral("stop")) + "/mine.txt",
                                       "\xEF\xBB\xBFthe # an article\n\n# whole line\ncat\n");
        const CliOutcome r = runCli({"--format", "tsv", "--stop-words", list, a(), b()});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitAllRead));
        QCOMPARE(r.out, QByteArray("word\tcount\ndog\t1\nred\t1\nsat\t1\n"));
    }

    void mistakes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("word rule") << QStringList{"--rule", "fancy"} << QByteArray("'fancy'");
        QTest::newRow("phrase length")
            << QStringList{"--phrases", "4"} << QByteArray("--phrases takes 2 or 3");
        QTest::newRow("negative minimum")
            << QStringList{"--min-count=-1"} << QByteArray("--min-count takes a whole number");
        QTest::newRow("top none") << QStringList{"--top", "0"}
                                  << QByteArray("--top takes a whole number from 1");
        QTest::newRow("order") << QStringList{"--sort", "size"} << QByteArray("'size'");
        QTest::newRow("matrix as json") << QStringList{"--matrix", "--format", "json"}
                                        << QByteArray("--matrix writes tsv or csv");
        QTest::newRow("pages per site") << QStringList{"--with-pages", "--per-site"}
                                        << QByteArray("--with-pages goes with one count");
        QTest::newRow("no such language")
            << QStringList{"--stop-words", "klingon"} << QByteArray("klingon");
        QTest::newRow("stop list missing")
            << QStringList{"--stop-words", testHome() + "/none.txt"} << QByteArray("none.txt");
    }
    void mistakes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, message);
        const CliOutcome r = runCli(arguments + QStringList{a()});
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, int(ExitUsage));
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(message), r.err.constData());
    }
};

TV_TEST_MAIN(TestCliWords, QCoreApplication)
#include "test_cliwords.moc"
