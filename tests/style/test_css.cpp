// Reading CSS: media queries answered for the reference screen, the declarations that decide
// the text, the limits of the sheet reader, and the sheet addresses found in a page.
#include "style/declarations.h"
#include "style/mediaqueries.h"
#include "style/sheetlinks.h"
#include "style/stylesheet.h"
#include "support/testenv.h"

#include <QCoreApplication>

using namespace tv::css;

class TestCss : public QObject {
    Q_OBJECT
private slots:
    void mediaQueries_data();
    void mediaQueries();
    void declarations_data();
    void declarations();
    void nestingPastTheBoundIsLeftOut();
    void importsLeadTheSheet();
    void copiesOfARuleKeepOnePlace();
    void selectorsOfTooManyCompoundsAreRefused();
    void sheetLinks_data();
    void sheetLinks();
};

void TestCss::mediaQueries_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<bool>("applies");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("all") << QByteArray("all") << true;
    QTest::newRow("screen") << QByteArray("screen") << true;
    QTest::newRow("print") << QByteArray("print") << false;
    QTest::newRow("only screen") << QByteArray("only screen") << true;
    QTest::newRow("not print") << QByteArray("not print") << true;
    QTest::newRow("not screen") << QByteArray("NOT Screen") << false;
    QTest::newRow("a list with one that applies") << QByteArray("print, screen") << true;
    QTest::newRow("a list with none") << QByteArray("print, speech") << false;
    QTest::newRow("min-width 1200px") << QByteArray("(min-width: 1200px)") << true;
    QTest::newRow("max-width 600px") << QByteArray("(max-width: 600px)") << false;
    QTest::newRow("min-width one past") << QByteArray("(min-width: 1367px)") << false;
    QTest::newRow("width exactly") << QByteArray("(width: 1366px)") << true;
    QTest::newRow("em are 16px") << QByteArray("(min-width: 85.375em)") << true;
    QTest::newRow("em one past") << QByteArray("(min-width: 86em)") << false;
    QTest::newRow("screen and max-width")
        << QByteArray("screen and (max-width: 767.98px)") << false;
    QTest::newRow("height") << QByteArray("(min-height: 700px) and (max-height: 800px)") << true;
    QTest::newRow("landscape") << QByteArray("(orientation: landscape)") << true;
    QTest::newRow("portrait") << QByteArray("(orientation: portrait)") << false;
    QTest::newRow("dark scheme") << QByteArray("(prefers-color-scheme: dark)") << false;
    QTest::newRow("light scheme") << QByteArray("(prefers-color-scheme: light)") << true;
    QTest::newRow("reduced motion") << QByteArray("(prefers-reduced-motion: reduce)") << false;
    QTest::newRow("mouse") << QByteArray("(hover: hover) and (pointer: fine)") << true;
    QTest::newRow("touch") << QByteArray("(pointer: coarse)") << false;
    QTest::newRow("high density") << QByteArray("(min-resolution: 2dppx)") << false;
    QTest::newRow("webkit ratio") << QByteArray("(-webkit-min-device-pixel-ratio: 2)") << false;
    QTest::newRow("aspect ratio") << QByteArray("(min-aspect-ratio: 16/9)") << true;
    QTest::newRow("range between") << QByteArray("(400px <= width <= 1400px)") << true;
    QTest::newRow("range past") << QByteArray("(width > 1366px)") << false;
    QTest::newRow("range reversed") << QByteArray("(1000px < width)") << true;
    QTest::newRow("scripting off") << QByteArray("(scripting: none)") << true;
    QTest::newRow("unknown feature") << QByteArray("(unknown-feature)") << false;
    QTest::newRow("not of unknown") << QByteArray("not (unknown-feature)") << false;
    QTest::newRow("or with unknown") << QByteArray("(min-width: 600px) or (unknown: 1)") << true;
    QTest::newRow("nested") << QByteArray("((min-width: 600px) and (max-width: 2000px))") << true;
    QTest::newRow("not nested") << QByteArray("not ((min-width: 600px) and (max-width: 900px))")
                                << true;
    QTest::newRow("unknown type") << QByteArray("garbage") << false;
    QTest::newRow("dangling and") << QByteArray("screen and") << false;
    QTest::newRow("nested past the bound")
        << QByteArray(100, '(') + "width" + QByteArray(100, ')') << false;
}

