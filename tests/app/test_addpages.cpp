// "Add Pages From Sitemap..." and "Add Site (follow links)..." in the window: the pages found
// become site rows in their order, a crawl can be stopped (its pages stay) or cancelled (nothing
// is added), and the count that follows a crawl downloads none of its pages again.
#include "app/addpagescommands.h"
#include "app/addpagesdialog.h"
#include "app/mainwindow.h"
#include "platform/windowcontrols.h"
#include "support/httpserver.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace tv;
using test::HttpFixture;
using test::HttpServer;

namespace {

constexpr int kWaitMs = 20000; // the bound on every wait for a crawl

HttpFixture page(const QByteArray& words, const QList<QByteArray>& hrefs = {})
{
    QByteArray body = "<!DOCTYPE html><html><body><p>" + words + "</p>";
    for (const QByteArray& href : hrefs)
        body += "<a href=\"" + href + "\">link</a>";
    return HttpFixture::html(body + "</body></html>");
}

// A program folder of the test's own, with the template database.
QString programFolder()
{
    static int n = 0;
    const QString folder = test::fixtureFolder(QStringLiteral("program%1").arg(++n));
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/dbBlank.mdb"),
                folder + QStringLiteral("/dbBlank.mdb"));
    return folder;
}

} // namespace

class TestAddPages : public QObject {
    Q_OBJECT

    test::ScriptedDialogs m_dialogs;
    test::RecordingDesktop m_desktop;
    HttpServer m_server;
    std::unique_ptr<MainWindow> m_window;

