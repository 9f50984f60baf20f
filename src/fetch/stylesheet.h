#pragma once
// The page's own <style> rules, as far as they change the rendered text: simple selectors
// (type, class, id, and descendant or child chains of them) with display, visibility,
// white-space and text-transform. Rules that depend on interaction (:hover) or on the window
// size never apply; selectors this reader does not understand are left out.
//
// Bounded for hostile pages: blocks nested deeper than a few dozen levels are left out, copies of
// a rule are kept once, and matching has a budget of work; a sheet past its budget (or with too
// many rules) is spent, and the page is then read without it.
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
    // True once matching has used up its budget or the sheet holds too many rules; match() then
    // gives nothing, and the page's text should be made again without the sheet.
    bool isSpent() const { return m_spent; }

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

    void addRules(QByteArrayView css);
    void addRule(QByteArrayView selectors, QByteArrayView declarations);
    bool matches(const Rule& rule, const GumboInternalNode* element) const;

    std::vector<Rule> m_rules;
    QHash<QByteArray, std::vector<int>> m_byId;
    QHash<QByteArray, std::vector<int>> m_byClass;
    QHash<QByteArray, std::vector<int>> m_byTag;
    std::vector<int> m_universal;
    QHash<QByteArray, int> m_byText; // a rule's selector and declarations: its index
    int m_nextOrder = 0;
    mutable qint64 m_work = 0;
    mutable bool m_spent = false;
};

} // namespace tv
