#pragma once
// How both engines break a page's text into words. A line ends at a line feed, a carriage
// return, or a carriage return followed by a line feed; within a line, blanks, tabs and the
// other Unicode space separators separate the pieces. Tabs and lone carriage returns separate
// words instead of gluing their neighbours together, which would turn every table row of a page
// ("Apple", tab, "5") into one word; a no-break space, which a browser keeps for "&nbsp;", shows
// two words apart just as a blank does.
#include <QStringView>

namespace tv {

// The Unicode space separators (category Zs) other than the blank: U+00A0, U+1680, U+2000 to
// U+200A, U+202F, U+205F and U+3000.
constexpr bool isWideSpace(char16_t c)
{
    return c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Calls onPiece(QStringView piece, qsizetype line, qsizetype number) for every piece of every
// line, in text order; lines and pieces are numbered from 1, pieces anew on every line.
// Consecutive separators give empty pieces, and an empty text is one line with one empty piece.
template <class F> void forEachPiece(QStringView text, F&& onPiece)
{
    const char16_t* s = text.utf16();
    const qsizetype size = text.size();
    qsizetype line = 1;
    qsizetype number = 1;
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = s[i];
        if (c > u' ' && (c < 0x00A0 || !isWideSpace(c)))
            continue;
        if (c == u' ' || c == u'\t' || c > u' ') {
            onPiece(QStringView(s + start, i - start), line, number);
            ++number;
            start = i + 1;
        } else if (c == u'\n' || c == u'\r') {
            onPiece(QStringView(s + start, i - start), line, number);
            if (c == u'\r' && i + 1 < size && s[i + 1] == u'\n')
                ++i;
            ++line;
            number = 1;
            start = i + 1;
        }
    }
    onPiece(QStringView(s + start, size - start), line, number);
}

// The number of line ends in the text (a carriage return with its line feed counts once).
qsizetype countLineEnds(QStringView text);

} // namespace tv
