// The rendered-text walk against hand-checked documents. The cases live in data/walk_cases.txt:
//
//     ## name of the case
//     <html input, as many lines as needed>
//     ==
//     expected text
//
// The expected text runs to the next "## " line; its last line feed is not part of it. In the
// expected text, \t is a tab, \n a line feed that would otherwise be lost at the end, \s a space
// (for one at the end of a line), \uXXXX that character and \\ a backslash.
#include "fetch/renderedtext.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QFile>

class TestWalk : public QObject {
    Q_OBJECT
private slots:
    void walk_data();
    void walk();
    void controlCharacters();
};

namespace {

QString unescape(const QString& s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar c = s[++i];
            if (c == u't')
                out += u'\t';
            else if (c == u'n')
                out += u'\n';
            else if (c == u's')
                out += u' ';
            else if (c == u'u' && i + 4 < s.size()) {
                out += QChar(char16_t(s.mid(i + 1, 4).toUShort(nullptr, 16)));
                i += 4;
            } else
                out += c;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

void TestWalk::walk_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("expected");
    QFile file(QStringLiteral(TV_WALK_CASES));
    QVERIFY2(file.open(QIODevice::ReadOnly), TV_WALK_CASES);
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    QString name;
    QStringList input;
    QStringList expected;
    bool inExpected = false;
    int cases = 0;
    auto finish = [&] {
        if (name.isEmpty())
            return;
        QVERIFY2(inExpected, qPrintable(QStringLiteral("no \"==\" in case ") + name));
        while (!expected.isEmpty() && expected.last().isEmpty())
            expected.removeLast();
        QTest::newRow(qPrintable(name))
            << input.join(u'\n').toUtf8() << unescape(expected.join(u'\n'));
        ++cases;
    };
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("## "))) {
            finish();
            name = line.mid(3).trimmed();
            input.clear();
            expected.clear();
            inExpected = false;
        } else if (!name.isEmpty() && !inExpected && line == QLatin1String("==")) {
            inExpected = true;
        } else if (!name.isEmpty()) {
            (inExpected ? expected : input).append(line);
        }
    }
    finish();
    QVERIFY2(cases > 0, "the case file holds no cases");
}

void TestWalk::walk()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, expected);
    QCOMPARE(tv::renderedText(html), expected);
}

// gumbo would turn these into U+FFFD; a browser keeps them (legacy pages carry windows-1252
// 0x81 and the like).
void TestWalk::controlCharacters()
{
    const QByteArray html = "<p>a\x01"
                            "b\xC2\x81"
                            "c\x7F\xC2\xA0"
                            "d</p>";
    QCOMPARE(tv::renderedText(html), QStringLiteral(u"a\u0001b\u0081c\u007F\u00A0d"));
}

TV_TEST_MAIN(TestWalk, QCoreApplication)
#include "test_walk.moc"
