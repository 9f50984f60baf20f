#include "dialogs.h"

namespace tv {

QString qtFilterFromPairs(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        if (!name.contains(u'('))
            name += QStringLiteral(" (") + patterns + u')';
        entries << name;
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace tv
