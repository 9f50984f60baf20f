#pragma once
// What a page's style sheets and style attributes declare for each of its elements, after the
// cascade: the one header the text walk asks about style. Behind it: our own reading of the
// sheets, selector matching and cascade (origins, !important, cascade layers, specificity,
// source order), for the properties that decide the text (see declarations.h). Inheritance and
// the browser's own defaults are the walk's to apply, since they depend on the HTML element.
//
// Bounded: the work of matching has a fixed budget; a page whose rules need more is read without
// its style rules (its style attributes still count), and notes() says so.
#include "style/declarations.h"
#include "style/elementtree.h"
#include "style/linkedsheets.h"

#include <QStringList>
#include <QUrl>
#include <memory>
#include <vector>

struct GumboInternalOutput;

namespace tv::css {

class PageStyle {
public:
    // `linked` may be null (no sheets fetched): the page's own <style> elements still apply.
    PageStyle(const GumboInternalOutput& page, const QUrl& pageUrl, const LinkedSheets* linked);
    ~PageStyle();
    PageStyle(const PageStyle&) = delete;
    PageStyle& operator=(const PageStyle&) = delete;

    // The page's elements in document order; the root element is number 0.
    const ElementTree& elements() const { return *m_tree; }
    // The winning declarations for an element (values only; which were !important is settled).
    const Declarations& declared(int element) const { return m_declared[std::size_t(element)]; }
    // Whether the element's text is in Turkish or Azeri (whose i has a dot in capitals).
    bool isTurkic(int element) const;
    // What of the page's styles was left out, and why.
    const QStringList& notes() const { return m_notes; }
    // Links and imports that apply but whose sheet was not fetched.
    int sheetsMissing() const { return m_sheetsMissing; }
    // Steps of selector matching the page took (its budget is kWorkBudget).
    std::int64_t work() const { return m_work; }

    static constexpr std::int64_t kWorkBudget = 5000000;

private:
    void cascade(const class RuleSet& rules);
    void applyStyleAttributes();

    std::unique_ptr<ElementTree> m_tree;
    std::vector<Declarations> m_declared;
    QStringList m_notes;
    int m_sheetsMissing = 0;
    std::int64_t m_work = 0;
};

} // namespace tv::css
