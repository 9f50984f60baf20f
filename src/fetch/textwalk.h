#pragma once
// The walk over a parsed page that collects its rendered text, as a browser's innerText does:
// elements in document order, each rendered as its kind, the page's styles and its parent say
// (elementrendering.h), strings and required line breaks handed to a TextBuilder. The walk
// keeps its own stack, so a page nested thousands of levels deep cannot exhaust the program's.
#include "fetch/elementrendering.h"
#include "fetch/textbuilder.h"

#include <vector>

struct GumboInternalNode;

namespace tv {

namespace css {
class PageStyle;
}

class TextWalk {
public:
    TextWalk(TextBuilder& out, const css::PageStyle& style) : m_out(out), m_style(style) {}
    // Walks the root element (element number 0 of the page's style) and all inside it.
    void run(const GumboInternalNode* root);

private:
    struct Frame {
        const GumboInternalNode* node;
        const GumboInternalNode* onlyChild; // with Filter::OnlyChild
        unsigned next;                      // the next child node to visit
        int element;                        // its number among the page's elements
        int nextElement;                    // the number of its next element child
        Rendering r;
    };

    void enter(const GumboInternalNode* node, int element, const Frame& parent);
    void leave(const Frame& frame);
    void text(const GumboInternalNode* node, const Frame& parent);
    bool passesFilter(const GumboInternalNode* child, const Frame& parent) const;
    Display displayOf(int element, const Inherited& parent) const;
    bool isLastCell(int cell, const Inherited& row) const;
    bool containsRow(int group, const Inherited& table) const;
    bool isLastRow(int row) const;

    TextBuilder& m_out;
    const css::PageStyle& m_style;
    std::vector<Frame> m_stack;
};

} // namespace tv
