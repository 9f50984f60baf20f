#pragma once
// How one element renders: the browser's defaults for its kind (see tagkinds.h), what the page's
// styles declare for it, and what it inherits from its parent, resolved as a browser computes
// them (CSS-wide keywords, inheritance, and the blockification of floats, absolutely
// positioned boxes and the items of flex and grid containers).
#include "fetch/tagkinds.h"
#include "style/declarations.h"

#include <cstdint>

struct GumboInternalNode;

namespace tv {

namespace css {
class PageStyle;
}

// Which children of an element may render at all.
enum class Filter : std::uint8_t {
    All,
    SelectOptions,   // only option and optgroup elements
    OptgroupOptions, // only option elements
    OnlyChild,       // closed details: only its first summary
    TableWrapper,    // white-space-only text dropped
    SvgGraphics,     // no text outside an SVG text element
};

// What an element passes on to its children.
struct Inherited {
    bool visible = true;
    WhiteSpace whiteSpace = WhiteSpace::Normal;
    TextTransform transform = TextTransform::None;
    Filter filter = Filter::All;
    bool blockifiesChildren = false; // a flex or grid container
    std::uint8_t displayValue = 0;   // its display keyword, for children that inherit it
};

struct Rendering {
    bool rendered = false; // false: neither it nor anything inside shows
    Display display = Display::Inline;
    Role role = Role::Normal;
    bool paragraph = false;
    bool replaced = false; // a box of its own whose children do not render
    Filter filter = Filter::All;
    bool visible = true;
    WhiteSpace whiteSpace = WhiteSpace::Normal;
    TextTransform transform = TextTransform::None;
    bool turkic = false;
    bool blockifiesChildren = false;
    std::uint8_t displayValue = 0;

    Inherited inherited() const
    {
        return {visible, whiteSpace, transform, filter, blockifiesChildren, displayValue};
    }
};

// The rendering of `node`, element number `element` of the page's style.
Rendering renderingOf(const GumboInternalNode* node, int element, const Inherited& parent,
                      const css::PageStyle& style);

} // namespace tv
