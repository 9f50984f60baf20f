#include "count/sortkeys.h"

#include "platform/failure.h"

namespace tv {

QString padCount(QStringView key)
{
    const qsizetype space = key.indexOf(u' ');
    if (space < 0)
        throw Failure(QStringLiteral("Invalid procedure call or argument"));
    bool ok = false;
    const int count = key.left(space).toInt(&ok);
    if (!ok) {
        // A number too large for 32 bits overflows; anything else is no number at all.
        bool number = false;
        (void)key.left(space).toLongLong(&number);
        throw Failure(number ? QStringLiteral("Overflow") : QStringLiteral("Type mismatch"));
    }
    QString number = QString::number(count);
    if (number.size() < 11)
        number.prepend(QString(11 - number.size(), u'0'));
    return number.append(key.mid(space));
}

QString unpadCount(QStringView key)
{
    qsizetype i = 0;
    while (i < key.size() && key[i] == u'0')
        ++i;
    return key.mid(i).toString();
}

QString displayWord(QStringView word)
{
    const qsizetype at = word.indexOf(QLatin1StringView("nbsp"));
    return (at < 0 ? word : word.left(at)).toString();
}

} // namespace tv
