#pragma once
// @supports conditions, answered for a current desktop browser: a declaration is supported
// unless it carries another engine's prefix (the properties that decide the text are checked
// as they are read), selector() asks our own selector reader, and any other function is not
// supported.
#include "style/csstokenizer.h"

#include <vector>

namespace tv::css {

// Whether the condition (an @supports prelude, or the inside of an @import's supports()) holds.
bool supportsHolds(const std::vector<Token>& condition);

} // namespace tv::css
