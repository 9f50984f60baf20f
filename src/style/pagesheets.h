#pragma once
// A page's style sheets in cascade order: its <style> elements and the sheets its
// <link rel="stylesheet"> elements name (looked up among the sheets fetched for it), each after
// the sheets it imports, as a browser with scripting off applies them.
#include "style/linkedsheets.h"
#include "style/stylesheet.h"

#include <QByteArray>
#include <QUrl>
#include <memory>
#include <vector>

namespace tv::css {

class ElementTree;

struct PageSheets {
    struct Entry {
        const StyleSheet* sheet;
        QByteArray layer; // the layer an @import put it in
        bool layered = false;
    };
    std::vector<Entry> ordered;
    std::vector<std::unique_ptr<StyleSheet>> own; // the page's <style> elements, read here
    std::vector<SheetPointer> linked;             // kept alive while the page is read
    int linksMissing = 0; // links (or imports) that apply but whose sheet was not at hand
    // The page holds more <style> elements or rules than any real page: the later ones were
    // not read, and the page's rules should not be applied at all.
    bool tooMany = false;

    static constexpr int kMaxOwnSheets = 2000;
    static constexpr std::size_t kMaxOwnRules = 100000;
};

// The sheets of the page whose elements `tree` holds, their addresses resolved against its first
// <base href> or else `pageUrl`. `linked` may be null: then only the page's own <style> elements
// count.
PageSheets collectPageSheets(const ElementTree& tree, const QUrl& pageUrl,
                             const LinkedSheets* linked);

} // namespace tv::css
