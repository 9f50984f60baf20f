#include "platform/files.h"

#include <QDateTime>
#include <QFileInfo>

namespace tv {

bool fileExists(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

QString textAfterLastBackslash(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'\\');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString localFileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace tv