    // Opens the command's dialog over a fresh window.
    AddPagesDialog* open(const char* action)
    {
        MainWindowServices s;
        s.dialogs = &m_dialogs;
        s.desktop = &m_desktop;
        s.probeProvider = [] { return ProviderProbe{true, 0, {}}; };
        s.programFolder = programFolder();
        m_window = std::make_unique<MainWindow>(s);
        m_window->load();
        addPagesCommands(*m_window);
        m_window->show();
        auto* command = m_window->findChild<QAction*>(QString::fromLatin1(action));
        if (!command || !m_window->actions().contains(command))
            return nullptr;
        // The File menu offers it with the other ways of adding sites.
        auto* menuBar = m_window->findChild<QMenuBar*>(QStringLiteral("menuBar"));
        if (!menuBar || !menuBar->actions().first()->menu()->actions().contains(command))
            return nullptr;
        command->trigger();
        return m_window->findChild<AddPagesDialog*>();
    }
    static void startAt(AddPagesDialog* dialog, const QString& address)
    {
        dialog->findChild<QLineEdit*>(QStringLiteral("address"))->setText(address);
        dialog->findChild<QPushButton*>(QStringLiteral("start"))->click();
    }
    static QString status(AddPagesDialog* dialog)
    {
        return dialog->findChild<QLabel*>(QStringLiteral("status"))->text();
    }
    static int pagesRead(AddPagesDialog* dialog)
    {
        const QString text = status(dialog);
        return text.contains(QLatin1String(" pages read")) ? text.section(u' ', 0, 0).toInt() : 0;
    }
    static QString notices(AddPagesDialog* dialog)
    {
        return dialog->findChild<QPlainTextEdit*>(QStringLiteral("notices"))->toPlainText();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isListening());
        m_server.serve("/", page("home", {"/a.html", "/b.html", "/a.html#x", "/gone"}));
        m_server.serve("/a.html", page("apple", {"/", "/c.html"}));
        m_server.serve("/b.html", page("banana"));
        m_server.serve("/c.html", page("cherry"));
        m_server.serve(
            "/sitemap.xml",
            HttpFixture::page("<urlset xmlns=\"http://www.sitemaps.org/schemas/"
                              "sitemap/0.9\"><url><loc>" +
                                  m_server.url("/b.html").toUtf8() + "</loc></url><url><loc>" +
                                  m_server.url("/c.html").toUtf8() + "</loc></url></urlset>",
                              "application/xml"));
        // Slow pages without end, for stopping and cancelling.
        m_server.serveGenerated("/slow/", [](const QByteArray& path) {
            HttpFixture slow = page("slow", {path + "x", path + "y"});
            slow.delay = std::chrono::milliseconds(150);
            return slow;
        });
    }
    void cleanup() { m_window.reset(); }

    // The crawl's pages join the list in the order found, within its limits; the count over
    // them asks the server for none of them again.
    void crawlAddsPagesAndCountsThem()
    {
        AddPagesDialog* dialog = open("addSiteFollowingLinksAction");
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Add Site (follow links)"));
        QCOMPARE(dialog->findChild<QSpinBox*>(QStringLiteral("maxPages"))->value(), 500);
        dialog->findChild<QSpinBox*>(QStringLiteral("depth"))->setValue(1);
        startAt(dialog, m_server.siteAddress("/"));
        QVERIFY(dialog->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), kWaitMs);

        const QStringList expected{m_server.url("/"), m_server.url("/a.html"),
                                   m_server.url("/b.html")};
        QCOMPARE(m_window->sites().rows(), expected);
        QCOMPARE(status(dialog), QStringLiteral("3 pages were added to the site list."));
        QVERIFY2(notices(dialog).contains("Could not load " + m_server.url("/gone")),
                 qPrintable(notices(dialog)));
        QVERIFY2(notices(dialog).contains(
                     "Links more than 1 step from the start page were not followed (1 page)."),
                 qPrintable(notices(dialog)));
        QCOMPARE(m_server.requestCount("/c.html"), 0);
        dialog->findChild<QPushButton*>(QStringLiteral("close"))->click();
        QTRY_VERIFY(!m_window->findChild<AddPagesDialog*>());

        m_window->findChild<QPushButton*>(QString::fromLatin1(control::startCounting.name))
            ->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->results().rows() > 0, kWaitMs);
        QStringList words;
        for (int row = 1; row <= m_window->results().rows(); ++row)
            words << m_window->results().cell(row, 1);
        for (const char* word : {"home", "apple", "banana"})
            QVERIFY2(words.contains(QLatin1String(word)), word);
        for (const char* path : {"/", "/a.html", "/b.html"})
            QVERIFY2(m_server.requestCount(QString::fromLatin1(path)) == 1, path);

        // A later count takes them again; once the list is cleared they are let go, and the
        // same rows typed again are downloaded.
        const auto countAgain = [this] {
            m_window->findChild<QPushButton*>(QString::fromLatin1(control::startCounting.name))
                ->click();
            QTRY_VERIFY_WITH_TIMEOUT(!m_window->counting() && m_window->results().rows() > 0,
                                     kWaitMs);
        };
        countAgain();
        QCOMPARE(m_server.requestCount("/a.html"), 1);
        m_window->findChild<QPushButton*>(QString::fromLatin1(control::clearSiteList.name))
            ->click();
        QCOMPARE(m_window->sites().count(), 0);
        m_window->sites().append(expected);
        countAgain();
        for (const char* path : {"/", "/a.html", "/b.html"})
            QVERIFY2(m_server.requestCount(QString::fromLatin1(path)) == 2, path);
    }

    void sitemapAddsListedPages()
    {
        AddPagesDialog* dialog = open("addPagesFromSitemapAction");
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Add Pages From Sitemap"));
        const int before = m_server.requestCount("/b.html");
        startAt(dialog, m_server.url("/sitemap.xml"));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), kWaitMs);
        QCOMPARE(m_window->sites().rows(),
                 QStringList({m_server.url("/b.html"), m_server.url("/c.html")}));
        QCOMPARE(status(dialog), QStringLiteral("2 pages were added to the site list."));
        QCOMPARE(notices(dialog), QString());
        // The pages themselves are read by the count, not here.
        QCOMPARE(m_server.requestCount("/b.html"), before);
    }

    // Stop ends the crawl and keeps what it read; closing while it runs adds nothing.
    void stopKeepsPagesCancelAddsNone_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("stop") << true;
        QTest::newRow("cancel") << false;
    }
    void stopKeepsPagesCancelAddsNone()
    {
        QFETCH(bool, stop);
        AddPagesDialog* dialog = open("addSiteFollowingLinksAction");
        QVERIFY(dialog);
        startAt(dialog, m_server.url("/slow/"));
        QTRY_VERIFY_WITH_TIMEOUT(pagesRead(dialog) >= 2, kWaitMs);
        QPointer<AddPagesDialog> alive(dialog);
        dialog->findChild<QPushButton*>(stop ? QStringLiteral("stop") : QStringLiteral("close"))
            ->click();
        if (stop) {
            QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), kWaitMs);
            QVERIFY(m_window->sites().count() >= 2);
            QCOMPARE(m_window->sites().text(1), m_server.url("/slow/"));
            QVERIFY2(notices(dialog).contains("stopped"), qPrintable(notices(dialog)));
        } else {
            QTRY_VERIFY(!alive);
            QCOMPARE(m_window->sites().count(), 0);
        }
    }

    // What cannot be crawled is asked for again, and nothing starts.
    void badInputAsksAgain_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("under");
        QTest::addColumn<QString>("message");
        QTest::newRow("no address") << "  "
                                    << ""
                                    << "Type the address of the page to start from.";
        QTest::newRow("a prefix that names no path")
            << "example.com"
            << "https://example.com"
            << "Type the path the pages lie under, such as /docs/.";
    }
    void badInputAsksAgain()
    {
        QFETCH(QString, address);
        QFETCH(QString, under);
        QFETCH(QString, message);
        AddPagesDialog* dialog = open("addSiteFollowingLinksAction");
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>(QStringLiteral("under"))->setText(under);
        startAt(dialog, address);
        QVERIFY(!dialog->isRunning());
        QCOMPARE(status(dialog), message);
        QVERIFY(dialog->findChild<QPushButton*>(QStringLiteral("start"))->isEnabled());
        QCOMPARE(m_window->sites().count(), 0);
    }
};

TV_TEST_MAIN(TestAddPages, QApplication)
#include "test_addpages.moc"
