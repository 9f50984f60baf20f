#include "platform/files.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tv {

QString sharedDataFolder()
{
    // The first writable place of the shared data locations stands for the all-users folder.
    QString path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    path.remove(QChar(0));
    while (path.endsWith(u' '))
        path.chop(1);
    while (path.startsWith(u' '))
        path.remove(0, 1);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

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

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString dataFolder()
{
    return sharedDataFolder() + QStringLiteral("/Quenrith/Tallyvane");
}

QString workingDatabasePath()
{
    return dataFolder() + QStringLiteral("/dbData.mdb");
}

} // namespace tv
