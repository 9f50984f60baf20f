#include "fetch/renderedtext.h"

#include "fetch/arena.h"
#include "fetch/controlchars.h"
#include "fetch/htmlbounds.h"
#include "fetch/inlinestyle.h"
#include "fetch/stylesheet.h"
#include "fetch/tagkinds.h"
#include "fetch/textbuilder.h"
#include "platform/guard.h"

#include <cstring>
#include <gumbo.h>
#include <vector>

namespace tv {

namespace {

enum class Filter : std::uint8_t {
    All,
    SelectOptions,   // only option and optgroup elements
    OptgroupOptions, // only option elements
    OnlyChild,       // closed details: only its first summary
    TableWrapper,    // white-space-only text dropped
    SvgGraphics,     // no text outside an SVG text element
};

struct Frame {
    const GumboNode* node;
    const GumboNode* onlyChild;
    unsigned next;
    Display display;
    Filter filter;
    WhiteSpace whiteSpace;
    TextTransform transform;
    bool visible;
    bool paragraph;
};

// What an element turned out to be once its attributes were read.
struct Rendering {
    bool rendered = false;
    Display display = Display::Inline;
    Role role = Role::Normal;
    bool paragraph = false;
    bool replaced = false;
    Filter filter = Filter::All;
    InlineStyle style;
    WhiteSpace defaultWhiteSpace = WhiteSpace::Normal;
    bool setsWhiteSpace = false;
    bool detailsOpen = false;
};

const GumboVector& childrenOf(const GumboNode* node)
{
    return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
}

bool equalsIgnoreCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        const char x = (*a >= 'A' && *a <= 'Z') ? char(*a + 32) : *a;
        if (x != *b)
            return false;
    }
    return *a == *b;
}

// The lower-case name of an element gumbo does not know (custom elements, most SVG tags).
QByteArray originalName(const GumboElement& element)
{
    GumboStringPiece piece = element.original_tag;
    if (piece.data == nullptr || piece.length == 0)
        return {};
    gumbo_tag_from_original_text(&piece);
    return QByteArray(piece.data, qsizetype(piece.length)).toLower();
}

