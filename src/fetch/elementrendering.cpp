#include "fetch/elementrendering.h"

#include "style/pagestyle.h"

#include <QByteArray>
#include <cstring>
#include <gumbo.h>

namespace tv {

namespace {

using css::DisplayValue;

std::uint8_t code(DisplayValue v)
{
    return std::uint8_t(v);
}

// The attributes that change how an element renders by default.
struct Attributes {
    bool hidden = false;
    bool typeHidden = false; // input type=hidden
    bool open = false;
    bool controls = false;
};

bool equalsIgnoreCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        const char x = (*a >= 'A' && *a <= 'Z') ? char(*a + 32) : *a;
        if (x != *b)
            return false;
    }
    return *a == *b;
}

Attributes readAttributes(const GumboElement& el)
{
    Attributes a;
    for (unsigned i = 0; i < el.attributes.length; ++i) {
        const auto* attr = static_cast<const GumboAttribute*>(el.attributes.data[i]);
        const char* name = attr->name;
        if (std::strcmp(name, "hidden") == 0)
            a.hidden = true;
        else if (std::strcmp(name, "type") == 0)
            a.typeHidden = equalsIgnoreCase(attr->value, "hidden");
        else if (std::strcmp(name, "open") == 0)
            a.open = true;
        else if (std::strcmp(name, "controls") == 0)
            a.controls = true;
    }
    return a;
}

// The lower-case name of an element gumbo does not know (custom elements, most SVG tags).
QByteArray elementName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return QByteArray(gumbo_normalized_tagname(element.tag));
    GumboStringPiece piece = element.original_tag;
    if (piece.data == nullptr || piece.length == 0)
        return {};
    gumbo_tag_from_original_text(&piece);
    return QByteArray(piece.data, qsizetype(piece.length)).toLower();
}

// What the browser's own style sheet and the element's kind give it.
struct Defaults {
    bool neverRendered = false; // not even the page's styles can show it
    std::uint8_t display = code(DisplayValue::Inline);
    Role role = Role::Normal;
    Filter filter = Filter::All;
    bool replaced = false;
    WhiteSpace whiteSpace = WhiteSpace::Normal;
    bool setsWhiteSpace = false;
};

std::uint8_t displayCode(Display d)
{
    switch (d) {
    case Display::Inline:
        return code(DisplayValue::Inline);
    case Display::Block:
        return code(DisplayValue::Block);
    case Display::None:
        return code(DisplayValue::None);
    case Display::InlineBlock:
        return code(DisplayValue::InlineBlock);
    case Display::TableRow:
        return code(DisplayValue::TableRow);
    case Display::TableCell:
        return code(DisplayValue::TableCell);
    case Display::TableGroup:
        return code(DisplayValue::TableRowGroup);
    case Display::Contents:
        return code(DisplayValue::Contents);
    }
    return code(DisplayValue::Inline);
}

bool isSvgHidden(const QByteArray& name)
{
    static const char* const names[] = {
        "title",          "desc",     "metadata",  "script",  "style",  "defs",
        "symbol",         "clippath", "mask",      "pattern", "marker", "lineargradient",
        "radialgradient", "filter",   "font-face", "cursor",  "view"};
    for (const char* n : names) {
        if (name == n)
            return true;
    }
    return false;
}

Defaults svgDefaults(const GumboElement& el, Filter parentFilter)
{
    Defaults d;
    const QByteArray name = elementName(el);
    if (isSvgHidden(name)) {
        d.neverRendered = true;
    } else if (name == "text" || name == "foreignobject") {
        d.display = code(DisplayValue::Block);
    } else {
        // Graphics show no text of their own; inside a text element everything does.
        d.filter = (name == "svg" || parentFilter == Filter::SvgGraphics) ? Filter::SvgGraphics
                                                                          : Filter::All;
    }
    return d;
}

Defaults mathDefaults(const GumboElement& el)
{
    Defaults d;
    const QByteArray name = elementName(el);
    d.neverRendered = name == "annotation" || name == "annotation-xml";
    return d;
}

