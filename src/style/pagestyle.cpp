#include "style/pagestyle.h"

#include "style/pagesheets.h"
#include "style/ruleset.h"
#include "style/selectormatcher.h"

#include <algorithm>
#include <cstring>
#include <gumbo.h>

namespace tv::css {

namespace {

const QString kTooMuchNote = QStringLiteral("The page's style rules would take too long to apply, "
                                            "so its text was read without them");

// Where a declaration stands in the cascade: its level (origin, importance, layer), then the
// specificity of the selector that brought it, then source order.
struct Rank {
    std::uint32_t level = 0;
    std::uint32_t specificity = 0;
    std::uint32_t order = 0;
    auto operator<=>(const Rank&) const = default;
};

// The levels, lowest first: layered rules (earlier layers lose), rules outside layers, style
// attributes; then !important: rules outside layers, layered rules (earlier layers win), style
// attributes.
struct Levels {
    std::uint32_t layers;
    std::uint32_t normal(int layer) const
    {
        return layer < 0 ? layers + 1 : 1 + std::uint32_t(layer);
    }
    std::uint32_t important(int layer) const
    {
        return layer < 0 ? layers + 3 : layers + 3 + (layers - std::uint32_t(layer));
    }
    std::uint32_t styleAttribute() const { return layers + 2; }
    std::uint32_t importantStyleAttribute() const { return 2 * layers + 4; }
};

class Winners {
public:
    void consider(const Declarations& d, Rank normal, Rank important)
    {
        for (int p = 0; p < kPropertyCount; ++p) {
            const std::uint8_t value = d.values[std::size_t(p)];
            if (value == kNotDeclared)
                continue;
            const Rank& rank = d.isImportant(Property(p)) ? important : normal;
            if (!m_has[std::size_t(p)] || m_best[std::size_t(p)] < rank) {
                m_has[std::size_t(p)] = true;
                m_best[std::size_t(p)] = rank;
                m_out.values[std::size_t(p)] = value;
            }
        }
    }
    const Declarations& result() const { return m_out; }

private:
    std::array<Rank, kPropertyCount> m_best{};
    std::array<bool, kPropertyCount> m_has{};
    Declarations m_out;
};

} // namespace

PageStyle::PageStyle(const GumboOutput& page, const QUrl& pageUrl, const LinkedSheets* linked)
{
    m_tree = std::make_unique<ElementTree>(page.root);
    m_declared.resize(std::size_t(m_tree->size()));
    const PageSheets sheets = collectPageSheets(*m_tree, pageUrl, linked);
    m_sheetsMissing = sheets.linksMissing;
    const bool anyRule =
        !sheets.tooMany &&
        std::any_of(sheets.ordered.begin(), sheets.ordered.end(),
                    [](const PageSheets::Entry& entry) { return !entry.sheet->rules().empty(); });
    if (sheets.tooMany)
        m_notes << kTooMuchNote;
    if (!anyRule) {
        applyStyleAttributes();
        return;
    }
    // Names and sibling positions are for matching rules: a page without rules needs neither.
    m_tree->readNames(page.document->v.document.doc_type_quirks_mode == GUMBO_DOCTYPE_QUIRKS);
    RuleSet rules(*m_tree);
    for (const PageSheets::Entry& entry : sheets.ordered)
        rules.addSheet(*entry.sheet, entry.layer, entry.layered);
    if (rules.isEmpty()) {
        applyStyleAttributes();
        return;
    }
    cascade(rules);
}

PageStyle::~PageStyle() = default;

void PageStyle::applyStyleAttributes()
{
    for (int e = 0; e < m_tree->size(); ++e) {
        if (const char* style = m_tree->styleAttribute(e))
            m_declared[std::size_t(e)] = parseStyleAttribute(style);
    }
}

void PageStyle::cascade(const RuleSet& rules)
{
    const ElementTree& tree = *m_tree;
    SelectorMatcher matcher(tree, rules, kWorkBudget);
    std::vector<int> ancestorCounts(std::size_t(tree.atomCount()), 0);
    matcher.setAncestorCounts(&ancestorCounts);
    auto count = [&](int e, int delta) {
        auto bump = [&](int atom) {
            if (atom >= 0)
                ancestorCounts[std::size_t(atom)] += delta;
        };
        bump(tree.tag(e));
        bump(tree.id(e));
        for (const int cls : tree.classes(e))
            bump(cls);
    };
    const Levels levels{std::uint32_t(rules.layerCount())};
    std::vector<int> open; // the current element's ancestors
    for (int e = 0; e < tree.size(); ++e) {
        while (!open.empty() && tree.end(open.back()) <= e) {
            count(open.back(), -1);
            open.pop_back();
        }
        Winners winners;
        rules.forEachCandidate(e, [&](const RuleRef& ref) {
            matcher.charge(1);
            const CompiledSelector& selector = rules.selectors()[ref.selector];
            if (!matcher.matches(selector, e))
                return;
            const PageRule& rule = rules.rules()[ref.rule];
            winners.consider(*rule.declarations,
                             Rank{levels.normal(rule.layer), selector.specificity, rule.order},
                             Rank{levels.important(rule.layer), selector.specificity, rule.order});
        });
        if (const char* style = tree.styleAttribute(e))
            winners.consider(parseStyleAttribute(style), Rank{levels.styleAttribute(), 0, 0},
                             Rank{levels.importantStyleAttribute(), 0, 0});
        m_declared[std::size_t(e)] = winners.result();
        if (matcher.isSpent()) {
            // Rules built to take minutes are not worth them: the page is read without them.
            m_work = matcher.work();
            std::fill(m_declared.begin(), m_declared.end(), Declarations());
            applyStyleAttributes();
            m_notes << kTooMuchNote;
            return;
        }
        open.push_back(e);
        count(e, +1);
    }
    m_work = matcher.work();
}

bool PageStyle::isTurkic(int element) const
{
    const char* lang = m_tree->lang(element);
    if (lang == nullptr)
        return false;
    const auto prefix = [&](const char* code) {
        return strncasecmp(lang, code, 2) == 0 && (lang[2] == '\0' || lang[2] == '-');
    };
    return prefix("tr") || prefix("az");
}

} // namespace tv::css
