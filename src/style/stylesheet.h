#pragma once
// One style sheet, read once: the rules whose declarations decide a page's text, the sheets it
// imports, and its cascade layers. Media and @supports conditions are answered while reading,
// for the one screen the text is read for (see mediaqueries.h), so a rule that does not apply
// there is never kept. Reading makes one pass and never recurses into blocks; blocks nested
// past a few dozen levels, and rules past a cap, are left out and the sheet says so.
#include "style/declarations.h"
#include "style/selectors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <memory>
#include <vector>

namespace tv::css {

struct StyleRule {
    std::vector<ComplexSelector> selectors; // none ends in a pseudo-element
    Declarations declarations;              // never empty
    int layer = -1;                         // index in layerNames(); -1 outside any layer
    // Place in source order. A copy of an earlier rule is not kept twice: the earlier one
    // takes the copy's place, which is all a later copy changes in the cascade.
    int order = 0;
};

struct ImportRule {
    QByteArray url;   // as written, not yet resolved
    bool applies;     // its media query and supports() condition hold
    bool layered;     // imported into a layer ("layer" or "layer(name)")
    QByteArray layer; // the layer's name; empty for an anonymous one
};

class StyleSheet {
public:
    // Reads the sheet's text (UTF-8, as fetched or as a style element holds it). Never fails:
    // what cannot be read is left out, as browsers do.
    explicit StyleSheet(QByteArrayView css);
    StyleSheet() = default;

    const std::vector<StyleRule>& rules() const { return m_rules; }
    // The @import rules that lead the sheet, in order.
    const std::vector<ImportRule>& imports() const { return m_imports; }
    // Layer names in the order they first appear ("a.b" for nested layers; anonymous layers
    // get names no author can write).
    const std::vector<QByteArray>& layerNames() const { return m_layers; }
    // Set when blocks nested too deep or rules past the cap were left out.
    bool isTruncated() const { return m_truncated; }
    // Bytes the sheet holds in memory, roughly.
    qsizetype memoryUse() const { return m_memory; }
    // One more than the highest order of its rules.
    int orderCount() const { return m_orderCount; }

    // Only the @import rules that lead a sheet, read without the rest of it.
    static std::vector<ImportRule> leadingImports(QByteArrayView css);

    static constexpr int kMaxBlockDepth = 32;
    static constexpr qsizetype kMaxRules = 100000;

private:
    int layerIndex(const QByteArray& name);

    std::vector<StyleRule> m_rules;
    std::vector<ImportRule> m_imports;
    std::vector<QByteArray> m_layers;
    QHash<QByteArray, int> m_layerIndex;
    bool m_truncated = false;
    qsizetype m_memory = 0;
    int m_anonymousLayers = 0;
    int m_orderCount = 0;
    friend class SheetReader;
};

using SheetPointer = std::shared_ptr<const StyleSheet>;

} // namespace tv::css
