#pragma once
// The style rules of one page, in cascade order, made ready for its elements: every name in a
// selector becomes the page's atom for it, a selector that needs a name no element carries is
// dropped at once, and the rest are filed under the most telling part of their subject (id,
// class, tag, or none) so that an element meets only the rules that can match it.
#include "style/elementtree.h"
#include "style/stylesheet.h"

#include <QByteArray>
#include <QHash>
#include <cstdint>
#include <vector>

namespace tv::css {

struct CompiledCompound {
    const Compound* source = nullptr; // attributes, pseudo-class kinds and arguments
    int tag = kNoAtom;
    int id = kNoAtom;
    std::uint32_t classBegin = 0; // in RuleSet::classAtoms()
    std::uint32_t classEnd = 0;
    std::uint32_t pseudoBegin = 0; // in RuleSet::pseudos()
    std::uint32_t pseudoEnd = 0;
};

struct CompiledPseudo {
    const PseudoTest* source = nullptr;
    std::uint32_t listBegin = 0; // in RuleSet::listEntries(): indices in selectors()
    std::uint32_t listEnd = 0;
};

struct CompiledSelector {
    std::uint32_t compoundBegin = 0; // in RuleSet::compounds(), the subject first
    std::uint32_t compoundEnd = 0;
    const ComplexSelector* source = nullptr; // combinators
    std::uint32_t specificity = 0;
    std::uint32_t ancestorBegin = 0; // atoms some ancestor must carry, in ancestorAtoms()
    std::uint32_t ancestorEnd = 0;
    bool viable = true; // false when a compound needs a name no element of the page carries
};

// One rule as the page's cascade sees it.
struct PageRule {
    const Declarations* declarations;
    std::uint32_t order; // source order across all of the page's sheets
    int layer;           // rank of its cascade layer, -1 outside layers
};

// A selector filed under a key, with the rule it belongs to.
struct RuleRef {
    std::uint32_t selector;
    std::uint32_t rule;
};

class RuleSet {
public:
    explicit RuleSet(const ElementTree& tree) : m_tree(tree) {}

    // Adds a sheet's rules after those added so far. `layer` is the layer an @import put the
    // sheet in ("" for none; `layered` with an empty name: an anonymous one).
    void addSheet(const StyleSheet& sheet, const QByteArray& layer = {}, bool layered = false);

    // The selectors that may match element e, filed under its id, classes, tag, and none.
    template <class Visit> void forEachCandidate(int e, Visit&& visit) const;

    const std::vector<PageRule>& rules() const { return m_rules; }
    const std::vector<CompiledSelector>& selectors() const { return m_selectors; }
    const std::vector<CompiledCompound>& compounds() const { return m_compounds; }
    const std::vector<CompiledPseudo>& pseudos() const { return m_pseudos; }
    const std::vector<int>& classAtoms() const { return m_classAtoms; }
    const std::vector<int>& ancestorAtoms() const { return m_ancestorAtoms; }
    const std::vector<std::uint32_t>& listEntries() const { return m_listEntries; }
    int layerCount() const { return int(m_layerRanks.size()); }
    bool isEmpty() const { return m_rules.empty(); }

private:
    int layerRank(const QByteArray& name);
    // Compiles a selector and those of its pseudo-classes' lists; its index.
    std::uint32_t compile(const ComplexSelector& s, bool topLevel);
    void file(const CompiledSelector& s, RuleRef ref);

    const ElementTree& m_tree;
    std::vector<PageRule> m_rules;
    std::vector<CompiledSelector> m_selectors;
    std::vector<CompiledCompound> m_compounds;
    std::vector<CompiledPseudo> m_pseudos;
    std::vector<int> m_classAtoms;
    std::vector<int> m_ancestorAtoms;
    std::vector<std::uint32_t> m_listEntries;
    // Filed selectors, by atom.
    std::vector<std::vector<RuleRef>> m_byId;
    std::vector<std::vector<RuleRef>> m_byClass;
    std::vector<std::vector<RuleRef>> m_byTag;
    std::vector<RuleRef> m_universal;
    QHash<QByteArray, int> m_layerRanks;
    int m_sheetsAdded = 0;
    std::uint32_t m_orderBase = 0;
};

template <class Visit> void RuleSet::forEachCandidate(int e, Visit&& visit) const
{
    auto visitAll = [&](const std::vector<std::vector<RuleRef>>& index, int atom) {
        if (atom >= 0 && std::size_t(atom) < index.size()) {
            for (const RuleRef& ref : index[std::size_t(atom)])
                visit(ref);
        }
    };
    visitAll(m_byId, m_tree.id(e));
    for (const int cls : m_tree.classes(e))
        visitAll(m_byClass, cls);
    visitAll(m_byTag, m_tree.tag(e));
    for (const RuleRef& ref : m_universal)
        visit(ref);
}

} // namespace tv::css