Defaults htmlDefaults(const GumboElement& el, const Attributes& a, Filter parentFilter)
{
    Defaults d;
    const TagInfo& info =
        el.tag == GUMBO_TAG_UNKNOWN ? tagInfoByName(elementName(el)) : tagInfo(el.tag);
    d.display = displayCode(info.display);
    d.role = info.role;
    d.whiteSpace = info.whiteSpace;
    d.setsWhiteSpace = info.setsWhiteSpace;
    switch (info.role) {
    case Role::Replaced:
        d.replaced = true;
        break;
    case Role::Input:
        d.neverRendered = a.typeHidden;
        d.replaced = true;
        break;
    case Role::Audio:
        d.neverRendered = !a.controls;
        d.replaced = true;
        break;
    case Role::Dialog:
        if (!a.open)
            d.display = code(DisplayValue::None);
        break;
    case Role::Details:
        if (!a.open)
            d.filter = Filter::OnlyChild;
        break;
    case Role::Select:
        d.filter = Filter::SelectOptions;
        break;
    case Role::Optgroup:
        if (parentFilter == Filter::SelectOptions)
            d.filter = Filter::OptgroupOptions;
        break;
    case Role::TableWrapper:
        d.filter = Filter::TableWrapper;
        break;
    default:
        break;
    }
    if (a.hidden)
        d.display = code(DisplayValue::None);
    return d;
}

std::uint8_t resolveDisplay(std::uint8_t declared, std::uint8_t ua, std::uint8_t parent)
{
    if (declared >= css::kFirstKeyword)
        return declared;
    if (declared == css::kInherit)
        return parent != 0 ? parent : code(DisplayValue::Inline);
    if (declared == css::kInitial)
        return code(DisplayValue::Inline);
    return ua; // not declared, or reverted to the browser's own
}

// The block-level counterpart of a display, as floats, absolutely positioned boxes and flex
// and grid items get it.
std::uint8_t blockified(std::uint8_t v)
{
    switch (DisplayValue(v)) {
    case DisplayValue::InlineTable:
        return code(DisplayValue::Table);
    case DisplayValue::InlineFlex:
        return code(DisplayValue::Flex);
    case DisplayValue::InlineGrid:
        return code(DisplayValue::Grid);
    case DisplayValue::None:
    case DisplayValue::Contents:
    case DisplayValue::Block:
    case DisplayValue::FlowRoot:
    case DisplayValue::ListItem:
    case DisplayValue::Table:
    case DisplayValue::Flex:
    case DisplayValue::Grid:
        return v;
    default:
        return code(DisplayValue::Block);
    }
}

Display displayOf(std::uint8_t v)
{
    switch (DisplayValue(v)) {
    case DisplayValue::None:
    case DisplayValue::TableColumn:
    case DisplayValue::TableColumnGroup:
        return Display::None;
    case DisplayValue::Contents:
        return Display::Contents;
    case DisplayValue::Inline:
    case DisplayValue::Ruby:
    case DisplayValue::RubyText:
        return Display::Inline;
    case DisplayValue::InlineBlock:
    case DisplayValue::InlineTable:
    case DisplayValue::InlineFlex:
    case DisplayValue::InlineGrid:
        return Display::InlineBlock;
    case DisplayValue::TableRowGroup:
    case DisplayValue::TableHeaderGroup:
    case DisplayValue::TableFooterGroup:
        return Display::TableGroup;
    case DisplayValue::TableRow:
        return Display::TableRow;
    case DisplayValue::TableCell:
        return Display::TableCell;
    default:
        return Display::Block;
    }
}

bool isContainerOfItems(std::uint8_t v)
{
    return v == code(DisplayValue::Flex) || v == code(DisplayValue::InlineFlex) ||
           v == code(DisplayValue::Grid) || v == code(DisplayValue::InlineGrid);
}

