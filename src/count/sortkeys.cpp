#include "count/sortkeys.h"

#include "platform/failure.h"

namespace tv {

QString padCount(const QString& key)
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

QString unpadCount(const QString& key)
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

} // namespace tv
