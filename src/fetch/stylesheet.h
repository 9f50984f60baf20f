#pragma once
// The page's own <style> rules, as far as they change the rendered text: simple selectors
// (type, class, id, and descendant or child chains of them) with display, visibility,
// white-space and text-transform. Rules that depend on interaction (:hover) or on the window
// size never apply; selectors this reader does not understand are left out.
#include "fetch/inlinestyle.h"

#include <QByteArray>
#include <QHash>
#include <vector>

struct GumboInternalNode;

namespace tv {

class StyleSheet {
public:
    // Adds the rules of one style element's text. Never fails.
    void addCss(QByteArrayView css);
    bool isEmpty() const { return m_rules.empty(); }

    // The cascaded declarations of the rules that match an element.
    InlineStyle match(const GumboInternalNode* element) const;

private:
    struct Compound {
        QByteArray tag; // empty: any
        QByteArray id;
        std::vector<QByteArray> classes;
    };
    struct Rule {
        std::vector<Compound> compounds; // left to right
        std::vector<char> combinators;   // between compounds: ' ' or '>'
        int specificity = 0;
        int order = 0;
        InlineStyle style;
    };

    void addRules(QByteArrayView block);
    void addRule(QByteArrayView selectors, QByteArrayView declarations);
    bool matches(const Rule& rule, const GumboInternalNode* element) const;

    std::vector<Rule> m_rules;
    QHash<QByteArray, std::vector<int>> m_byId;
    QHash<QByteArray, std::vector<int>> m_byClass;
    QHash<QByteArray, std::vector<int>> m_byTag;
    std::vector<int> m_universal;
};

} // namespace tv
