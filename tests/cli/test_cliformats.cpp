// The command line's own pieces: reading the arguments and quoting fields of the outputs.
#include "cli/cliarguments.h"
#include "cli/terminaltext.h"
#include "platform/failure.h"
#include "results/resultformats.h"
#include "results/resultsmodel.h"
#include "results/textoutput.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace tv;

class TestCliFormats : public QObject {
    Q_OBJECT

private slots:
    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("summary");
        // summary: per-site, keep-case, engine, format, database, quiet, parallel, sources
        QTest::newRow("defaults") << QStringList{"a"} << "0 0 db aligned - 0 32 a";
        QTest::newRow("everything")
            << QStringList{"--per-site", "--keep-case", "--engine", "text", "--format=csv",
                           "-q",         "--prefetch",  "0",        "a",    "b"}
            << "1 1 text csv - 1 0 a b";
        QTest::newRow("parallel") << QStringList{"--parallel=5", "a"} << "0 0 db aligned - 0 5 a";
        QTest::newRow("database") << QStringList{"--database=w.db", "a"}
                                  << "0 0 db aligned w.db 0 32 a";
        QTest::newRow("sources keep their order") << QStringList{"a", "--list", "l.txt", "-", "b"}
                                                  << "0 0 db aligned - 0 32 a @l.txt @- b";
        QTest::newRow("after -- everything is an address")
            << QStringList{"--", "--per-site", "-"} << "0 0 db aligned - 0 32 --per-site -";
        QTest::newRow("last engine wins")
            << QStringList{"--engine=text", "--engine", "db", "a"} << "0 0 db aligned - 0 32 a";
    }
    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, summary);
        const ParsedArguments parsed = parseArguments(arguments);
        QCOMPARE(parsed.error, QString());
        const CliOptions& o = parsed.options;
        static const char* formats[] = {"aligned", "tsv", "csv", "json"};
        QStringList got{QString::number(o.perSite),
                        QString::number(o.keepCase),
                        o.engine == EngineKind::Database ? "db" : "text",
                        formats[int(o.format)],
                        o.databasePath.isEmpty() ? "-" : o.databasePath,
                        QString::number(o.quiet),
                        QString::number(o.parallel)};
        for (const SiteSource& s : o.sources)
            got << (s.isList ? u'@' + s.value : s.value);
        QCOMPARE(got.join(u' '), summary);
    }

    void fields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tsv");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("json");
        QTest::newRow("plain") << "word"
                               << "word"
                               << "word"
                               << "\"word\"";
        QTest::newRow("comma") << "a,b"
                               << "a,b"
                               << "\"a,b\""
                               << "\"a,b\"";
        QTest::newRow("quote") << "say \"hi\""
                               << "say \"hi\""
                               << "\"say \"\"hi\"\"\""
                               << "\"say \\\"hi\\\"\"";
        QTest::newRow("tab") << "a\tb"
                             << "a\\tb"
                             << "a\tb"
                             << "\"a\\tb\"";
        QTest::newRow("line breaks") << "a\r\nb"
                                     << "a\\r\\nb"
                                     << "\"a\r\nb\""
                                     << "\"a\\r\\nb\"";
        QTest::newRow("backslash") << "C:\\x"
                                   << "C:\\\\x"
                                   << "C:\\x"
                                   << "\"C:\\\\x\"";
        QTest::newRow("control") << QString(QChar(1)) << "\\x01" << QString(QChar(1))
                                 << "\"\\u0001\"";
        QTest::newRow("terminal escape") << "\x1b[2Jwiped"
                                         << "\\x1b[2Jwiped"
                                         << "\x1b[2Jwiped"
                                         << "\"\\u001b[2Jwiped\"";
        QTest::newRow("DEL and C1") << QStringLiteral(u"a\u007F\u009Bb") << "a\\x7f\\x9bb"
                                    << QStringLiteral(u"a\u007F\u009Bb") << "\"a\\u007f\\u009bb\"";
        QTest::newRow("non-ASCII") << "naïve Straße"
                                   << "naïve Straße"
                                   << "naïve Straße"
                                   << "\"naïve Straße\"";
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "\"\"";
    }
    void fields()
    {
        QFETCH(QString, text);
        QFETCH(QString, tsv);
        QFETCH(QString, csv);
        QFETCH(QString, json);
        QCOMPARE(tsvField(text), tsv);
        QCOMPARE(csvField(text), csv);
        QCOMPARE(jsonString(text), json);
        // What a JSON reader makes of it is the text itself.
        const QJsonDocument doc = QJsonDocument::fromJson(("[" + json + "]").toUtf8());
        QCOMPARE(doc.array().at(0).toString(), text);
    }

    // On a terminal every control character shows as an escape; standard error keeps the
    // line ends and tabs of its messages.
    void terminalText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<QString>("lines");
        QTest::newRow("plain") << "site 1 of 2: example.com"
                               << "site 1 of 2: example.com"
                               << "site 1 of 2: example.com";
        QTest::newRow("colour and title") << "\x1b[31mred\x1b]0;title\x07"
                                          << "\\x1b[31mred\\x1b]0;title\\x07"
                                          << "\\x1b[31mred\\x1b]0;title\\x07";
        QTest::newRow("line ends") << "a\r\nb\tc"
                                   << "a\\r\\nb\\tc"
                                   << "a\\r\nb\tc";
        QTest::newRow("NUL, DEL and C1") << QStringLiteral(u"\u0000\u007F\u0085\u009F\u00A0")
                                         << QStringLiteral(u"\\x00\\x7f\\x85\\x9f\u00A0")
                                         << QStringLiteral(u"\\x00\\x7f\\x85\\x9f\u00A0");
        QTest::newRow("backslash stays") << "C:\\x1b"
                                         << "C:\\x1b"
                                         << "C:\\x1b";
    }
    void terminalText()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QFETCH(QString, lines);
        QCOMPARE(escapeControls(text), escaped);
        QCOMPARE(terminalLines(text), lines);
    }

    // The results as a terminal shows them: every cell and caption escaped, ticks kept; a
    // list without control characters needs no copy.
    void resultsForTerminal()
    {
        ResultsModel list;
        list.addColumn("Filename", 3000);
        list.addColumn("Results", 1500);
        list.append("site", "plain", "1");
        QVERIFY(!escapedForTerminal(list));
        list.append("si\x1bte", "w\x07rd", "2");
        list.setChecked(1, false);
        const auto escaped = escapedForTerminal(list);
        QVERIFY(escaped);
        QCOMPARE(escaped->rows(), 2);
        QCOMPARE(escaped->columns(), 2);
        QCOMPARE(escaped->caption(1), QStringLiteral("Filename"));
        QVERIFY(!escaped->isChecked(1));
        QCOMPARE(escaped->cell(2, 1), QStringLiteral("si\\x1bte"));
        QCOMPARE(escaped->cell(2, 2), QStringLiteral("w\\x07rd"));
        QCOMPARE(escaped->cell(2, 3), QStringLiteral("2"));
    }

    // Only ticked rows are written, as the window's outputs do; a site with a comma is quoted.
    void rows_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("tsv") << int(OutputFormat::Tsv)
                             << QByteArray("site\tword\tcount\nx,y\tb\t2\n");
        QTest::newRow("csv") << int(OutputFormat::Csv)
                             << QByteArray("site,word,count\r\n\"x,y\",b,2\r\n");
        QTest::newRow("json") << int(OutputFormat::Json)
                              << QByteArray("[\n  {\"site\": \"x,y\", \"word\": \"b\", "
                                            "\"count\": 2}\n]\n");
    }
    void rows()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, expected);
        ResultsModel list;
        list.addColumn("Filename", 3000);
        list.addColumn("Results", 1500);
        list.addColumn("Count", 1500);
        list.append("x,y", "a", "1");
        list.append("x,y", "b", "2");
        list.setChecked(1, false);
        QBuffer device;
        QVERIFY(device.open(QIODevice::WriteOnly));
        TextOutput out(device, QStringConverter::Utf8);
        writeResultRows(list, true, OutputFormat(format), out);
        QCOMPARE(device.data(), expected);
    }

    void emptyJsonIsAnArray()
    {
        ResultsModel list;
        list.addColumn("Results", 3500);
        list.addColumn("Count", 3000);
        QBuffer device;
        QVERIFY(device.open(QIODevice::WriteOnly));
        TextOutput out(device, QStringConverter::Utf8);
        writeResultRows(list, false, OutputFormat::Json, out);
        QCOMPARE(device.data(), QByteArray("[]\n"));
    }

    // A device that takes nothing: the failure comes back with the device's reason.
    void failedWriteIsTold()
    {
        ResultsModel list;
        list.addColumn("Results", 3500);
        list.addColumn("Count", 3000);
        list.append("a", "1");
        QBuffer device;
        QVERIFY(device.open(QIODevice::ReadOnly));
        TextOutput out(device, QStringConverter::Utf8);
        try {
            writeResultRows(list, false, OutputFormat::Tsv, out);
            QFAIL("a device that takes nothing was written to");
        } catch (const Failure& failure) {
            QVERIFY(failure.description().startsWith("Cannot write the results: "));
        }
    }
};

TV_TEST_MAIN(TestCliFormats, QCoreApplication)
#include "test_cliformats.moc"
