#pragma once
// How each HTML element renders by default (the browser's built-in style sheet, reduced to what
// changes the rendered text).
#include <QByteArrayView>
#include <cstdint>

namespace tv {

enum class Display : std::uint8_t {
    Inline,      // adds nothing; text flows through (a, b, span, unknown tags)
    Block,       // one required line break before and after
    None,        // not rendered, nor anything inside
    InlineBlock, // an inline box with its own lines inside (button, select)
    TableRow,    // "\n" after it unless it is the last row of its table
    TableCell,   // "\t" after it unless it is the last cell of its row
    TableGroup,  // row groups and columns: nothing of their own
    Contents,    // no box of its own; children render as if in the parent
};

enum class WhiteSpace : std::uint8_t { Normal, NoWrap, Pre, PreWrap, PreLine, BreakSpaces };
enum class TextTransform : std::uint8_t { None, Uppercase, Lowercase, Capitalize };

enum class Role : std::uint8_t {
    Normal,
    Paragraph,    // p: two required line breaks
    LineBreak,    // br
    Replaced,     // img, iframe, textarea...: a box of its own, children not rendered
    Input,        // replaced, or not rendered when type=hidden
    Audio,        // replaced with controls, else not rendered
    Dialog,       // rendered only when open
    Details,      // when closed only its first summary renders
    Select,       // only option and optgroup children render
    Optgroup,     // inside a select only option children render
    TableWrapper, // table, thead, tbody, tfoot, tr: white-space-only text is dropped
};

struct TagInfo {
    Display display = Display::Inline;
    Role role = Role::Normal;
    WhiteSpace whiteSpace = WhiteSpace::Normal; // Normal means inherited
    bool setsWhiteSpace = false;
};

// The rendering defaults of an HTML element by gumbo tag number, or by name for tags gumbo
// does not know (lower-case name).
const TagInfo& tagInfo(int gumboTag);
const TagInfo& tagInfoByName(QByteArrayView lowerName);

} // namespace tv
