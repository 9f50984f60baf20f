// What the word store does without a server: reading addresses and keeping their passwords out
// of sight, shares of the site list, and rows in COPY's text format.
#include "pgstore/copytext.h"
#include "pgstore/serveraddress.h"
#include "pgstore/shard.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <cstring>

using namespace tv;

class TestPgAddress : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serverAddressesAreTold_data();
    void serverAddressesAreTold();
    void passwordsAreRedacted_data();
    void passwordsAreRedacted();
    void secretsAreWrittenAndDecoded();
    void argumentsLoseTheirPasswords();
    void shards_data();
    void shards();
    void shardsCoverTheListOnce();
    void copyFields_data();
    void copyFields();
};

void TestPgAddress::serverAddressesAreTold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("server");
    QTest::newRow("postgresql") << "postgresql://host/db" << true;
    QTest::newRow("postgres") << "postgres://user@host:5433/db" << true;
    QTest::newRow("all from the environment") << "postgresql://" << true;
    QTest::newRow("file") << "dbData.mdb" << false;
    QTest::newRow("file in a folder named like one") << "./postgresql://x" << false;
    QTest::newRow("scheme in capitals (libpq refuses it)") << "POSTGRESQL://host/db" << false;
}

void TestPgAddress::serverAddressesAreTold()
{
    QFETCH(QString, text);
    QFETCH(bool, server);
    QCOMPARE(isServerAddress(text), server);
}

void TestPgAddress::passwordsAreRedacted_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("shown");
    QTest::newRow("user and password") << "postgresql://u:s3cret@h:5432/db"
                                       << "postgresql://u:****@h:5432/db";
    QTest::newRow("no password") << "postgresql://u@h/db"
                                 << "postgresql://u@h/db";
    QTest::newRow("port, no user info") << "postgresql://h:5432/db"
                                        << "postgresql://h:5432/db";
    QTest::newRow("percent-encoded") << "postgresql://u:p%40ss%2Fw@h/db"
                                     << "postgresql://u:****@h/db";
    QTest::newRow("password parameter")
        << "postgresql://h/db?sslmode=require&password=s3cret&connect_timeout=3"
        << "postgresql://h/db?sslmode=require&password=****&connect_timeout=3";
    QTest::newRow("both") << "postgres://u:a@h/db?password=b"
                          << "postgres://u:****@h/db?password=****";
    QTest::newRow("at sign after the host") << "postgresql://h/db?application_name=a@b"
                                            << "postgresql://h/db?application_name=a@b";
    QTest::newRow("several hosts") << "postgresql://u:pw@h1:1,h2:2/db"
                                   << "postgresql://u:****@h1:1,h2:2/db";
}

void TestPgAddress::passwordsAreRedacted()
{
    QFETCH(QString, address);
    QFETCH(QString, shown);
    QCOMPARE(redactedAddress(address), shown);
}

void TestPgAddress::secretsAreWrittenAndDecoded()
{
    const QStringList secrets =
        addressSecrets(QStringLiteral("postgresql://u:p%40ss@h/db?password=x%2Fy"));
    QCOMPARE(secrets, (QStringList{"p%40ss", "p@ss", "x%2Fy", "x/y"}));
    QCOMPARE(withoutSecrets(QStringLiteral("user u with p@ss refused"), secrets),
             QStringLiteral("user u with **** refused"));
    QVERIFY(addressSecrets(QStringLiteral("postgresql://u@h/db")).isEmpty());
}

void TestPgAddress::argumentsLoseTheirPasswords()
{
    QByteArray args[] = {"tallyvane-count",
                         "--database",
                         "postgresql://u:s3cret@h/db",
                         "--database=postgres://u:pw2@h/db?password=pw3",
                         "u:notapassword@x",
                         "--run"};
    char* argv[std::size(args) + 1];
    for (size_t i = 0; i < std::size(args); ++i)
        argv[i] = args[i].data();
    argv[std::size(args)] = nullptr;
    hidePasswordsInArguments(int(std::size(args)), argv);
    QCOMPARE(QByteArray(argv[0]), QByteArray("tallyvane-count"));
    QCOMPARE(QByteArray(argv[2]), QByteArray("postgresql://u:******@h/db"));
    QCOMPARE(QByteArray(argv[3]), QByteArray("--database=postgres://u:***@h/db?password=***"));
    QCOMPARE(QByteArray(argv[4]), QByteArray("u:notapassword@x"));
    QCOMPARE(QByteArray(argv[5]), QByteArray("--run"));
}

