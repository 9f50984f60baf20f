#include "casefold.h"

#include "platform/guard.h"

#include <limits>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace tv {

QStringView foldCase(QStringView word, QString& buffer)
{
    bool ascii = true;
    bool upper = false;
    for (const QChar qc : word) {
        const char16_t c = qc.unicode();
        if (c >= 0x80) {
            ascii = false;
            break;
        }
        upper = upper || (c >= u'A' && c <= u'Z');
    }
    if (ascii && !upper)
        return word;
    if (ascii) {
        buffer.resize(word.size());
        char16_t* out = reinterpret_cast<char16_t*>(buffer.data());
        for (qsizetype i = 0; i < word.size(); ++i) {
            const char16_t c = word[i].unicode();
            out[i] = (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
        }
        return buffer;
    }
    // Full folding turns one code unit into at most three ("ΐ" into three, "ß" into two).
    if (word.size() > std::numeric_limits<int32_t>::max() / 3)
        throw Failure(QStringLiteral("A word is too long to fold its letter case"));
    buffer.resize(word.size() * 3);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t size =
        u_strFoldCase(reinterpret_cast<UChar*>(buffer.data()), int32_t(buffer.size()),
                      reinterpret_cast<const UChar*>(word.utf16()), int32_t(word.size()),
                      U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status))
        throw Failure(QStringLiteral("Cannot fold the letter case of a word: ") +
                      QString::fromLatin1(u_errorName(status)));
    buffer.truncate(size);
    return buffer;
}

QString foldCase(QStringView word)
{
    QString buffer;
    const QStringView folded = foldCase(word, buffer);
    return folded.data() == buffer.constData() ? buffer : folded.toString();
}

} // namespace tv
