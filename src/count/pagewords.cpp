#include "pagewords.h"

namespace tv {

qsizetype countLineEnds(QStringView text)
{
    qsizetype ends = 0;
    const char16_t* s = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (s[i] == u'\n') {
            ++ends;
        } else if (s[i] == u'\r') {
            ++ends;
            if (i + 1 < size && s[i + 1] == u'\n')
                ++i;
        }
    }
    return ends;
}

} // namespace tv