void TestPgAddress::shards_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index"); // 0: refused
    QTest::addColumn<int>("count");
    QTest::newRow("first of two") << "1/2" << 1 << 2;
    QTest::newRow("last of two") << "2/2" << 2 << 2;
    QTest::newRow("the whole list") << "1/1" << 1 << 1;
    QTest::newRow("zeroth") << "0/2" << 0 << 0;
    QTest::newRow("beyond the count") << "3/2" << 0 << 0;
    QTest::newRow("no shares") << "1/0" << 0 << 0;
    QTest::newRow("signed") << "+1/2" << 0 << 0;
    QTest::newRow("blank") << " 1/2" << 0 << 0;
    QTest::newRow("three parts") << "1/2/3" << 0 << 0;
    QTest::newRow("words") << "one/two" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("too large") << "1/99999999999" << 0 << 0;
}

void TestPgAddress::shards()
{
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(int, count);
    QString error;
    const std::optional<Shard> shard = parseShard(text, error);
    if (index == 0) {
        QVERIFY(!shard);
        QVERIFY2(error.contains(u'\'' + text + u'\''), qPrintable(error));
        return;
    }
    QVERIFY2(shard, qPrintable(error));
    QCOMPARE(shard->index, index);
    QCOMPARE(shard->count, count);
    QCOMPARE(shard->text(), text);
}

void TestPgAddress::shardsCoverTheListOnce()
{
    for (int count = 1; count <= 4; ++count) {
        for (int row = 1; row <= 12; ++row) {
            int owners = 0;
            for (int index = 1; index <= count; ++index)
                owners += Shard{index, count}.contains(row);
            QCOMPARE(owners, 1);
        }
    }
    // Shard K starts at row K.
    QVERIFY(Shard({1, 3}).contains(1));
    QVERIFY(Shard({3, 3}).contains(3));
    QVERIFY(Shard({3, 3}).contains(6));
}

void TestPgAddress::copyFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain") << "word" << QByteArray("word");
    QTest::newRow("tab") << "a\tb" << QByteArray("a\\tb");
    QTest::newRow("line ends") << "a\nb\rc" << QByteArray("a\\nb\\rc");
    QTest::newRow("backslash") << "a\\b" << QByteArray("a\\\\b");
    QTest::newRow("null marker") << "\\N" << QByteArray("\\\\N");
    QTest::newRow("end-of-data marker") << "\\." << QByteArray("\\\\.");
    QTest::newRow("quotes stay") << "\"'" << QByteArray("\"'");
    QTest::newRow("two-byte") << "na\u00efve" << QByteArray("na\xc3\xafve");
    QTest::newRow("three-byte") << "\uFF21" << QByteArray("\xef\xbc\xa1");
    QTest::newRow("surrogate pair") << "\U0001F600" << QByteArray("\xf0\x9f\x98\x80");
    QTest::newRow("lone high surrogate")
        << QString(QChar(0xD83D)) + u'x' << QByteArray("\xef\xbf\xbdx");
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) << QByteArray("\xef\xbf\xbd");
    QTest::newRow("NUL") << QString(QChar(0)) + u'x' << QByteArray("\xef\xbf\xbdx");
}

void TestPgAddress::copyFields()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    QByteArray out("x\t");
    appendCopyField(out, text);
    QCOMPARE(out, "x\t" + field);
    // A bound value is the same text without COPY's escapes.
    const QByteArray parameter = parameterText(text);
    QByteArray unescaped = field;
    unescaped.replace("\\t", "\t").replace("\\n", "\n").replace("\\r", "\r");
    unescaped.replace("\\\\", "\\");
    QCOMPARE(parameter, unescaped);
    QVERIFY(QString::fromUtf8(parameter).toUtf8() == parameter);
}

TV_TEST_MAIN(TestPgAddress, QCoreApplication)
#include "test_pgaddress.moc"
