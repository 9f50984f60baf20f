// Files dropped on the site list: which are lists of addresses and which are pages.
#include "sites/droppedfiles.h"
#include "support/testenv.h"

#include <QTest>

using namespace tv;

class TestDroppedFiles : public QObject {
    Q_OBJECT
private slots:
    void kind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("siteList");
        QTest::newRow("addresses")
            << "sites.txt" << QByteArray("example.com\r\nhttps://a.example/x\n") << true;
        QTest::newRow("addresses after a byte-order mark")
            << "bom.txt"
            << QByteArray("\xEF\xBB\xBF"
                          "example.com\n\nlocalhost:8080/\n")
            << true;
        QTest::newRow("prose") << "prose.txt" << QByteArray("example.com\nSome words.\n") << false;
        QTest::newRow("markup without an HTML name")
            << "saved" << QByteArray("<p>example.com</p>\n") << false;
        QTest::newRow("HTML by its name, whatever it holds")
            << "page.HTM" << QByteArray("example.com\n") << false;
        QTest::newRow("words without a dot") << "words.txt" << QByteArray("hello\n") << false;
        QTest::newRow("empty") << "empty.txt" << QByteArray() << false;
        // Past the part looked at, only whole lines are judged.
        QTest::newRow("long list")
            << "long.txt" << QByteArray("example.com\n").repeated(10000) << true;
    }
    void kind()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, siteList);
        const QString path = test::fixtureFolder(QStringLiteral("dropped")) + u'/' + name;
        test::writeFile(path, bytes);
        QCOMPARE(droppedFileKind(path) == DroppedFile::SiteList, siteList);
    }

    // What cannot be read is a page: reading it as one then says why.
    void unreadableIsAPage()
    {
        const QString folder = test::fixtureFolder(QStringLiteral("dropped-none"));
        QCOMPARE(droppedFileKind(folder + QStringLiteral("/missing.txt")), DroppedFile::Page);
        QCOMPARE(droppedFileKind(folder), DroppedFile::Page);
    }
};

TV_TEST_MAIN(TestDroppedFiles, QCoreApplication)
#include "test_droppedfiles.moc"
