#include "files.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QStandardPaths>

namespace tv {

QString SpecialFolderPath(int folderId)
{
    if (folderId != kCommonAppDataFolder)
        return {};
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

bool FileExists(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

QString FileNameFromPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'\\');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString localFileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

bool writeWhole(QIODevice& device, QByteArrayView bytes, QString& error)
{
    // A short write (a nearly full disk, a file size limit) sets no error: the next write
    // fails with the reason.
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = device.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            error = device.errorString();
            return false;
        }
        done += qsizetype(written);
    }
    return true;
}

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString dataFolder()
{
    return SpecialFolderPath(kCommonAppDataFolder) + QStringLiteral("/Quenrith/Tallyvane");
}

QString workingDatabasePath()
{
    return dataFolder() + QStringLiteral("/dbData.mdb");
}

} // namespace tv
