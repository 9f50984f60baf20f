#pragma once
// Keeping the HTML parse quick on hostile pages. gumbo's time grows with the square of the
// number of open elements (thousands of unclosed <div> or <b> take minutes), so before the
// parse a light scan of the tags takes out start tags that would open elements past a depth a
// browser would never show differently.
#include <QByteArray>

namespace tv {

struct NestingLimits {
    int maxDepth = 512;     // open elements, as browsers cap the tree depth
    int maxFormatting = 32; // open formatting elements (b, i, font, a, ...)
};

// The page with the start tags past the limits, and their end tags, taken out (those of
// non-inline elements leave a space, so that words stay apart); the same bytes, shared, when
// the page stays within the limits. Never fails.
QByteArray boundNesting(const QByteArray& html, NestingLimits limits = {});

} // namespace tv
