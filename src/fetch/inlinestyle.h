#pragma once
// The few declarations of an inline style attribute that change the rendered text.
#include "fetch/tagkinds.h"

#include <QByteArrayView>
#include <optional>

namespace tv {

enum class Visibility : std::uint8_t { Visible, Hidden };

struct InlineStyle {
    std::optional<Display> display;
    std::optional<Visibility> visibility;
    std::optional<WhiteSpace> whiteSpace;
    std::optional<TextTransform> textTransform;
    // Which of the four were declared !important: bits 1 display, 2 visibility, 4 white-space,
    // 8 text-transform.
    std::uint8_t important = 0;
};

enum StyleProperty : std::uint8_t {
    kDisplayBit = 1,
    kVisibilityBit = 2,
    kWhiteSpaceBit = 4,
    kTextTransformBit = 8,
};

// Fills what `over` leaves open from `under`; an !important declaration of `under` beats a
// normal one of `over`.
InlineStyle cascade(const InlineStyle& under, const InlineStyle& over);

// Reads display, visibility, white-space and text-transform from a style attribute's value;
// other declarations and values it does not know are left out. Never fails.
InlineStyle parseInlineStyle(QByteArrayView style);

} // namespace tv
