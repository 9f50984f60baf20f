#include "style/ruleset.h"

namespace tv::css {

void RuleSet::addSheet(const StyleSheet& sheet, const QByteArray& layer, bool layered)
{
    ++m_sheetsAdded;
    // The sheet's own layers sit inside the one its import put it in; anonymous layers are
    // new in every sheet they appear in.
    QByteArray outer = layer;
    if (layered && outer.isEmpty())
        outer = "\x02" + QByteArray::number(m_sheetsAdded);
    const int outerRank = layered ? layerRank(outer) : -1;
    std::vector<int> ranks;
    for (const QByteArray& name : sheet.layerNames()) {
        QByteArray full =
            name.startsWith('\x01') ? "\x02" + QByteArray::number(m_sheetsAdded) + name : name;
        if (layered)
            full = outer + '.' + full;
        ranks.push_back(layerRank(full));
    }
    for (const StyleRule& rule : sheet.rules()) {
        const std::uint32_t ruleIndex = std::uint32_t(m_rules.size());
        const int rank = rule.layer >= 0 ? ranks[std::size_t(rule.layer)] : outerRank;
        bool filed = false;
        for (const ComplexSelector& s : rule.selectors) {
            const std::uint32_t index = compile(s, true);
            if (!m_selectors[index].viable)
                continue;
            file(m_selectors[index], RuleRef{index, ruleIndex});
            filed = true;
        }
        if (filed)
            m_rules.push_back(
                PageRule{&rule.declarations, m_orderBase + std::uint32_t(rule.order), rank});
    }
    m_orderBase += std::uint32_t(sheet.orderCount());
}

int RuleSet::layerRank(const QByteArray& name)
{
    const auto found = m_layerRanks.constFind(name);
    if (found != m_layerRanks.constEnd())
        return *found;
    const int rank = int(m_layerRanks.size());
    m_layerRanks.insert(name, rank);
    return rank;
}

std::uint32_t RuleSet::compile(const ComplexSelector& s, bool topLevel)
{
    CompiledSelector out;
    out.source = &s;
    out.specificity = s.specificity;
    out.compoundBegin = std::uint32_t(m_compounds.size());
    for (const Compound& c : s.compounds) {
        CompiledCompound cc;
        cc.source = &c;
        cc.tag = c.tag.isEmpty() ? kNoAtom : m_tree.tagAtom(c.tag);
        cc.id = c.id.isEmpty() ? kNoAtom : m_tree.nameAtom(c.id);
        cc.classBegin = std::uint32_t(m_classAtoms.size());
        bool absent = cc.tag == kAbsentAtom || cc.id == kAbsentAtom;
        for (const QByteArray& cls : c.classes) {
            m_classAtoms.push_back(m_tree.nameAtom(cls));
            absent = absent || m_classAtoms.back() == kAbsentAtom;
        }
        cc.classEnd = std::uint32_t(m_classAtoms.size());
        out.viable = out.viable && !absent;
        m_compounds.push_back(cc);
    }
    out.compoundEnd = std::uint32_t(m_compounds.size());
    // Pseudo-classes after all compounds, so that each selector's compounds stay together.
    for (std::uint32_t i = out.compoundBegin; i < out.compoundEnd; ++i) {
        const Compound& c = *m_compounds[i].source;
        const std::uint32_t begin = std::uint32_t(m_pseudos.size());
        for (const PseudoTest& p : c.pseudos)
            m_pseudos.push_back(CompiledPseudo{&p, 0, 0});
        m_compounds[i].pseudoBegin = begin;
        m_compounds[i].pseudoEnd = std::uint32_t(m_pseudos.size());
        for (std::uint32_t k = 0; k < std::uint32_t(c.pseudos.size()); ++k) {
            const PseudoTest& p = c.pseudos[k];
            std::vector<std::uint32_t> inner;
            for (const ComplexSelector& entry : p.list)
                inner.push_back(compile(entry, false));
            m_pseudos[begin + k].listBegin = std::uint32_t(m_listEntries.size());
            m_listEntries.insert(m_listEntries.end(), inner.begin(), inner.end());
            m_pseudos[begin + k].listEnd = std::uint32_t(m_listEntries.size());
        }
    }
    if (topLevel) {
        out.ancestorBegin = std::uint32_t(m_ancestorAtoms.size());
        bool aboveSubject = false;
        for (std::size_t k = 1; k < s.compounds.size(); ++k) {
            const Combinator join = s.combinators[k - 1];
            aboveSubject =
                aboveSubject || join == Combinator::Descendant || join == Combinator::Child;
            if (!aboveSubject)
                continue;
            const CompiledCompound& cc = m_compounds[out.compoundBegin + k];
            if (cc.tag >= 0)
                m_ancestorAtoms.push_back(cc.tag);
            if (cc.id >= 0)
                m_ancestorAtoms.push_back(cc.id);
            for (std::uint32_t a = cc.classBegin; a < cc.classEnd; ++a)
                m_ancestorAtoms.push_back(m_classAtoms[a]);
        }
        out.ancestorEnd = std::uint32_t(m_ancestorAtoms.size());
    }
    m_selectors.push_back(out);
    return std::uint32_t(m_selectors.size() - 1);
}

void RuleSet::file(const CompiledSelector& s, RuleRef ref)
{
    const CompiledCompound& subject = m_compounds[s.compoundBegin];
    auto fileUnder = [&](std::vector<std::vector<RuleRef>>& index, int atom) {
        if (index.size() <= std::size_t(atom))
            index.resize(std::size_t(m_tree.atomCount()));
        index[std::size_t(atom)].push_back(ref);
    };
    if (subject.id >= 0)
        fileUnder(m_byId, subject.id);
    else if (subject.classBegin < subject.classEnd)
        fileUnder(m_byClass, m_classAtoms[subject.classBegin]);
    else if (subject.tag >= 0)
        fileUnder(m_byTag, subject.tag);
    else
        m_universal.push_back(ref);
}

} // namespace tv::css
