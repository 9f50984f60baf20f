#include "copytext.h"

namespace tv {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

template <bool Escape> void appendUtf8(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    // At most three bytes per UTF-16 unit (a pair takes four for two units).
    out.resize(start + text.size() * 3);
    char* p = out.data() + start;
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c < 0x80) {
            if (Escape) {
                const char* escaped = c == u'\\'   ? "\\\\"
                                      : c == u'\t' ? "\\t"
                                      : c == u'\n' ? "\\n"
                                      : c == u'\r' ? "\\r"
                                                   : nullptr;
                if (escaped) {
                    *p++ = escaped[0];
                    *p++ = escaped[1];
                    continue;
                }
            }
            if (c == 0)
                c = kReplacement;
            else {
                *p++ = char(c);
                continue;
            }
        } else if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
                c = QChar::surrogateToUcs4(char16_t(c), s[++i]);
            } else {
                c = kReplacement;
            }
        }
        if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
        } else {
            *p++ = char(0xF0 | (c >> 18));
            *p++ = char(0x80 | ((c >> 12) & 0x3F));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = char(0x80 | (c & 0x3F));
    }
    out.resize(p - out.data());
}

} // namespace

void appendCopyField(QByteArray& out, QStringView text)
{
    appendUtf8<true>(out, text);
}

QByteArray parameterText(QStringView text)
{
    QByteArray out;
    appendUtf8<false>(out, text);
    return out;
}

} // namespace tv
