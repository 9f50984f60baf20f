#pragma once
// Media queries answered for the one screen the text is read for: a desktop browser window of
// 1366 x 768 CSS pixels at 96 dpi (the viewport of the reference renders), in colour, with a
// mouse, light colour scheme, no reduced motion and scripting off. Print and speech never
// apply; a query this reader cannot make out does not apply, as in browsers ("not all").
#include "style/csstokenizer.h"

#include <QByteArrayView>
#include <vector>

namespace tv::css {

// The screen the queries are answered for.
struct Viewport {
    double width = 1366;
    double height = 768;
};

// True when the media query list (the text of a media attribute, or of an @media or @import
// prelude) applies. An empty list applies.
bool mediaMatches(QByteArrayView queryList, const Viewport& viewport = {});
bool mediaMatches(const std::vector<Token>& tokens, const Viewport& viewport = {});

} // namespace tv::css
