#include "sites/droppedfiles.h"

#include <QFile>
#include <QFileInfo>

namespace tv {

namespace {

// A list's start says enough; a large page is not read whole to find out.
constexpr qint64 kLookBytes = 64 * 1024;

bool looksLikeAddress(const QString& line)
{
    for (const QChar c : line) {
        if (c.isSpace() || c == u'<' || c == u'>')
            return false;
    }
    return line.contains(u'.') || line.contains(QLatin1String("://")) ||
           line.startsWith(QLatin1String("localhost"), Qt::CaseInsensitive);
}

} // namespace

DroppedFile droppedFileKind(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"html" || suffix == u"htm" || suffix == u"xhtml" || suffix == u"xht")
        return DroppedFile::Page;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return DroppedFile::Page;
    QByteArray start = file.read(kLookBytes);
    // The last line may be cut off; only whole lines are judged.
    if (!file.atEnd())
        start.truncate(start.lastIndexOf('\n') + 1);
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    int addresses = 0;
    for (const QByteArray& raw : start.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty())
            continue;
        if (!looksLikeAddress(line))
            return DroppedFile::Page;
        ++addresses;
    }
    return addresses > 0 ? DroppedFile::SiteList : DroppedFile::Page;
}

} // namespace tv