QByteArray elementName(const GumboElement& element)
{
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return QByteArray(gumbo_normalized_tagname(element.tag));
    return originalName(element);
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

Rendering renderingOf(const GumboNode* node, Filter parentFilter, const StyleSheet& sheet)
{
    Rendering r;
    const GumboElement& el = node->v.element;

    const char* styleValue = nullptr;
    bool hidden = false;
    bool typeHidden = false;
    bool open = false;
    bool controls = false;
    for (unsigned i = 0; i < el.attributes.length; ++i) {
        const auto* attr = static_cast<const GumboAttribute*>(el.attributes.data[i]);
        const char* name = attr->name;
        if (std::strcmp(name, "style") == 0)
            styleValue = attr->value;
        else if (std::strcmp(name, "hidden") == 0)
            hidden = true;
        else if (std::strcmp(name, "type") == 0)
            typeHidden = equalsIgnoreCase(attr->value, "hidden");
        else if (std::strcmp(name, "open") == 0)
            open = true;
        else if (std::strcmp(name, "controls") == 0)
            controls = true;
    }
    if (styleValue)
        r.style = parseInlineStyle(QByteArrayView(styleValue, qsizetype(std::strlen(styleValue))));
    if (!sheet.isEmpty())
        r.style = cascade(sheet.match(node), r.style);

    if (el.tag_namespace == GUMBO_NAMESPACE_SVG) {
        const QByteArray name = elementName(el);
        if (isSvgHidden(name))
            return r;
        if (name == "text") {
            r.display = Display::Block;
        } else if (name == "foreignobject") {
            r.display = Display::Block;
        } else {
            // Graphics show no text of their own; inside a text element everything does.
            r.display = Display::Inline;
            r.filter = (name == "svg" || parentFilter == Filter::SvgGraphics) ? Filter::SvgGraphics
                                                                              : Filter::All;
        }
    } else if (el.tag_namespace == GUMBO_NAMESPACE_MATHML) {
        const QByteArray name = elementName(el);
        if (name == "annotation" || name == "annotation-xml")
            return r;
        r.display = Display::Inline;
    } else {
        if (hidden)
            return r;
        const TagInfo& info =
            el.tag == GUMBO_TAG_UNKNOWN ? tagInfoByName(originalName(el)) : tagInfo(el.tag);
        r.display = info.display;
        r.role = info.role;
        r.defaultWhiteSpace = info.whiteSpace;
        r.setsWhiteSpace = info.setsWhiteSpace;
        r.paragraph = info.role == Role::Paragraph;
        switch (info.role) {
        case Role::Replaced:
            r.replaced = true;
            break;
        case Role::Input:
            if (typeHidden)
                return r;
            r.replaced = true;
            break;
        case Role::Audio:
            if (!controls)
                return r;
            r.replaced = true;
            break;
        case Role::Dialog:
            if (!open)
                return r;
            break;
        case Role::Details:
            r.detailsOpen = open;
            if (!open)
                r.filter = Filter::OnlyChild;
            break;
        case Role::Select:
            r.filter = Filter::SelectOptions;
            break;
        case Role::Optgroup:
            if (parentFilter == Filter::SelectOptions)
                r.filter = Filter::OptgroupOptions;
            break;
        case Role::TableWrapper:
            r.filter = Filter::TableWrapper;
            break;
        default:
            break;
        }
    }
    if (r.style.display)
        r.display = *r.style.display;
    r.rendered = r.display != Display::None;
    return r;
}

// Whether a child element may render at all under its parent's filter.
bool passesFilter(const GumboNode* child, const Frame& parent)
{
    const GumboElement& el = child->v.element;
    switch (parent.filter) {
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

Display displayOf(const GumboNode* node, const StyleSheet& sheet)
{
    if (node->type != GUMBO_NODE_ELEMENT)
        return Display::None;
    const Rendering r = renderingOf(node, Filter::All, sheet);
    return r.rendered ? r.display : Display::None;
}

// A cell is the last of its row when no rendered cell follows it.
bool isLastCell(const GumboNode* cell, const StyleSheet& sheet)
{
    const GumboNode* parent = cell->parent;
    if (parent == nullptr)
        return true;
    const GumboVector& siblings = childrenOf(parent);
    for (unsigned i = cell->index_within_parent + 1; i < siblings.length; ++i) {
        if (displayOf(static_cast<const GumboNode*>(siblings.data[i]), sheet) == Display::TableCell)
            return false;
    }
    return true;
}

bool containsRow(const GumboNode* group, const StyleSheet& sheet)
{
    const GumboVector& children = group->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        if (displayOf(static_cast<const GumboNode*>(children.data[i]), sheet) == Display::TableRow)
            return true;
    }
    return false;
}

// A row is the last of its table when no rendered row follows it, in its own row group or in
// the groups after it.
bool isLastRow(const GumboNode* row, const StyleSheet& sheet)
{
    const GumboNode* node = row;
    for (;;) {
        const GumboNode* parent = node->parent;
        if (parent == nullptr)
            return true;
        const GumboVector& siblings = childrenOf(parent);
        for (unsigned i = node->index_within_parent + 1; i < siblings.length; ++i) {
            const auto* sibling = static_cast<const GumboNode*>(siblings.data[i]);
            const Display d = displayOf(sibling, sheet);
            if (d == Display::TableRow || (d == Display::TableGroup && containsRow(sibling, sheet)))
                return false;
        }
        if (parent->type != GUMBO_NODE_ELEMENT || displayOf(parent, sheet) != Display::TableGroup)
            return true;
        node = parent;
    }
}

class Walker {
public:
    Walker(TextBuilder& out, const StyleSheet& sheet) : m_out(out), m_sheet(sheet) {}
    void run(const GumboNode* root);

private:
    void enter(const GumboNode* node, const Frame& parent);
    void leave(const Frame& frame);
    void text(const GumboNode* node, const Frame& parent);

    TextBuilder& m_out;
    const StyleSheet& m_sheet;
    std::vector<Frame> m_stack;
};

void Walker::run(const GumboNode* root)
{
    if (root == nullptr)
        return;
    Frame top{};
    top.node = nullptr;
    top.display = Display::Contents;
    top.filter = Filter::All;
    top.whiteSpace = WhiteSpace::Normal;
    top.transform = TextTransform::None;
    top.visible = true;
    enter(root, top);
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
        case GUMBO_NODE_ELEMENT:
            if (passesFilter(child, frame))
                enter(child, frame); // may grow the stack: `frame` is not used after this
            break;
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE:
            text(child, frame);
            break;
        default: // comments, templates
            break;
        }
    }
}

