// The small platform helpers the start-up relies on: the shared data folder, the existence
// test, the parts of a path, the application title and the settings' truth values.
#include "platform/apptitle.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/settings.h"
#include "support/testenv.h"

#include <QCoreApplication>

using namespace tv;

class TestPlatformHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textAfterLastBackslash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("full path") << "C:\\Data\\sites.txt"
                                   << "sites.txt";
        QTest::newRow("web address") << "http://example.com/a/b"
                                     << "http://example.com/a/b";
        QTest::newRow("trailing backslash") << "C:\\Data\\"
                                            << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void textAfterLastBackslash()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(tv::textAfterLastBackslash(path), name);
    }

    void applicationTitle_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("title");
        QTest::newRow("short name unchanged") << "Tallyvane"
                                              << "Tallyvane";
        QTest::newRow("exactly 40") << QString(40, u'a') << QString(40, u'a');
        QTest::newRow("cut at last blank") << "Tallyvane word counter for the whole wide web"
                                           << "Tallyvane word counter for the whole";
        QTest::newRow("cut repeatedly") << "Tallyvane " + QString(35, u'x') + " more"
                                        << "Tallyvane";
        QTest::newRow("no blank to cut at") << QString(45, u'b') << QString(40, u'b');
    }
    void applicationTitle()
    {
        QFETCH(QString, product);
        QFETCH(QString, title);
        QCOMPARE(titleFromProductName(product), title);
    }

    void applicationTitleIsProductName()
    {
        setApplicationTitle();
        QCOMPARE(tv::applicationTitle(), QStringLiteral("Tallyvane"));
    }

    void textToBool_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("value");
        QTest::newRow("True") << "True" << true;
        QTest::newRow("false lower") << "false" << false;
        QTest::newRow("TRUE upper") << "TRUE" << true;
        QTest::newRow("one") << "1" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("minus one") << "-1" << true;
    }
    void textToBool()
    {
        QFETCH(QString, text);
        QFETCH(bool, value);
        QCOMPARE(tv::textToBool(text), value);
    }

    void textToBoolRejectsOtherText()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, tv::textToBool(QStringLiteral("yes")));
        QVERIFY_THROWS_EXCEPTION(Failure, tv::textToBool(QString()));
    }

    void specialFolderHasNoPaddingAndFileExistsIsSafe()
    {
        const QString folder = sharedDataFolder();
        QVERIFY(!folder.isEmpty());
        QCOMPARE(folder.trimmed(), folder);
        QVERIFY(!folder.contains(QChar(0)));
        QVERIFY(!fileExists(QString()));
        QVERIFY(!fileExists(QStringLiteral("/no/such/file")));
        QVERIFY(!fileExists(QStringLiteral("bad") + QChar(0) + QStringLiteral("name")));
        QVERIFY(fileExists(test::writeFile(
            test::fixtureFolder(QStringLiteral("fe")) + QStringLiteral("/a.txt"), "x")));
    }
};

TV_TEST_MAIN(TestPlatformHelpers, QCoreApplication)
#include "test_platformhelpers.moc"
