#include "fetch/inlinestyle.h"

#include <QByteArray>

namespace tv {

namespace {

bool isCssSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && isCssSpace(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isCssSpace(v.back()))
        v.chop(1);
    return v;
}

std::optional<Display> displayValue(QByteArrayView v)
{
    if (v == "none")
        return Display::None;
    if (v == "block" || v == "list-item" || v == "flex" || v == "grid" || v == "table" ||
        v == "flow-root" || v == "table-caption" || v == "block flow" || v == "block flex" ||
        v == "block grid")
        return Display::Block;
    if (v == "inline" || v == "ruby" || v == "run-in" || v == "inline flow")
        return Display::Inline;
    if (v == "inline-block" || v == "inline-flex" || v == "inline-grid" || v == "inline-table" ||
        v == "inline flow-root" || v == "inline flex" || v == "inline grid")
        return Display::InlineBlock;
    if (v == "table-row")
        return Display::TableRow;
    if (v == "table-cell")
        return Display::TableCell;
    if (v == "table-row-group" || v == "table-header-group" || v == "table-footer-group" ||
        v == "table-column" || v == "table-column-group")
        return Display::TableGroup;
    if (v == "contents")
        return Display::Contents;
    return std::nullopt;
}

std::optional<WhiteSpace> whiteSpaceValue(QByteArrayView v)
{
    if (v == "normal")
        return WhiteSpace::Normal;
    if (v == "nowrap")
        return WhiteSpace::NoWrap;
    if (v == "pre")
        return WhiteSpace::Pre;
    if (v == "pre-wrap")
        return WhiteSpace::PreWrap;
    if (v == "pre-line")
        return WhiteSpace::PreLine;
    if (v == "break-spaces")
        return WhiteSpace::BreakSpaces;
    return std::nullopt;
}

std::optional<TextTransform> textTransformValue(QByteArrayView v)
{
    if (v == "none")
        return TextTransform::None;
    if (v == "uppercase")
        return TextTransform::Uppercase;
    if (v == "lowercase")
        return TextTransform::Lowercase;
    if (v == "capitalize")
        return TextTransform::Capitalize;
    return std::nullopt;
}

// Later declarations win, except over an earlier !important one.
template <class T>
void assign(std::optional<T>& slot, bool& slotImportant, std::optional<T> value, bool important)
{
    if (!value || (slotImportant && !important))
        return;
    slot = value;
    slotImportant = important;
}

} // namespace

InlineStyle parseInlineStyle(QByteArrayView style)
{
    InlineStyle result;
    bool important[4] = {};
    const QByteArray lower = style.toByteArray().toLower();
    QByteArrayView rest(lower);
    while (!rest.isEmpty()) {
        qsizetype end = rest.indexOf(';');
        if (end < 0)
            end = rest.size();
        const QByteArrayView declaration = rest.first(end);
        rest = end < rest.size() ? rest.sliced(end + 1) : QByteArrayView();

        const qsizetype colon = declaration.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArrayView property = trimmed(declaration.first(colon));
        QByteArrayView value = trimmed(declaration.sliced(colon + 1));
        bool isImportant = false;
        if (const qsizetype bang = value.indexOf('!'); bang >= 0) {
            isImportant = trimmed(value.sliced(bang + 1)) == "important";
            value = trimmed(value.first(bang));
        }
        if (property == "display")
            assign(result.display, important[0], displayValue(value), isImportant);
        else if (property == "visibility")
            assign(result.visibility, important[1],
                   value == "visible"                           ? std::optional(Visibility::Visible)
                   : (value == "hidden" || value == "collapse") ? std::optional(Visibility::Hidden)
                                                                : std::nullopt,
                   isImportant);
        else if (property == "white-space")
            assign(result.whiteSpace, important[2], whiteSpaceValue(value), isImportant);
        else if (property == "text-transform")
            assign(result.textTransform, important[3], textTransformValue(value), isImportant);
    }
    result.important =
        std::uint8_t((important[0] ? kDisplayBit : 0) | (important[1] ? kVisibilityBit : 0) |
                     (important[2] ? kWhiteSpaceBit : 0) | (important[3] ? kTextTransformBit : 0));
    return result;
}

namespace {
template <class T>
void pick(std::optional<T>& out, std::uint8_t& outImportant, std::uint8_t bit,
          const InlineStyle& under, const std::optional<T>& underValue, const InlineStyle& over,
          const std::optional<T>& overValue)
{
    const bool underWins =
        underValue && (!overValue || ((under.important & bit) && !(over.important & bit)));
    out = underWins ? underValue : (overValue ? overValue : underValue);
    if ((underWins ? under.important : over.important) & bit)
        outImportant |= bit;
}
} // namespace

InlineStyle cascade(const InlineStyle& under, const InlineStyle& over)
{
    InlineStyle r;
    pick(r.display, r.important, kDisplayBit, under, under.display, over, over.display);
    pick(r.visibility, r.important, kVisibilityBit, under, under.visibility, over, over.visibility);
    pick(r.whiteSpace, r.important, kWhiteSpaceBit, under, under.whiteSpace, over, over.whiteSpace);
    pick(r.textTransform, r.important, kTextTransformBit, under, under.textTransform, over,
         over.textTransform);
    return r;
}

} // namespace tv
