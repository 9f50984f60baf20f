// Which encoding a page is read in, and its decoding to UTF-8.
#include "fetch/encoding.h"
#include "support/testenv.h"

#include <QCoreApplication>

class TestEncoding : public QObject {
    Q_OBJECT
private slots:
    void sniff_data();
    void sniff();
    void decode_data();
    void decode();
    void labels_data();
    void labels();
    void plainText();
    void unpairedSurrogates_data();
    void unpairedSurrogates();
};

void TestEncoding::sniff_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<int>("bomSize");
    const QByteArray metaLatin1 = "<html><head><meta charset=\"iso-8859-1\"></head>";
    QTest::newRow("BOM beats header")
        << QByteArray("\xEF\xBB\xBFx") << QByteArray("text/html; charset=windows-1251")
        << QByteArray("UTF-8") << 3;
    QTest::newRow("UTF-16LE BOM") << QByteArray("\xFF\xFEx\0", 4) << QByteArray("text/html")
                                  << QByteArray("UTF-16LE") << 2;
    QTest::newRow("header beats meta")
        << metaLatin1 << QByteArray("text/html; charset=UTF-8") << QByteArray("UTF-8") << 0;
    QTest::newRow("quoted header charset")
        << QByteArray("x") << QByteArray("text/html;charset=\"koi8-r\"") << QByteArray("KOI8-R")
        << 0;
    QTest::newRow("unknown header label falls through")
        << metaLatin1 << QByteArray("text/html; charset=bogus") << QByteArray("windows-1252") << 0;
    QTest::newRow("meta charset latin1")
        << metaLatin1 << QByteArray("text/html") << QByteArray("windows-1252") << 0;
    QTest::newRow("meta http-equiv")
        << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">")
        << QByteArray() << QByteArray("Shift_JIS") << 0;
    QTest::newRow("content without pragma ignored")
        << QByteArray("<meta content=\"text/html; charset=koi8-r\">\xC3\xA9") << QByteArray()
        << QByteArray("UTF-8") << 0;
    QTest::newRow("meta in a comment ignored") << QByteArray("<!-- <meta charset=koi8-r> -->abc")
                                               << QByteArray() << QByteArray("UTF-8") << 0;
    QTest::newRow("meta past 1024 bytes ignored")
        << QByteArray(1100, ' ') + "<meta charset=koi8-r>\xE9" << QByteArray()
        << QByteArray("windows-1252") << 0;
    QTest::newRow("utf-16 in meta means utf-8")
        << QByteArray("<meta charset=utf-16>") << QByteArray() << QByteArray("UTF-8") << 0;
    QTest::newRow("valid UTF-8 without declaration")
        << QByteArray("caf\xC3\xA9") << QByteArray() << QByteArray("UTF-8") << 0;
    QTest::newRow("invalid UTF-8 without declaration")
        << QByteArray("caf\xE9") << QByteArray() << QByteArray("windows-1252") << 0;
    QTest::newRow("surrogate bytes are not UTF-8")
        << QByteArray("\xED\xA0\x80") << QByteArray() << QByteArray("windows-1252") << 0;
}

void TestEncoding::sniff()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, encoding);
    QFETCH(int, bomSize);
    const tv::SniffedEncoding sniffed = tv::sniffEncoding(bytes, contentType);
    QCOMPARE(sniffed.encoding, encoding);
    QCOMPARE(int(sniffed.bomSize), bomSize);
}

void TestEncoding::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("expected");
    QTest::newRow("BOM stripped") << QByteArray("\xEF\xBB\xBF<p>x") << QByteArray()
                                  << QStringLiteral("<p>x");
    QTest::newRow("latin1 means windows-1252")
        << QByteArray("\x93q\x94") << QByteArray("text/html; charset=ISO-8859-1")
        << QStringLiteral(u"\u201Cq\u201D");
    QTest::newRow("windows-1252 hole stays a control")
        << QByteArray("\x81") << QByteArray("text/html; charset=windows-1252")
        << QStringLiteral(u"\u0081");
    QTest::newRow("invalid UTF-8 becomes U+FFFD")
        << QByteArray("a\xFF"
                      "b\xC3")
        << QByteArray("text/html; charset=utf-8") << QStringLiteral(u"a\uFFFDb\uFFFD");
    QTest::newRow("euc-kr as the web reads it")
        << QByteArray("\xC7\xD1\xB1\xB9") << QByteArray("text/html; charset=euc-kr")
        << QStringLiteral(u"\uD55C\uAD6D");
    QTest::newRow("UTF-16LE with BOM") << QByteArray("\xFF\xFE"
                                                     "a\0b\0",
                                                     6)
                                       << QByteArray() << QStringLiteral("ab");
    QTest::newRow("NUL bytes pass")
        << QByteArray("a\0b", 3) << QByteArray() << QString::fromUtf8("a\0b", 3);
}

void TestEncoding::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromUtf8(tv::decodeToUtf8(bytes, contentType)), expected);
}

void TestEncoding::labels_data()
{
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("encoding");
    QTest::newRow("ascii") << QByteArray("US-ASCII") << QByteArray("windows-1252");
    QTest::newRow("latin1 with blanks") << QByteArray(" latin1 ") << QByteArray("windows-1252");
    QTest::newRow("utf8") << QByteArray("utf8") << QByteArray("UTF-8");
    QTest::newRow("iso-8859-9 is windows-1254")
        << QByteArray("iso-8859-9") << QByteArray("windows-1254");
    QTest::newRow("gb2312 is gb18030") << QByteArray("gb2312") << QByteArray("GB18030");
    QTest::newRow("unknown") << QByteArray("x-klingon") << QByteArray();
}

void TestEncoding::labels()
{
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, encoding);
    QCOMPARE(tv::encodingForLabel(label), encoding);
}

void TestEncoding::plainText()
{
    // A plain-text page is not searched for <meta>.
    const QByteArray bytes = "<meta charset=koi8-r>caf\xC3\xA9";
    QCOMPARE(tv::decodePlainText(bytes, "text/plain"),
             QStringLiteral(u"<meta charset=koi8-r>caf\u00E9"));
}

void TestEncoding::unpairedSurrogates_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("UTF-16BE, low half at the end")
        << QByteArray("\xFE\xFF\x00x\xD8\x3D\xDE\x00\xDE\x00", 10)
        << QStringLiteral(u"x\U0001F600\uFFFD");
    QTest::newRow("UTF-16LE, high half before a letter")
        << QByteArray("\xFF\xFE\x3D\xD8y\x00", 6) << QStringLiteral(u"\uFFFDy");
}

// Found by the fuzzer: an unpaired surrogate passed the UTF-16 decoders and left a string no
// encoding can write. A browser shows U+FFFD.
void TestEncoding::unpairedSurrogates()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(tv::decodePlainText(bytes, "text/plain"), expected);
    QCOMPARE(QString::fromUtf8(tv::decodeToUtf8(bytes, "text/html")), expected);
}

TV_TEST_MAIN(TestEncoding, QCoreApplication)
#include "test_encoding.moc"
