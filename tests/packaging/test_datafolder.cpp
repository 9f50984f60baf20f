// Where the program finds its read-only files: the installed share folder beside its bin
// folder, or, in the build folder, the program's own folder.
#include "platform/datafolder.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

using namespace tv;

class TestDataFolder : public QObject {
    Q_OBJECT

private slots:
    void dataFolder_data();
    void dataFolder();
};

void TestDataFolder::dataFolder_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected");

    QTest::newRow("installed") << QStringList{"usr/bin", "usr/share/tallyvane"} << "usr/bin"
                               << "usr/share/tallyvane";
    QTest::newRow("installed under another prefix")
        << QStringList{"opt/tv/bin", "opt/tv/share/tallyvane"} << "opt/tv/bin"
        << "opt/tv/share/tallyvane";
    QTest::newRow("build folder") << QStringList{"build/bin"} << "build/bin"
                                  << "build/bin";
    QTest::newRow("a share folder of other programs only")
        << QStringList{"usr/bin", "usr/share/other"} << "usr/bin"
        << "usr/bin";
}

void TestDataFolder::dataFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, program);
    QFETCH(QString, expected);
    const QString root = test::fixtureFolder(QString::fromUtf8(QTest::currentDataTag()));
    for (const QString& folder : folders)
        QVERIFY(QDir().mkpath(root + u'/' + folder));

    QCOMPARE(programDataFolder(root + u'/' + program), root + u'/' + expected);
}

TV_TEST_MAIN(TestDataFolder, QCoreApplication)
#include "test_datafolder.moc"
