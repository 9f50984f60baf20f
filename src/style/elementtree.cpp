#include "style/elementtree.h"

#include <algorithm>
#include <cstring>
#include <gumbo.h>

namespace tv::css {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

QByteArrayView tagName(const GumboElement& el, QByteArray& scratch)
{
    if (el.tag != GUMBO_TAG_UNKNOWN) {
        const char* name = gumbo_normalized_tagname(el.tag);
        return QByteArrayView(name, qsizetype(std::strlen(name)));
    }
    GumboStringPiece piece = el.original_tag;
    if (piece.data == nullptr || piece.length == 0)
        return {};
    gumbo_tag_from_original_text(&piece);
    scratch = QByteArray(piece.data, qsizetype(piece.length)).toLower();
    return scratch;
}

bool isElement(const GumboNode* node)
{
    return node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
}

} // namespace

ElementTree::ElementTree(const GumboNode* root)
{
    if (root == nullptr || !isElement(root))
        return;
    struct Open {
        const GumboNode* node;
        unsigned next;
        int index;
        int lastChild;
    };
    std::vector<Open> open;
    addElement(root, -1, -1);
    if (root->type == GUMBO_NODE_TEMPLATE)
        m_elements[0].end = 1;
    else
        open.push_back({root, 0, 0, -1});
    while (!open.empty()) {
        Open& top = open.back();
        const GumboVector& children = top.node->v.element.children;
        if (top.next >= children.length) {
            m_elements[std::size_t(top.index)].end = size();
            open.pop_back();
            continue;
        }
        const auto* child = static_cast<const GumboNode*>(children.data[top.next++]);
        if (!isElement(child))
            continue;
        const int index = size();
        addElement(child, top.index, top.lastChild);
        top.lastChild = index;
        // A template's content is a separate document: not its children.
        if (child->type == GUMBO_NODE_TEMPLATE)
            m_elements[std::size_t(index)].end = index + 1;
        else
            open.push_back({child, 0, index, -1}); // `top` is not used after this
    }
}

void ElementTree::readNames(bool quirks)
{
    m_quirks = quirks;
    for (Element& e : m_elements)
        readNamesOf(e);
    countSiblings();
}

int ElementTree::intern(QByteArrayView name)
{
    const auto found = m_atoms.constFind(QByteArray::fromRawData(name.data(), name.size()));
    if (found != m_atoms.constEnd())
        return *found;
    const int atom = int(m_atomNames.size());
    m_atomNames.emplace_back(name.data(), name.size());
    m_atoms.insert(m_atomNames.back(), atom);
    return atom;
}

void ElementTree::addElement(const GumboNode* node, int parent, int previous)
{
    const GumboElement& el = node->v.element;
    Element e{};
    e.node = node;
    e.parent = parent;
    e.previous = previous;
    e.end = size() + 1;
    e.tag = kNoAtom;
    e.id = kNoAtom;
    e.lang = parent >= 0 ? m_elements[std::size_t(parent)].lang : nullptr;
    bool href = false;
    for (unsigned i = 0; i < el.attributes.length; ++i) {
        const auto* attr = static_cast<const GumboAttribute*>(el.attributes.data[i]);
        const char* attrName = attr->name;
        if (std::strcmp(attrName, "style") == 0)
            e.style = attr->value;
        else if (std::strcmp(attrName, "lang") == 0 || std::strcmp(attrName, "xml:lang") == 0)
            e.lang = attr->value;
        else if (std::strcmp(attrName, "href") == 0)
            href = true;
    }
    if (el.tag == GUMBO_TAG_STYLE ||
        (el.tag_namespace == GUMBO_NAMESPACE_HTML && el.tag == GUMBO_TAG_LINK))
        m_sheetSources.push_back(node);
    else if (el.tag_namespace == GUMBO_NAMESPACE_HTML && el.tag == GUMBO_TAG_BASE && href &&
             m_base == nullptr)
        m_base = node;
    m_elements.push_back(e);
}

void ElementTree::readNamesOf(Element& e)
{
    const GumboElement& el = e.node->v.element;
    QByteArray scratch;
    const QByteArrayView name = tagName(el, scratch);
    e.tag = name.isEmpty() ? kNoAtom : intern(name);
    e.classBegin = std::uint32_t(m_classes.size());
    for (unsigned i = 0; i < el.attributes.length; ++i) {
        const auto* attr = static_cast<const GumboAttribute*>(el.attributes.data[i]);
        const char* attrName = attr->name;
        if (std::strcmp(attrName, "id") == 0 && attr->value[0] != '\0') {
            QByteArrayView id(attr->value, qsizetype(std::strlen(attr->value)));
            e.id = m_quirks ? intern(QByteArray(id.data(), id.size()).toLower()) : intern(id);
        } else if (std::strcmp(attrName, "class") == 0) {
            for (const char* p = attr->value; *p;) {
                while (*p && isSpace(*p))
                    ++p;
                const char* start = p;
                while (*p && !isSpace(*p))
                    ++p;
                if (p == start)
                    continue;
                QByteArrayView cls(start, p - start);
                m_classes.push_back(m_quirks ? intern(QByteArray(cls.data(), cls.size()).toLower())
                                             : intern(cls));
            }
        }
    }
    e.classCount = std::uint32_t(m_classes.size()) - e.classBegin;
}

void ElementTree::countSiblings()
{
    std::vector<int> ofType(m_atomNames.size() + 1, 0);
    auto slot = [&](int tag) -> int& { return ofType[std::size_t(tag < 0 ? 0 : tag + 1)]; };
    if (!m_elements.empty()) {
        Element& root = m_elements[0];
        root.position = root.siblings = root.typePosition = root.typeSiblings = 1;
    }
    for (int p = 0; p < size(); ++p) {
        const int stop = end(p);
        if (p + 1 >= stop)
            continue;
        int count = 0;
        for (int c = p + 1; c < stop; c = end(c)) {
            Element& child = m_elements[std::size_t(c)];
            child.position = ++count;
            child.typePosition = ++slot(child.tag);
        }
        for (int c = p + 1; c < stop; c = end(c)) {
            Element& child = m_elements[std::size_t(c)];
            child.siblings = count;
            child.typeSiblings = slot(child.tag);
        }
        for (int c = p + 1; c < stop; c = end(c))
            slot(m_elements[std::size_t(c)].tag) = 0;
    }
}

int ElementTree::nextSibling(int e) const
{
    const int p = parent(e);
    const int next = end(e);
    return p >= 0 && next < end(p) ? next : -1;
}

std::span<const int> ElementTree::classes(int e) const
{
    const Element& el = m_elements[std::size_t(e)];
    return std::span<const int>(m_classes.data() + el.classBegin, el.classCount);
}

bool ElementTree::hasClass(int e, int atom) const
{
    const std::span<const int> list = classes(e);
    return std::find(list.begin(), list.end(), atom) != list.end();
}

int ElementTree::tagAtom(QByteArrayView lowerName) const
{
    const auto found =
        m_atoms.constFind(QByteArray::fromRawData(lowerName.data(), lowerName.size()));
    return found == m_atoms.constEnd() ? kAbsentAtom : *found;
}

int ElementTree::nameAtom(QByteArrayView name) const
{
    if (m_quirks)
        return tagAtom(QByteArray(name.data(), name.size()).toLower());
    return tagAtom(name);
}

} // namespace tv::css
