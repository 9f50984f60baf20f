#include "style/declarations.h"

#include "style/csstokenizer.h"

#include <optional>
#include <vector>

namespace tv::css {

namespace {

struct Keyword {
    const char* name;
    std::uint8_t value;
};

std::uint8_t code(DisplayValue v)
{
    return std::uint8_t(v);
}

std::optional<std::uint8_t> lookup(QByteArrayView word, std::initializer_list<Keyword> table)
{
    for (const Keyword& k : table) {
        if (equalsLower(word, k.name))
            return k.value;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> displayOne(QByteArrayView v)
{
    using D = DisplayValue;
    return lookup(v, {{"none", code(D::None)},
                      {"contents", code(D::Contents)},
                      {"block", code(D::Block)},
                      {"inline", code(D::Inline)},
                      {"inline-block", code(D::InlineBlock)},
                      {"flow-root", code(D::FlowRoot)},
                      {"list-item", code(D::ListItem)},
                      {"table", code(D::Table)},
                      {"inline-table", code(D::InlineTable)},
                      {"table-row-group", code(D::TableRowGroup)},
                      {"table-header-group", code(D::TableHeaderGroup)},
                      {"table-footer-group", code(D::TableFooterGroup)},
                      {"table-row", code(D::TableRow)},
                      {"table-cell", code(D::TableCell)},
                      {"table-column-group", code(D::TableColumnGroup)},
                      {"table-column", code(D::TableColumn)},
                      {"table-caption", code(D::TableCaption)},
                      {"flex", code(D::Flex)},
                      {"inline-flex", code(D::InlineFlex)},
                      {"grid", code(D::Grid)},
                      {"inline-grid", code(D::InlineGrid)},
                      {"ruby", code(D::Ruby)},
                      {"ruby-text", code(D::RubyText)},
                      {"math", code(D::Inline)},
                      // The old flexible box, still taken for line clamping.
                      {"-webkit-box", code(D::Flex)},
                      {"-webkit-inline-box", code(D::InlineFlex)}});
}

// The two- and three-keyword forms: an outer type (block, inline), an inner one (flow,
// flow-root, table, flex, grid, ruby) and list-item, in any order.
std::optional<std::uint8_t> displayMany(const std::vector<QByteArrayView>& words)
{
    using D = DisplayValue;
    bool block = false, inlineOuter = false, listItem = false;
    QByteArrayView inner;
    for (QByteArrayView w : words) {
        if (equalsLower(w, "block") && !block && !inlineOuter)
            block = true;
        else if (equalsLower(w, "inline") && !block && !inlineOuter)
            inlineOuter = true;
        else if (equalsLower(w, "list-item") && !listItem)
            listItem = true;
        else if (inner.isNull() && (equalsLower(w, "flow") || equalsLower(w, "flow-root") ||
                                    equalsLower(w, "table") || equalsLower(w, "flex") ||
                                    equalsLower(w, "grid") || equalsLower(w, "ruby")))
            inner = w;
        else
            return std::nullopt;
    }
    if (listItem) {
        if (!inner.isNull() && !equalsLower(inner, "flow") && !equalsLower(inner, "flow-root"))
            return std::nullopt;
        return code(inlineOuter ? D::Inline : D::ListItem);
    }
    if (inner.isNull() || equalsLower(inner, "flow"))
        return code(inlineOuter ? D::Inline : D::Block);
    if (equalsLower(inner, "flow-root"))
        return code(inlineOuter ? D::InlineBlock : D::FlowRoot);
    if (equalsLower(inner, "table"))
        return code(inlineOuter ? D::InlineTable : D::Table);
    if (equalsLower(inner, "flex"))
        return code(inlineOuter ? D::InlineFlex : D::Flex);
    if (equalsLower(inner, "grid"))
        return code(inlineOuter ? D::InlineGrid : D::Grid);
    return code(block ? D::Block : D::Ruby);
}

std::optional<std::uint8_t> whiteSpaceOne(QByteArrayView v)
{
    using W = WhiteSpaceValue;
    return lookup(v, {{"normal", std::uint8_t(W::Normal)},
                      {"nowrap", std::uint8_t(W::NoWrap)},
                      {"pre", std::uint8_t(W::Pre)},
                      {"pre-wrap", std::uint8_t(W::PreWrap)},
                      {"pre-line", std::uint8_t(W::PreLine)},
                      {"break-spaces", std::uint8_t(W::BreakSpaces)},
                      // white-space-collapse keywords, also taken by the shorthand
                      {"collapse", std::uint8_t(W::Normal)},
                      {"preserve", std::uint8_t(W::PreWrap)},
                      {"preserve-breaks", std::uint8_t(W::PreLine)},
                      {"preserve-spaces", std::uint8_t(W::PreWrap)}});
}

// Which property a name declares, and how its value reads; nullopt for the ones left out.
std::optional<Property> propertyOf(QByteArrayView name)
{
    if (equalsLower(name, "display"))
        return Property::Display;
    if (equalsLower(name, "visibility"))
        return Property::Visibility;
    if (equalsLower(name, "white-space") || equalsLower(name, "white-space-collapse"))
        return Property::WhiteSpace;
    if (equalsLower(name, "text-transform"))
        return Property::TextTransform;
    if (equalsLower(name, "float"))
        return Property::Float;
    if (equalsLower(name, "position"))
        return Property::Position;
    return std::nullopt;
}

std::optional<std::uint8_t> valueOf(Property p, QByteArrayView name,
                                    const std::vector<QByteArrayView>& words)
{
    if (words.size() == 1) {
        if (auto wide = lookup(words[0], {{"inherit", kInherit},
                                          {"initial", kInitial},
                                          {"unset", 0xFF},
                                          {"revert", kRevert},
                                          {"revert-layer", kRevert}})) {
            if (*wide != 0xFF)
                return wide;
            // unset: inherited properties inherit, the others take their initial value
            const bool inherited = p == Property::Visibility || p == Property::WhiteSpace ||
                                   p == Property::TextTransform;
            return inherited ? kInherit : kInitial;
        }
    }
    switch (p) {
    case Property::Display:
        return words.size() == 1 ? displayOne(words[0]) : displayMany(words);
    case Property::Visibility:
        if (words.size() != 1)
            return std::nullopt;
        return lookup(words[0], {{"visible", std::uint8_t(VisibilityValue::Visible)},
                                 {"hidden", std::uint8_t(VisibilityValue::Hidden)},
                                 {"collapse", std::uint8_t(VisibilityValue::Collapse)}});
    case Property::WhiteSpace: {
        // The shorthand also takes a wrap mode (wrap, nowrap) beside the collapse keyword.
        std::optional<std::uint8_t> found;
        bool nowrap = false;
        for (QByteArrayView w : words) {
            if (equalsLower(w, "wrap") || (equalsLower(w, "nowrap") && words.size() > 1)) {
                nowrap = nowrap || equalsLower(w, "nowrap");
                continue;
            }
            if (found)
                return std::nullopt;
            found = whiteSpaceOne(w);
            if (!found)
                return std::nullopt;
        }
        if (!equalsLower(name, "white-space") && words.size() != 1)
            return std::nullopt;
        if (!found && nowrap)
            return std::uint8_t(WhiteSpaceValue::NoWrap);
        return found;
    }
    case Property::TextTransform:
        if (words.size() != 1)
            return std::nullopt;
        return lookup(words[0], {{"none", std::uint8_t(TextTransformValue::None)},
                                 {"capitalize", std::uint8_t(TextTransformValue::Capitalize)},
                                 {"uppercase", std::uint8_t(TextTransformValue::Uppercase)},
                                 {"lowercase", std::uint8_t(TextTransformValue::Lowercase)}});
    case Property::Float:
        if (words.size() != 1)
            return std::nullopt;
        return lookup(words[0], {{"none", std::uint8_t(FloatValue::None)},
                                 {"left", std::uint8_t(FloatValue::Left)},
                                 {"right", std::uint8_t(FloatValue::Right)},
                                 {"inline-start", std::uint8_t(FloatValue::Left)},
                                 {"inline-end", std::uint8_t(FloatValue::Right)}});
    case Property::Position:
        if (words.size() != 1)
            return std::nullopt;
        return lookup(words[0], {{"static", std::uint8_t(PositionValue::Static)},
                                 {"relative", std::uint8_t(PositionValue::Relative)},
                                 {"absolute", std::uint8_t(PositionValue::Absolute)},
                                 {"fixed", std::uint8_t(PositionValue::Fixed)},
                                 {"sticky", std::uint8_t(PositionValue::Sticky)},
                                 {"-webkit-sticky", std::uint8_t(PositionValue::Sticky)}});
    }
    return std::nullopt;
}

} // namespace

bool Declarations::isEmpty() const
{
    for (std::uint8_t v : values) {
        if (v != kNotDeclared)
            return false;
    }
    return true;
}

void Declarations::declare(Property p, std::uint8_t value, bool isImportantNow)
{
    const std::uint8_t bit = std::uint8_t(1u << unsigned(p));
    if ((important & bit) && !isImportantNow)
        return;
    values[std::size_t(p)] = value;
    important = std::uint8_t(isImportantNow ? important | bit : important & ~bit);
}

Declarations readDeclarations(Tokenizer& tokens)
{
    Declarations result;
    std::vector<QByteArrayView> words;
    for (;;) {
        Token t = tokens.next();
        if (t.is(TokenType::End) || t.is(TokenType::CloseCurly))
            return result;
        if (t.is(TokenType::Whitespace) || t.is(TokenType::Semicolon))
            continue;
        // name ':' value [! important] up to ';' or the block's end. Anything else (a nested
        // rule, a stray token) is read past to its ';' or through its own block.
        std::optional<Property> property;
        QByteArrayView name;
        bool declaration = false;
        if (t.is(TokenType::Ident)) {
            name = t.text;
            Token c = tokens.next();
            while (c.is(TokenType::Whitespace))
                c = tokens.next();
            if (c.is(TokenType::Colon)) {
                declaration = true;
                property = propertyOf(name);
            } else {
                t = c;
            }
        }
        words.clear();
        bool valid = property.has_value();
        bool important = false;
        bool bang = false;
        int depth = 0;
        bool endsBlock = false;
        if (!declaration) {
            // Not a declaration; the token in hand may already open or end something.
            if (t.is(TokenType::CloseCurly))
                return result;
            if (t.is(TokenType::OpenCurly)) {
                skipBlock(tokens);
                continue;
            }
            if (t.is(TokenType::Semicolon))
                continue;
            valid = false;
        }
        for (Token v = tokens.next();; v = tokens.next()) {
            if (v.is(TokenType::End))
                break;
            if (depth == 0 && v.is(TokenType::Semicolon))
                break;
            if (depth == 0 && v.is(TokenType::CloseCurly)) {
                endsBlock = true;
                break;
            }
            if (depth == 0 && v.is(TokenType::OpenCurly)) {
                // A nested rule: read past its block; what came before is no declaration.
                skipBlock(tokens);
                valid = false;
                if (!declaration)
                    break;
                continue;
            }
            if (v.is(TokenType::OpenParen) || v.is(TokenType::Function) ||
                v.is(TokenType::OpenSquare) || v.is(TokenType::OpenCurly)) {
                ++depth;
                valid = false;
                continue;
            }
            if (v.is(TokenType::CloseParen) || v.is(TokenType::CloseSquare) ||
                v.is(TokenType::CloseCurly)) {
                depth = std::max(0, depth - 1);
                continue;
            }
            if (!valid || depth > 0 || v.is(TokenType::Whitespace))
                continue;
            if (important) {
                valid = false; // nothing may follow !important
            } else if (bang) {
                if (v.isIdent("important"))
                    important = true;
                else
                    valid = false;
                bang = false;
            } else if (v.isDelim('!')) {
                bang = true;
            } else if (v.is(TokenType::Ident) && words.size() < 4) {
                words.push_back(v.text);
            } else {
                valid = false;
            }
        }
        if (valid && !bang && !words.empty()) {
            if (const auto value = valueOf(*property, name, words))
                result.declare(*property, *value, important);
        }
        if (endsBlock)
            return result;
    }
}

Declarations parseStyleAttribute(QByteArrayView style)
{
    Tokenizer tokens(style);
    return readDeclarations(tokens);
}

} // namespace tv::css
