#pragma once
// Control characters in text written for other programs or a terminal, where they would break
// a line of fields or move the cursor: which they are, and how they are written instead.
#include <QString>

namespace tv {

// The C0 controls, DEL and the C1 controls (Unicode's category Cc).
constexpr bool isControlCharacter(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
// "\xHH" for a control character (HH in lower-case hexadecimal).
QString controlEscape(char16_t c);

} // namespace tv
