#include "platform/folders.h"

#include <QCoreApplication>
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
