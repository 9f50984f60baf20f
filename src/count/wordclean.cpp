#include "wordclean.h"

#include "platform/guard.h"

namespace tv {

QString RemoveSpaces(QString text)
{
    text.remove(u' ');
    return text;
}

QString StripPunctuation(QString& text)
{
    for (const char16_t* group : kPunctuationGroups)
        text = FilterChars(text, QString::fromUtf16(group), false);
    return text;
}

QString FilterChars(const QString& text, const QString& set, bool keep)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (set.contains(c) == keep)
            result.append(c);
    }
    return result;
}

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

QString PadCount(const QString& key)
{
    const qsizetype space = key.indexOf(u' ');
    if (space < 0)
        throw Failure(QStringLiteral("Invalid procedure call or argument"));
    bool ok = false;
    const int count = key.left(space).toInt(&ok);
    if (!ok) {
        key.left(space).toLongLong(&ok);
        throw Failure(ok ? QStringLiteral("Overflow") : QStringLiteral("Type mismatch"));
    }
    QString number = QString::number(count);
    if (number.size() < 11)
        number.prepend(QString(11 - number.size(), u'0'));
    return number + key.mid(space);
}

QString UnpadCount(const QString& key)
{
    qsizetype i = 0;
    while (i < key.size() && key[i] == u'0')
        ++i;
    return key.mid(i);
}

QString displayWord(const QString& word)
{
    const qsizetype at = word.indexOf(QLatin1StringView("nbsp"));
    return at < 0 ? word : word.left(at);
}

QStringView storedWordView(QStringView word, QString& buffer)
{
    if (word.size() <= kStoredWordLength && !word.contains(u'"'))
        return word;
    buffer = storedWord(word);
    return buffer;
}

QString storedWord(QStringView word)
{
    QString stored = word.left(kStoredWordLength).toString();
    stored.replace(u'"', u'\'');
    return stored;
}

} // namespace tv
