#include "fetch/controlchars.h"

namespace tv {

namespace {

constexpr char32_t kControlDisguise = 0x10FF00;

bool isDisguisedControl(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x20 && b != 0 && b != '\t' && b != '\n' && b != '\f' && b != '\r') || b == 0x7F;
}

} // namespace

QByteArray disguiseControls(const QByteArray& html)
{
    const char* s = html.constData();
    const qsizetype n = html.size();
    qsizetype first = -1;
    for (qsizetype i = 0; i < n; ++i) {
        if (isDisguisedControl(s[i]) || (s[i] == '\xC2' && i + 1 < n &&
                                         (static_cast<unsigned char>(s[i + 1]) & 0xE0) == 0x80)) {
            first = i;
            break;
        }
    }
    if (first < 0)
        return html;
    QByteArray out = html.first(first);
    out.reserve(n + 64);
    for (qsizetype i = first; i < n; ++i) {
        char32_t control = 0;
        if (isDisguisedControl(s[i])) {
            control = static_cast<unsigned char>(s[i]);
        } else if (s[i] == '\xC2' && i + 1 < n &&
                   (static_cast<unsigned char>(s[i + 1]) & 0xE0) == 0x80) {
            control = static_cast<unsigned char>(s[i + 1]);
            ++i;
        } else {
            out.append(s[i]);
            continue;
        }
        const char32_t cp = kControlDisguise + control;
        const char bytes[4] = {char(0xF0 | (cp >> 18)), char(0x80 | ((cp >> 12) & 0x3F)),
                               char(0x80 | ((cp >> 6) & 0x3F)), char(0x80 | (cp & 0x3F))};
        out.append(bytes, 4);
    }
    return out;
}

void revealControls(QString& text)
{
    const QChar high = QChar::highSurrogate(kControlDisguise);
    qsizetype at = text.indexOf(high);
    if (at < 0)
        return;
    QString out = text.first(at);
    for (qsizetype i = at; i < text.size(); ++i) {
        if (text.at(i) == high && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            if (cp >= kControlDisguise && cp <= kControlDisguise + 0x9F) {
                out.append(QChar(char16_t(cp - kControlDisguise)));
                ++i;
                continue;
            }
        }
        out.append(text.at(i));
    }
    text = out;
}

} // namespace tv