void Walker::text(const GumboNode* node, const Frame& parent)
{
    if (!parent.visible)
        return;
    switch (parent.filter) {
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
    m_out.text(s, std::strlen(s), parent.whiteSpace, parent.transform);
}

void Walker::enter(const GumboNode* node, const Frame& parent)
{
    const Rendering r = renderingOf(node, parent.filter, m_sheet);
    if (!r.rendered)
        return;
    Frame frame{};
    frame.node = node;
    frame.display = r.display;
    frame.filter = r.filter;
    frame.paragraph = r.paragraph;
    frame.visible =
        r.style.visibility ? *r.style.visibility == Visibility::Visible : parent.visible;
    frame.whiteSpace = r.style.whiteSpace ? *r.style.whiteSpace
                       : r.setsWhiteSpace ? r.defaultWhiteSpace
                                          : parent.whiteSpace;
    frame.transform = r.style.textTransform.value_or(parent.transform);
    if (frame.filter == Filter::OnlyChild)
        frame.onlyChild = firstSummary(node);

    if (r.role == Role::LineBreak) {
        if (frame.visible)
            m_out.lineFeed();
        else
            m_out.lineEdge();
        return;
    }
    const int breaks = r.paragraph ? 2 : (r.display == Display::Block ? 1 : 0);
    if (breaks > 0) {
        if (frame.visible)
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
        frame.filter = Filter::OnlyChild;
        frame.onlyChild = nullptr;
        if (r.display != Display::InlineBlock)
            m_out.atom();
        leave(frame);
        return;
    }
    m_stack.push_back(frame);
}

void Walker::leave(const Frame& frame)
{
    switch (frame.display) {
    case Display::TableCell:
        m_out.lineEdge();
        if (frame.visible && !isLastCell(frame.node, m_sheet))
            m_out.tab();
        break;
    case Display::TableRow:
        m_out.lineEdge();
        if (frame.visible && !isLastRow(frame.node, m_sheet))
            m_out.lineFeed();
        break;
    case Display::InlineBlock:
        m_out.lineEdge();
        m_out.atom();
        break;
    default:
        break;
    }
    const int breaks = frame.paragraph ? 2 : (frame.display == Display::Block ? 1 : 0);
    if (breaks > 0) {
        if (frame.visible)
            m_out.requiredBreak(breaks);
        else
            m_out.lineEdge();
    }
}

// The rules of the page's style elements (not those inside templates, nor print-only ones).
StyleSheet collectStyleSheet(const GumboNode* document)
{
    StyleSheet sheet;
    std::vector<const GumboNode*> pending{document};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT)
            continue;
        const GumboVector& children = childrenOf(node);
        if (node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == GUMBO_TAG_STYLE) {
            const GumboAttribute* media = gumbo_get_attribute(&node->v.element.attributes, "media");
            const QByteArray query = media ? QByteArray(media->value).trimmed().toLower() : "";
            if (query.isEmpty() || query == "all" || query == "screen" || query == "only screen") {
                for (unsigned i = 0; i < children.length; ++i) {
                    const auto* child = static_cast<const GumboNode*>(children.data[i]);
                    if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
                        child->type == GUMBO_NODE_CDATA)
                        sheet.addCss(child->v.text.text);
                }
            }
            continue;
        }
        for (unsigned i = children.length; i-- > 0;)
            pending.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
    return sheet;
}

} // namespace

namespace {

RenderedPage renderWithin(const QByteArray& utf8Html, NestingLimits limits, std::size_t budget)
{
    const QByteArray html = disguiseControls(boundNesting(utf8Html, limits));
    Arena arena;
    arena.setBudget(budget);
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &Arena::gumboAllocate;
    options.deallocator = &Arena::gumboDeallocate;
    options.userdata = &arena;
    options.max_errors = 0;
    // The tree lives in the arena and goes with it: gumbo_destroy_output is never called.
    const GumboOutput* output =
        gumbo_parse_with_options(&options, html.constData(), std::size_t(html.size()));
    RenderedPage page;
    StyleSheet sheet = collectStyleSheet(output->document);
    TextBuilder builder;
    Walker(builder, sheet).run(output->root);
    if (sheet.isSpent()) {
        // Style rules built to take minutes are not worth them: the page is read without them.
        page.notes << QStringLiteral("The page's style rules would take too long to apply, so "
                                     "its text was read without them");
        builder = TextBuilder();
        Walker(builder, StyleSheet()).run(output->root);
    }
    page.text = builder.result();
    if (html.constData() != utf8Html.constData() || html.size() != utf8Html.size())
        revealControls(page.text);
    return page;
}

} // namespace

QString renderedText(const QByteArray& utf8Html)
{
    return renderPage(utf8Html).text;
}

RenderedPage renderPage(const QByteArray& utf8Html)
{
    // Ordinary pages need a fraction of this; a page past it is built to multiply its tree.
    const std::size_t budget = std::size_t(64) * 1024 * 1024 + 32 * std::size_t(utf8Html.size());
    try {
        return renderWithin(utf8Html, NestingLimits{}, budget);
    } catch (const ArenaExhausted&) {
    }
    // The tree multiplies when the parse reopens the open formatting elements (b, font, a, ...)
    // in every new block; without them it is no larger than the tags, and the text the same
    // but for the styles of those elements.
    try {
        return renderWithin(utf8Html, NestingLimits{NestingLimits{}.maxDepth, 0}, budget);
    } catch (const ArenaExhausted&) {
        throw Failure(QStringLiteral("The page is built so that reading it would take more than "
                                     "%1 MB of memory")
                          .arg(budget / (1024 * 1024)));
    }
}

} // namespace tv
