#pragma once
// Pages built to hurt an HTML parser, shared by the tests that bound their time and the
// benchmark that measures it.
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

} // namespace tv::test
