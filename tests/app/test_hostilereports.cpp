// What a hostile server sends ends up in the window's boxes: it is shown as the characters it
// is, never read as markup. The server runs in this process on 127.0.0.1.
#include "app/widgetdialogs.h"
#include "fetch/networkpagesource.h"
#include "support/httpserver.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QApplication>
#include <QLabel>

using tv::test::HttpFixture;
Q_DECLARE_METATYPE(HttpFixture)

class TestHostileReports : public QObject {
    Q_OBJECT
private slots:
    void serverMarkupShownAsText_data();
    void serverMarkupShownAsText();
};

void TestHostileReports::serverMarkupShownAsText_data()
{
    QTest::addColumn<HttpFixture>("fixture");
    QTest::addColumn<QString>("markup");
    const QByteArray licence = "<h1 style=\"color:red\">Your licence has expired</h1> "
                               "<a href=\"http://renew.example/\">renew here</a>";
    HttpFixture status = HttpFixture::error(402);
    status.reason = licence;
    QTest::newRow("status line") << status << QString::fromLatin1(licence);
    QTest::newRow("content type") << HttpFixture::page(
                                         "x", "<b>bold</b>/<a href=\"http://x.example/\">link</a>")
                                  << "<b>bold</b>/<a href=\"http://x.example/\">link</a>";
}

void TestHostileReports::serverMarkupShownAsText()
{
    QFETCH(HttpFixture, fixture);
    QFETCH(QString, markup);
    tv::test::HttpServer server;
    QVERIFY(server.isListening());
    server.serve(QStringLiteral("/x"), fixture);
    tv::NetworkPageSource source;
    tv::test::RecordingSink sink;
    tv::fetchUrl(source, server.url(QStringLiteral("/x")));
    QCOMPARE(sink.reports.size(), 1);
    const QString report = sink.reports.first();
    QVERIFY2(report.contains(markup), qPrintable(report));

    // The report box as the window shows it.
    const auto box = tv::makeMessageBox(QMessageBox::Warning, QStringLiteral("Application Error"),
                                        report, QMessageBox::Ok, nullptr);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(label);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), report);
}

TV_TEST_MAIN(TestHostileReports, QApplication)
#include "test_hostilereports.moc"
