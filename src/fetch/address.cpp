#include "fetch/address.h"

namespace tv {

QString completeAddress(const QString& address)
{
    qsizetype begin = 0;
    qsizetype end = address.size();
    while (begin < end && address.at(begin) == u' ')
        ++begin;
    while (end > begin && address.at(end - 1) == u' ')
        --end;
    const QString trimmed = address.mid(begin, end - begin);
    if (trimmed.size() > 4 && trimmed.left(4).toLower() != QLatin1String("http"))
        return QStringLiteral("http://") + trimmed + u'/';
    return trimmed;
}

} // namespace tv