void TestCss::mediaQueries()
{
    QFETCH(QByteArray, query);
    QFETCH(bool, applies);
    QCOMPARE(mediaMatches(query), applies);
}

void TestCss::declarations_data()
{
    QTest::addColumn<QByteArray>("style");
    QTest::addColumn<int>("property");
    QTest::addColumn<int>("value"); // 0: not declared
    QTest::addColumn<bool>("important");
    auto row = [](const char* name, const char* style, Property p, int value, bool important) {
        QTest::newRow(name) << QByteArray(style) << int(p) << value << important;
    };
    using P = Property;
    const int none = int(DisplayValue::None);
    row("display none", "display:none", P::Display, none, false);
    row("letter case and important", "DISPLAY: Block !IMPORTANT", P::Display,
        int(DisplayValue::Block), true);
    row("two keywords", "display: block flex", P::Display, int(DisplayValue::Flex), false);
    row("inline flow-root", "display: inline flow-root", P::Display, int(DisplayValue::InlineBlock),
        false);
    row("old flexible box", "display: -webkit-box", P::Display, int(DisplayValue::Flex), false);
    row("unknown display", "display: run-in", P::Display, 0, false);
    row("a variable is left out", "display: var(--x)", P::Display, 0, false);
    row("the later declaration wins", "display:none; display:block", P::Display,
        int(DisplayValue::Block), false);
    row("unless the earlier is important", "display:none !important; display:block", P::Display,
        none, true);
    row("other properties around", "color: red; display: contents; margin: 0", P::Display,
        int(DisplayValue::Contents), false);
    row("comments", "display /* c */ : none", P::Display, none, false);
    row("inherit", "display: inherit", P::Display, kInherit, false);
    row("unset on display", "display: unset", P::Display, kInitial, false);
    row("unset on visibility", "visibility: unset", P::Visibility, kInherit, false);
    row("collapse", "visibility: collapse", P::Visibility, int(VisibilityValue::Collapse), false);
    row("pre-wrap", "white-space: pre-wrap", P::WhiteSpace, int(WhiteSpaceValue::PreWrap), false);
    row("collapse longhand", "white-space-collapse: preserve-breaks", P::WhiteSpace,
        int(WhiteSpaceValue::PreLine), false);
    row("capitalize", "text-transform: capitalize", P::TextTransform,
        int(TextTransformValue::Capitalize), false);
    row("logical float", "float: inline-start", P::Float, int(FloatValue::Left), false);
    row("prefixed sticky", "position: -webkit-sticky", P::Position, int(PositionValue::Sticky),
        false);
    row("something after important", "display: none !important block", P::Display, 0, false);
}

void TestCss::declarations()
{
    QFETCH(QByteArray, style);
    QFETCH(int, property);
    QFETCH(int, value);
    QFETCH(bool, important);
    const Declarations d = parseStyleAttribute(style);
    QCOMPARE(int(d.value(Property(property))), value);
    QCOMPARE(d.isImportant(Property(property)), important);
}

void TestCss::nestingPastTheBoundIsLeftOut()
{
    auto nested = [](int depth) {
        return QByteArray("@media all{").repeated(depth) + ".x{display:none}" +
               QByteArray("}").repeated(depth) + ".y{display:none}";
    };
    const StyleSheet within(nested(StyleSheet::kMaxBlockDepth));
    QCOMPARE(within.rules().size(), std::size_t(2));
    QVERIFY(!within.isTruncated());
    const StyleSheet past(nested(StyleSheet::kMaxBlockDepth + 1));
    QCOMPARE(past.rules().size(), std::size_t(1)); // only .y, after the skipped block
    QVERIFY(past.isTruncated());
}

