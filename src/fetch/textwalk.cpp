#include "fetch/textwalk.h"

#include "style/pagestyle.h"

#include <cstring>
#include <gumbo.h>

namespace tv {

namespace {

const GumboNode* firstSummary(const GumboNode* details)
{
    const GumboVector& children = details->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT &&
            child->v.element.tag_namespace == GUMBO_NAMESPACE_HTML &&
            child->v.element.tag == GUMBO_TAG_SUMMARY)
            return child;
    }
    return nullptr;
}

int breaksOf(const Rendering& r)
{
    return r.paragraph ? 2 : (r.display == Display::Block ? 1 : 0);
}

} // namespace

void TextWalk::run(const GumboNode* root)
{
    if (root == nullptr || root->type != GUMBO_NODE_ELEMENT || m_style.elements().size() == 0)
        return;
    Frame top{};
    top.r.rendered = true;
    top.r.display = Display::Contents;
    enter(root, 0, top);
    const css::ElementTree& tree = m_style.elements();
    while (!m_stack.empty()) {
        Frame& frame = m_stack.back();
        const GumboVector& children = frame.node->v.element.children;
        if (frame.next >= children.length) {
            const Frame done = frame;
            m_stack.pop_back();
            leave(done);
            continue;
        }
        const auto* child = static_cast<const GumboNode*>(children.data[frame.next++]);
        switch (child->type) {
        case GUMBO_NODE_ELEMENT: {
            const int element = frame.nextElement;
            frame.nextElement = tree.end(element);
            if (passesFilter(child, frame))
                enter(child, element, frame); // may grow the stack: `frame` is not used after
            break;
        }
        case GUMBO_NODE_TEMPLATE: // its content is not rendered
            frame.nextElement = tree.end(frame.nextElement);
            break;
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE:
            text(child, frame);
            break;
        default: // comments
            break;
        }
    }
}

bool TextWalk::passesFilter(const GumboNode* child, const Frame& parent) const
{
    const GumboElement& el = child->v.element;
    switch (parent.r.filter) {
    case Filter::SelectOptions:
        return el.tag_namespace == GUMBO_NAMESPACE_HTML &&
               (el.tag == GUMBO_TAG_OPTION || el.tag == GUMBO_TAG_OPTGROUP);
    case Filter::OptgroupOptions:
        return el.tag_namespace == GUMBO_NAMESPACE_HTML && el.tag == GUMBO_TAG_OPTION;
    case Filter::OnlyChild:
        return child == parent.onlyChild;
    default:
        return true;
    }
}

void TextWalk::text(const GumboNode* node, const Frame& parent)
{
    if (!parent.r.visible)
        return;
    switch (parent.r.filter) {
    case Filter::SelectOptions:
    case Filter::OptgroupOptions:
    case Filter::OnlyChild:
    case Filter::SvgGraphics:
        return;
    case Filter::TableWrapper:
        if (node->type == GUMBO_NODE_WHITESPACE)
            return;
        break;
    default:
        break;
    }
    const char* s = node->v.text.text;
    m_out.text(s, std::strlen(s), parent.r.whiteSpace, parent.r.transform, parent.r.turkic);
}

void TextWalk::enter(const GumboNode* node, int element, const Frame& parent)
{
    const Rendering r = renderingOf(node, element, parent.r.inherited(), m_style);
    if (!r.rendered)
        return;
    Frame frame{node, nullptr, 0, element, element + 1, r};
    if (r.filter == Filter::OnlyChild)
        frame.onlyChild = firstSummary(node);
    if (r.role == Role::LineBreak) {
        if (r.visible)
            m_out.lineFeed();
        else
            m_out.lineEdge();
        return;
    }
    if (const int breaks = breaksOf(r); breaks > 0) {
        if (r.visible)
            m_out.requiredBreak(breaks);
        else
            m_out.lineEdge();
    }
    switch (r.display) {
    case Display::TableRow:
    case Display::TableCell:
        m_out.lineEdge();
        break;
    case Display::InlineBlock:
        m_out.atom();
        m_out.lineEdge();
        break;
    default:
        break;
    }
    if (r.replaced) {
        // Its children are fallback content that a browser does not show.
        frame.r.filter = Filter::OnlyChild;
        if (r.display != Display::InlineBlock)
            m_out.atom();
        leave(frame);
        return;
    }
    m_stack.push_back(frame);
}

void TextWalk::leave(const Frame& frame)
{
    const Rendering& r = frame.r;
    switch (r.display) {
    case Display::TableCell:
        m_out.lineEdge();
        if (r.visible && !m_stack.empty() &&
            !isLastCell(frame.element, m_stack.back().r.inherited()))
            m_out.tab();
        break;
    case Display::TableRow:
        m_out.lineEdge();
        if (r.visible && !isLastRow(frame.element))
            m_out.lineFeed();
        break;
    case Display::InlineBlock:
        m_out.lineEdge();
        m_out.atom();
        break;
    default:
        break;
    }
    if (const int breaks = breaksOf(r); breaks > 0) {
        if (r.visible)
            m_out.requiredBreak(breaks);
        else
            m_out.lineEdge();
    }
}

Display TextWalk::displayOf(int element, const Inherited& parent) const
{
    const Rendering r = renderingOf(m_style.elements().node(element), element, parent, m_style);
    return r.rendered ? r.display : Display::None;
}

// A cell is the last of its row when no rendered cell follows it.
bool TextWalk::isLastCell(int cell, const Inherited& row) const
{
    const css::ElementTree& tree = m_style.elements();
    for (int s = tree.nextSibling(cell); s >= 0; s = tree.nextSibling(s)) {
        if (displayOf(s, row) == Display::TableCell)
            return false;
    }
    return true;
}

bool TextWalk::containsRow(int group, const Inherited& table) const
{
    const css::ElementTree& tree = m_style.elements();
    const Inherited inside = renderingOf(tree.node(group), group, table, m_style).inherited();
    for (int c = group + 1 < tree.end(group) ? group + 1 : -1; c >= 0; c = tree.nextSibling(c)) {
        if (displayOf(c, inside) == Display::TableRow)
            return true;
    }
    return false;
}

// A row is the last of its table when no rendered row follows it, in its own row group or in
// the groups after it. Called as the row is left: the stack holds its ancestors.
bool TextWalk::isLastRow(int row) const
{
    const css::ElementTree& tree = m_style.elements();
    int node = row;
    for (std::size_t k = m_stack.size(); k > 0; --k) {
        const Frame& parent = m_stack[k - 1];
        const Inherited inherited = parent.r.inherited();
        for (int s = tree.nextSibling(node); s >= 0; s = tree.nextSibling(s)) {
            const Display d = displayOf(s, inherited);
            if (d == Display::TableRow || (d == Display::TableGroup && containsRow(s, inherited)))
                return false;
        }
        if (parent.r.display != Display::TableGroup)
            return true;
        node = parent.element;
    }
    return true;
}

} // namespace tv
