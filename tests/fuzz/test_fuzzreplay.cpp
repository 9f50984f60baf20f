// Every input of fuzz/corpus/TARGET and fuzz/regressions/TARGET through its fuzz target, as the
// fuzzer runs it: a target's failed check or a crash ends this test as it ended the fuzzer.
#include "fuzztarget.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>

class TestFuzzReplay : public QObject {
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void TestFuzzReplay::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("file");
    const QDir root(QStringLiteral(TV_FUZZ_INPUTS));
    int inputs = 0;
    for (const QString& kind : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
        const QDir folder(root.filePath(kind));
        for (const QString& target : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir inputsFolder(folder.filePath(target));
            for (const QString& name : inputsFolder.entryList(QDir::Files, QDir::Name)) {
                QTest::newRow(qPrintable(kind + u'/' + target + u'/' + name))
                    << target << inputsFolder.filePath(name);
                ++inputs;
            }
        }
    }
    QVERIFY2(inputs > 0, "no fuzz inputs found");
}

void TestFuzzReplay::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, file);
    const tv::fuzz::Target run = tv::fuzz::findTarget(target.toLatin1().constData());
    QVERIFY2(run, qPrintable(QStringLiteral("no fuzz target named ") + target));
    const QByteArray bytes = tv::test::readFile(file);
    QCOMPARE(run(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size())),
             0);
}

TV_TEST_MAIN(TestFuzzReplay, QCoreApplication)
#include "test_fuzzreplay.moc"
