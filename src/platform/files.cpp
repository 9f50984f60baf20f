#include "platform/files.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>

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

} // namespace tv
