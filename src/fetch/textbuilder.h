#pragma once
// Assembles rendered text the way a browser's innerText does: strings and required line breaks
// in, one string out. White space collapses across element boundaries here, because only the
// builder sees where lines begin and end.
#include "fetch/tagkinds.h"

#include <QString>
#include <string>

namespace tv {

class TextBuilder {
public:
    // Text of a text node, in UTF-8, under the given white-space and text-transform; `turkic`:
    // the text is Turkish or Azeri, whose dotted and dotless i keep apart in capitals.
    void text(const char* utf8, std::size_t size, WhiteSpace ws, TextTransform transform,
              bool turkic = false);
    // A required line break of 1 (blocks) or 2 (p); runs of them give their largest.
    void requiredBreak(int count);
    // Where a line ends without a mark of its own (the inside edge of a cell, an inline-block).
    void lineEdge();
    // The string "\n" of a br or a table row; "\t" after a table cell.
    void lineFeed();
    void tab();
    // An inline box that shows no text (img, input, the outside of an inline-block): it keeps
    // the spaces on both sides.
    void atom();

    bool isEmpty() const { return m_out.empty(); }
    std::size_t size() const { return m_out.size(); }
    QString result() const { return QString::fromUtf8(m_out.data(), qsizetype(m_out.size())); }

private:
    void put(const char* s, std::size_t n);
    void emitTransformed(const char* s, std::size_t n, TextTransform transform, bool turkic);
    void flushSpace();

    std::string m_out;
    int m_pendingBreaks = 0;
    bool m_pendingSpace = false;
    bool m_lineStart = true;
    bool m_afterWordChar = false; // for capitalize across element boundaries
};

} // namespace tv