void TestCss::importsLeadTheSheet()
{
    const StyleSheet sheet("@charset \"utf-8\"; @import 'a.css'; @import url(b.css) print;"
                           "@import url(\"c.css\") layer(base) screen; p{display:none}"
                           "@import 'late.css';");
    const std::vector<ImportRule>& imports = sheet.imports();
    QCOMPARE(imports.size(), std::size_t(3));
    QCOMPARE(imports[0].url, QByteArray("a.css"));
    QVERIFY(imports[0].applies);
    QCOMPARE(imports[1].url, QByteArray("b.css"));
    QVERIFY(!imports[1].applies);
    QCOMPARE(imports[2].url, QByteArray("c.css"));
    QVERIFY(imports[2].layered);
    QCOMPARE(imports[2].layer, QByteArray("base"));
    QCOMPARE(
        StyleSheet::leadingImports("@import 'x.css'; .a{display:none} @import 'y.css';").size(),
        std::size_t(1));
}

void TestCss::copiesOfARuleKeepOnePlace()
{
    const StyleSheet sheet(".a{display:none} .b{display:block} .a {display:none}");
    QCOMPARE(sheet.rules().size(), std::size_t(2));
    QCOMPARE(sheet.rules()[0].order, 2); // the copy's place
    QCOMPARE(sheet.rules()[1].order, 1);
}

void TestCss::selectorsOfTooManyCompoundsAreRefused()
{
    auto chain = [](int compounds) {
        return StyleSheet(QByteArray("div ").repeated(compounds) + "{display:none}").rules().size();
    };
    QCOMPARE(chain(64), std::size_t(1));
    QCOMPARE(chain(65), std::size_t(0));
}

void TestCss::sheetLinks_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QStringList>("urls");
    auto row = [](const char* name, const QByteArray& html, const QStringList& urls) {
        QTest::newRow(name) << html << urls;
    };
    row("relative link", "<link rel=stylesheet href=a.css>", {"http://site.test/dir/a.css"});
    row("letter case and root path", "<LINK REL=StyleSheet HREF=\"/c.css\">",
        {"http://site.test/c.css"});
    row("alternate sheets are not applied", "<link rel=\"alternate stylesheet\" href=b.css>", {});
    row("other rels", "<link rel=icon href=i.png><link rel=preload href=p.css>", {});
    row("print media", "<link rel=stylesheet href=d.css media=print>", {});
    row("media that applies",
        "<link rel=stylesheet href=d.css media=\"screen and (min-width: 100px)\">",
        {"http://site.test/dir/d.css"});
    row("disabled", "<link rel=stylesheet href=e.css disabled>", {});
    row("other type", "<link rel=stylesheet href=e.less type=text/less>", {});
    row("file address", "<link rel=stylesheet href=file:///etc/passwd>", {});
    row("data address", "<link rel=stylesheet href=\"data:text/css,p{}\">", {});
    row("base element", "<base href=\"https://cdn.test/x/\"><link rel=stylesheet href=f.css>",
        {"https://cdn.test/x/f.css"});
    row("in a comment", "<!-- <link rel=stylesheet href=g.css> --><p>x", {});
    row("in a script", "<script>var s = '<link rel=stylesheet href=h.css>';</script>", {});
    row("imports of a style element",
        "<style>@import \"i.css\"; @import url(j.css) print; p{} @import \"k.css\";</style>",
        {"http://site.test/dir/i.css"});
    row("character references", "<link rel=stylesheet href=\"a.css?x=1&amp;y=2\">",
        {"http://site.test/dir/a.css?x=1&y=2"});
    row("each once, in order",
        "<link rel=stylesheet href=b.css><link rel=stylesheet href=a.css>"
        "<link rel=stylesheet href=b.css#top>",
        {"http://site.test/dir/b.css", "http://site.test/dir/a.css"});
}

void TestCss::sheetLinks()
{
    QFETCH(QByteArray, html);
    QFETCH(QStringList, urls);
    QStringList found;
    for (const QUrl& url : findSheetLinks(html, QUrl("http://site.test/dir/page.html")))
        found << url.toString(QUrl::FullyEncoded);
    QCOMPARE(found, urls);
}

TV_TEST_MAIN(TestCss, QCoreApplication)
#include "test_css.moc"
