#pragma once
// The few CSS properties that decide a page's text, and the values declared for them: display,
// visibility, white-space, text-transform, float and position. Every other property is read
// past. Values are small codes: 0 means "not declared", the CSS-wide keywords come next, then
// each property's own keywords.
#include <QByteArrayView>
#include <array>
#include <cstdint>

namespace tv::css {

class Tokenizer;
struct Token;

enum class Property : std::uint8_t {
    Display,
    Visibility,
    WhiteSpace,
    TextTransform,
    Float,
    Position
};
inline constexpr int kPropertyCount = 6;

// CSS-wide keywords, shared by every property.
enum : std::uint8_t {
    kNotDeclared = 0,
    kInherit = 1,
    kInitial = 2,
    kRevert = 3, // revert and revert-layer: the browser's own value
    kFirstKeyword = 4,
};

enum class DisplayValue : std::uint8_t {
    None = kFirstKeyword,
    Contents,
    Block,
    Inline,
    InlineBlock,
    FlowRoot,
    ListItem,
    Table,
    InlineTable,
    TableRowGroup,
    TableHeaderGroup,
    TableFooterGroup,
    TableRow,
    TableCell,
    TableColumnGroup,
    TableColumn,
    TableCaption,
    Flex,
    InlineFlex,
    Grid,
    InlineGrid,
    Ruby,
    RubyText,
};
enum class VisibilityValue : std::uint8_t { Visible = kFirstKeyword, Hidden, Collapse };
enum class WhiteSpaceValue : std::uint8_t {
    Normal = kFirstKeyword,
    NoWrap,
    Pre,
    PreWrap,
    PreLine,
    BreakSpaces,
};
enum class TextTransformValue : std::uint8_t {
    None = kFirstKeyword,
    Capitalize,
    Uppercase,
    Lowercase,
};
enum class FloatValue : std::uint8_t { None = kFirstKeyword, Left, Right };
enum class PositionValue : std::uint8_t {
    Static = kFirstKeyword,
    Relative,
    Absolute,
    Fixed,
    Sticky,
};

// The values one declaration block (or style attribute) declares.
struct Declarations {
    std::array<std::uint8_t, kPropertyCount> values{};
    std::uint8_t important = 0; // one bit per property, by its number

    std::uint8_t value(Property p) const { return values[std::size_t(p)]; }
    bool isImportant(Property p) const { return important & (1u << unsigned(p)); }
    bool isEmpty() const;
    // Sets a value the way a later declaration of the same block does: it wins unless the
    // earlier one was !important and this one is not.
    void declare(Property p, std::uint8_t value, bool isImportant);
    bool operator==(const Declarations&) const = default;
};

// The declarations of a block's contents, from the tokenizer's position up to the '}' that
// closes the block (consumed) or the end. Unknown properties and values are left out.
Declarations readDeclarations(Tokenizer& tokens);
// The declarations of a style attribute's value. Never fails.
Declarations parseStyleAttribute(QByteArrayView style);

} // namespace tv::css
