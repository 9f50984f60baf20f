#pragma once
// The elements of a parsed page in document order, with what matching selectors asks of each:
// its name, id and classes as small numbers (atoms), its place among its siblings, its
// language. Built in one pass without recursion; an element's subtree is the run of elements
// from it to end(), so a walk can skip a subtree in one step.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <span>
#include <vector>

struct GumboInternalNode;

namespace tv::css {

// Atoms for names no element of the page carries.
inline constexpr int kNoAtom = -1;     // nothing asked for
inline constexpr int kAbsentAtom = -2; // a name no element has: never matches

class ElementTree {
public:
    // The elements under and including `root` (an element node): the tree, languages and style
    // attributes. Names and positions among siblings wait for readNames().
    explicit ElementTree(const GumboInternalNode* root);
    // Reads every element's name, id and classes as atoms and counts its place among its
    // siblings, for matching selectors. In quirks mode class and id names are kept in lower
    // case, as browsers then compare them without letter case.
    void readNames(bool quirks);

    int size() const { return int(m_elements.size()); }
    const GumboInternalNode* node(int e) const { return m_elements[std::size_t(e)].node; }
    int parent(int e) const { return m_elements[std::size_t(e)].parent; }
    // One past the last element of e's subtree.
    int end(int e) const { return m_elements[std::size_t(e)].end; }
    int previousSibling(int e) const { return m_elements[std::size_t(e)].previous; }
    int nextSibling(int e) const;

    int tag(int e) const { return m_elements[std::size_t(e)].tag; }
    int id(int e) const { return m_elements[std::size_t(e)].id; }
    std::span<const int> classes(int e) const;
    bool hasClass(int e, int atom) const;
    // Position among the element siblings (from 1), and how many there are; the same among
    // the siblings of its own type.
    int position(int e) const { return m_elements[std::size_t(e)].position; }
    int siblings(int e) const { return m_elements[std::size_t(e)].siblings; }
    int typePosition(int e) const { return m_elements[std::size_t(e)].typePosition; }
    int typeSiblings(int e) const { return m_elements[std::size_t(e)].typeSiblings; }
    // The language the element is in (its own lang attribute or its nearest ancestor's);
    // nullptr when none is given.
    const char* lang(int e) const { return m_elements[std::size_t(e)].lang; }
    // The value of its style attribute; nullptr when it has none.
    const char* styleAttribute(int e) const { return m_elements[std::size_t(e)].style; }
    // The style and link elements, in document order, and the first base element with an href
    // (nullptr when none): what the page's style sheets are found from.
    const std::vector<const GumboInternalNode*>& sheetSources() const { return m_sheetSources; }
    const GumboInternalNode* base() const { return m_base; }

    bool quirks() const { return m_quirks; }
    int atomCount() const { return int(m_atomNames.size()); }
    // The atom of a tag name (lower case), id or class name as written in a selector; in quirks
    // mode ids and classes are looked up in lower case. kAbsentAtom for names not on the page.
    int tagAtom(QByteArrayView lowerName) const;
    int nameAtom(QByteArrayView idOrClass) const;

private:
    struct Element {
        const GumboInternalNode* node;
        const char* lang;
        const char* style;
        int parent;
        int end;
        int previous;
        int tag;
        int id;
        int position;
        int siblings;
        int typePosition;
        int typeSiblings;
        std::uint32_t classBegin;
        std::uint32_t classCount;
    };

    int intern(QByteArrayView name);
    void addElement(const GumboInternalNode* node, int parent, int previous);
    void readNamesOf(Element& e);
    void countSiblings();

    std::vector<Element> m_elements;
    std::vector<int> m_classes;
    QHash<QByteArray, int> m_atoms;
    std::vector<QByteArray> m_atomNames;
    std::vector<const GumboInternalNode*> m_sheetSources;
    const GumboInternalNode* m_base = nullptr;
    bool m_quirks = false;
};

} // namespace tv::css
