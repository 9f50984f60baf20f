#pragma once
// Whether a compiled selector matches an element of the page, right to left as browsers test
// them, giving up early where no other ancestor or sibling could help (so a chain of descendant
// selectors costs time in proportion to the tree's depth, not to its powers). Every compound
// tested counts against a budget of work; once it is spent nothing matches any more.
#include "style/elementtree.h"
#include "style/ruleset.h"

#include <cstdint>
#include <vector>

namespace tv::css {

class SelectorMatcher {
public:
    SelectorMatcher(const ElementTree& tree, const RuleSet& rules, std::int64_t budget)
        : m_tree(tree), m_rules(rules), m_budget(budget)
    {
    }

    bool matches(const CompiledSelector& selector, int element);
    // While elements are visited in document order: how many of the current element's
    // ancestors carry each atom (the caller keeps it up to date). Without it, ancestors are
    // looked up one by one.
    void setAncestorCounts(const std::vector<int>* counts) { m_ancestorCounts = counts; }
    // Counts work done outside matching (candidates looked at) against the budget.
    void charge(std::int64_t steps) { m_work += steps; }
    bool isSpent() const { return m_work > m_budget; }
    std::int64_t work() const { return m_work; }

private:
    enum class Result { Matches, FailsHere, FailsAllSiblings, FailsCompletely };

    Result match(const CompiledSelector& selector, std::uint32_t compound, int element);
    bool compoundMatches(const CompiledCompound& c, int element);
    bool attributeMatches(const AttributeTest& test, int element) const;
    bool pseudoMatches(const CompiledPseudo& p, int element);
    bool anyInList(const CompiledPseudo& p, int element);
    bool nth(const CompiledPseudo& p, int element, bool fromEnd, bool ofType);
    bool has(const CompiledPseudo& p, int element);

    const ElementTree& m_tree;
    const RuleSet& m_rules;
    std::int64_t m_budget;
    std::int64_t m_work = 0;
    int m_anchor = -1; // the element a :has() argument is tested from
    const std::vector<int>* m_ancestorCounts = nullptr;
};

} // namespace tv::css