WhiteSpace whiteSpaceOf(std::uint8_t v)
{
    switch (css::WhiteSpaceValue(v)) {
    case css::WhiteSpaceValue::NoWrap:
        return WhiteSpace::NoWrap;
    case css::WhiteSpaceValue::Pre:
        return WhiteSpace::Pre;
    case css::WhiteSpaceValue::PreWrap:
        return WhiteSpace::PreWrap;
    case css::WhiteSpaceValue::PreLine:
        return WhiteSpace::PreLine;
    case css::WhiteSpaceValue::BreakSpaces:
        return WhiteSpace::BreakSpaces;
    default:
        return WhiteSpace::Normal;
    }
}

TextTransform transformOf(std::uint8_t v)
{
    switch (css::TextTransformValue(v)) {
    case css::TextTransformValue::Uppercase:
        return TextTransform::Uppercase;
    case css::TextTransformValue::Lowercase:
        return TextTransform::Lowercase;
    case css::TextTransformValue::Capitalize:
        return TextTransform::Capitalize;
    default:
        return TextTransform::None;
    }
}

// The inherited properties: a keyword sets them, "initial" resets them, anything else (not
// declared, inherit, revert) keeps what the parent has, or what the browser gives the element.
void resolveInherited(Rendering& r, const css::Declarations& declared, const Defaults& d,
                      const Inherited& parent)
{
    const std::uint8_t visibility = declared.value(css::Property::Visibility);
    r.visible = visibility >= css::kFirstKeyword
                    ? visibility == std::uint8_t(css::VisibilityValue::Visible)
                    : (visibility == css::kInitial || parent.visible);
    const std::uint8_t ws = declared.value(css::Property::WhiteSpace);
    r.whiteSpace = ws >= css::kFirstKeyword ? whiteSpaceOf(ws)
                   : ws == css::kInitial    ? WhiteSpace::Normal
                   : ws == css::kInherit    ? parent.whiteSpace
                   : d.setsWhiteSpace       ? d.whiteSpace
                                            : parent.whiteSpace;
    const std::uint8_t tt = declared.value(css::Property::TextTransform);
    r.transform = tt >= css::kFirstKeyword ? transformOf(tt)
                  : tt == css::kInitial    ? TextTransform::None
                                           : parent.transform;
}

} // namespace

Rendering renderingOf(const GumboNode* node, int element, const Inherited& parent,
                      const css::PageStyle& style)
{
    Rendering r;
    const GumboElement& el = node->v.element;
    const Defaults d = el.tag_namespace == GUMBO_NAMESPACE_SVG ? svgDefaults(el, parent.filter)
                       : el.tag_namespace == GUMBO_NAMESPACE_MATHML
                           ? mathDefaults(el)
                           : htmlDefaults(el, readAttributes(el), parent.filter);
    if (d.neverRendered)
        return r;
    const css::Declarations& declared = style.declared(element);
    r.role = d.role;
    r.replaced = d.replaced;
    r.filter = d.filter;

    std::uint8_t display =
        resolveDisplay(declared.value(css::Property::Display), d.display, parent.displayValue);
    const std::uint8_t floating = declared.value(css::Property::Float);
    const std::uint8_t position = declared.value(css::Property::Position);
    const bool outOfFlow = floating == std::uint8_t(css::FloatValue::Left) ||
                           floating == std::uint8_t(css::FloatValue::Right) ||
                           position == std::uint8_t(css::PositionValue::Absolute) ||
                           position == std::uint8_t(css::PositionValue::Fixed);
    if (parent.blockifiesChildren || outOfFlow || element == 0)
        display = blockified(display);
    r.displayValue = display;
    r.display = displayOf(display);
    r.rendered = r.display != Display::None;
    // Without a box of its own a p element is not rendered itself: no lines of its own.
    r.paragraph = d.role == Role::Paragraph && r.display != Display::Contents;
    // An element without a box of its own passes its parent's items on to its children.
    r.blockifiesChildren =
        r.display == Display::Contents ? parent.blockifiesChildren : isContainerOfItems(display);
    resolveInherited(r, declared, d, parent);
    r.turkic = style.isTurkic(element);
    return r;
}

} // namespace tv
