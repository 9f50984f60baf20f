#pragma once
// Pages built to hurt an HTML parser or its style rules, shared by the tests that bound their time
// and the benchmark that measures it.
#include <QByteArray>

namespace tv::test {

// `piece` written `times` times over.
QByteArray repeated(const QByteArray& piece, int times);
// `depth` nested <div> elements around the one word "x".
QByteArray nestedDivs(int depth);
// One paragraph of `words` words "word", a space after each.
QByteArray singleLine(int words);
// A paragraph that leaves `formatting` <b> elements open, then `paragraphs` paragraphs of "x".
QByteArray formattingReopen(int formatting, int paragraphs);

// A style element whose rule ".x{display:none}" sits inside `depth` nested "@media all" blocks,
// then the paragraphs "x" (of class x) and "y".
QByteArray nestedMediaBlocks(int depth);
// `rules` copies of "div{display:block}", then `divs` elements <div>x</div>.
QByteArray sameRuleRepeated(int rules, int divs);
// The rule ".gone{display:none}" and a paragraph "hidden" of that class, then `rules` different
// rules that all share the key of class x and all match (".x:not(.yN){display:block}") and
// `divs` elements <div class=x>x</div>: matching costs rules times elements.
QByteArray rulesSharingAKey(int rules, int divs);

// `styles` style elements that each hide <a>, then `links` elements <a>x</a>.
QByteArray manyStyleElements(int styles, int links);

} // namespace tv::test
