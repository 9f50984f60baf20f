// The database wrapper: failures come back with readable descriptions.
#include "platform/database.h"
#include "platform/failure.h"
#include "support/testenv.h"
#include "support/worddatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace tv;

namespace {

QString failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Failure& failure) {
        return failure.description();
    }
    return {};
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void openFailures_data();
    void openFailures();
    void statementFailuresSayWhy_data();
    void statementFailuresSayWhy();
    void boundValuesAreNeverSql();
    void tablesAreFound();
    void closedDatabaseRefusesWork();

private:
    QTemporaryDir m_dir;
};

void TestDatabase::openFailures_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing file") << QByteArray() << "does not exist";
    QTest::newRow("not a database") << QByteArray(2048, 'x') << "file is not a database";
}

void TestDatabase::openFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    if (!content.isEmpty())
        test::writeFile(path, content);
    Database db;
    const QString description = failureOf([&] { db.open(path); });
    QVERIFY2(description.contains(expected), qPrintable(description));
    QVERIFY2(description.contains(path), qPrintable(description));
    QVERIFY(!db.isOpen());
}

void TestDatabase::statementFailuresSayWhy_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unknown table") << "DELETE FROM nowhere"
                                   << "no such table: nowhere";
    QTest::newRow("syntax") << "DELETE tbWords.* From tbWords"
                            << "syntax error";
}

void TestDatabase::statementFailuresSayWhy()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    Database db;
    db.open(test::makeWordDatabase(m_dir.path(), QStringLiteral("statements.db")));
    const QString description = failureOf([&] { db.exec(sql); });
    QVERIFY2(description.startsWith(QStringLiteral("Database statement failed: ")),
             qPrintable(description));
    QVERIFY2(description.contains(expected), qPrintable(description));
}

void TestDatabase::boundValuesAreNeverSql()
{
    const QString path = test::makeWordDatabase(m_dir.path(), QStringLiteral("bound.db"));
    const QStringList values{"it's", "\"quoted\"", "x'); DELETE FROM tbWords; --",
                             QStringLiteral("na\u00EFve \U0001F600")};
    {
        Database db;
        db.open(path);
        db.begin();
        Statement insert = db.prepare(QStringLiteral("INSERT INTO tbWords VALUES (:w0),(:w1)"));
        for (qsizetype i = 0; i < values.size(); i += 2) {
            insert.bind(QStringLiteral(":w0"), values[i]);
            insert.bind(QStringLiteral(":w1"), values[i + 1]);
            insert.exec();
        }
        db.commit();
        QVERIFY(!db.inTransaction());
    }
    QCOMPARE(test::storedWords(path), values);
}

void TestDatabase::tablesAreFound()
{
    Database db;
    db.open(test::makeWordDatabase(m_dir.path(), QStringLiteral("tables.db")));
    QVERIFY(db.hasTable(QStringLiteral("tbWords")));
    QVERIFY(!db.hasTable(QStringLiteral("tbOther")));
}

void TestDatabase::closedDatabaseRefusesWork()
{
    Database db;
    QCOMPARE(failureOf([&] { db.exec(QStringLiteral("SELECT 1")); }),
             QStringLiteral("The database is not open"));
    db.open(test::makeWordDatabase(m_dir.path(), QStringLiteral("closed.db")));
    db.close();
    QCOMPARE(failureOf([&] { db.prepare(QStringLiteral("SELECT 1")); }),
             QStringLiteral("The database is not open"));
}

TV_TEST_MAIN(TestDatabase, QCoreApplication)
#include "test_database.moc"
