#include "count/wordclean.h"

namespace tv {

QStringView cleanWordView(QStringView piece, bool ignoreCase, QString& buffer)
{
    // Most pieces are plain lower-case ASCII letters and digits; they come back untouched.
    bool changes = false;
    bool ascii = true;
    for (const QChar qc : piece) {
        const char16_t c = qc.unicode();
        if (c >= 0x80) {
            ascii = false;
        } else if (c == u' ' || isPunctuation(c) || (ignoreCase && c >= u'A' && c <= u'Z')) {
            changes = true;
        }
    }
    if (!changes && (ascii || !ignoreCase))
        return piece;

    buffer.resize(piece.size());
    char16_t* out = reinterpret_cast<char16_t*>(buffer.data());
    qsizetype n = 0;
    for (const QChar qc : piece) {
        char16_t c = qc.unicode();
        if (c == u' ' || isPunctuation(c))
            continue;
        if (ignoreCase && c >= u'A' && c <= u'Z')
            c = char16_t(c + (u'a' - u'A'));
        out[n++] = c;
    }
    buffer.truncate(n);
    if (ignoreCase && !ascii)
        buffer = std::move(buffer).toLower();
    return buffer;
}

QString cleanWord(QStringView piece, bool ignoreCase)
{
    QString buffer;
    const QStringView cleaned = cleanWordView(piece, ignoreCase, buffer);
    return cleaned.data() == buffer.constData() ? buffer : cleaned.toString();
}

} // namespace tv
