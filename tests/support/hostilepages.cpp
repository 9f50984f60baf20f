#include "hostilepages.h"

namespace tv::test {

QByteArray repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

QByteArray nestedDivs(int depth)
{
    return repeated("<div>", depth) + "x" + repeated("</div>", depth);
}

QByteArray singleLine(int words)
{
    return "<p>" + repeated("word ", words) + "</p>";
}

QByteArray formattingReopen(int formatting, int paragraphs)
{
    // Closing the paragraph pops the open <b> elements, and every later paragraph reopens them
    // all: the tree grows by the number of open formatting elements per paragraph.
    QByteArray html = "<p>";
    for (int i = 0; i < formatting; ++i)
        html += "<b id=" + QByteArray::number(i) + ">";
    return html + "</p>" + repeated("<p>x</p>", paragraphs);
}

QByteArray nestedMediaBlocks(int depth)
{
    return "<style>" + repeated("@media all{", depth) + ".x{display:none}" + repeated("}", depth) +
           "</style><p class=x>x</p><p>y</p>";
}

QByteArray sameRuleRepeated(int rules, int divs)
{
    return "<style>" + repeated("div{display:block}", rules) + "</style>" +
           repeated("<div>x</div>", divs);
}

QByteArray rulesSharingAKey(int rules, int divs)
{
    QByteArray css = ".gone{display:none}";
    for (int i = 0; i < rules; ++i)
        css += ".x:not(.y" + QByteArray::number(i) + "){display:block}";
    return "<style>" + css + "</style><p class=gone>hidden</p>" +
           repeated("<div class=x>x</div>", divs);
}

QByteArray manyStyleElements(int styles, int links)
{
    return repeated("<style>a{display:none}</style>", styles) + repeated("<a>x</a>", links);
}

} // namespace tv::test
