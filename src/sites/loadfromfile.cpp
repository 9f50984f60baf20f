#include "loadfromfile.h"

#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/yield.h"
#include "sites/sitelinesplitter.h"
#include "sites/sitelistmodel.h"

#include <QFile>
#include <QFileInfo>

namespace tv {

namespace {

constexpr qint64 kChunkSize = 64 * 1024;

// Rows go in one by one, with a yield before each, so a command started during the load
// (Clear List, a filter) sees exactly the rows read so far.
void appendRows(SiteListModel& list, QStringList& rows)
{
    for (const QString& row : rows) {
        yieldToWindow();
        list.append(row);
    }
    rows.clear();
}

QString longLineMessage(const QString& name, qsizetype line)
{
    return QStringLiteral("\"%1\": line %2 is too long (more than %3 bytes); it and any other "
                          "lines that long are skipped")
        .arg(name)
        .arg(line)
        .arg(SiteLineSplitter::kMaxLineBytes);
}

} // namespace

void appendLinesFromDevice(SiteListModel& list, QIODevice& device, const QString& name,
                           const LongLineNotice& notice)
{
    SiteLineSplitter splitter;
    bool noticed = false;
    const auto tell = [&] {
        if (noticed || splitter.firstLongLine() == 0)
            return;
        noticed = true;
        if (notice)
            notice(longLineMessage(name, splitter.firstLongLine()));
    };
    QStringList rows;
    QByteArray buffer(kChunkSize, Qt::Uninitialized);
    for (;;) {
        // A file without line ends still lets the window breathe while it is read.
        yieldToWindow();
        const qint64 got = device.read(buffer.data(), buffer.size());
        if (got < 0)
            throw Failure(QStringLiteral("Cannot read \"%1\": %2").arg(name, device.errorString()));
        if (got == 0)
            break;
        splitter.feed(QByteArrayView(buffer.constData(), got), rows);
        appendRows(list, rows);
        tell();
    }
    splitter.finish(rows);
    appendRows(list, rows);
    tell();
}

void appendSitesFromFile(SiteListModel& list, const QString& path, Dialogs& dialogs)
{
    if (!fileExists(path)) {
        dialogs.information(QStringLiteral("File not found"));
        return;
    }
    const QFileInfo info(path);
    if (info.isDir())
        throw Failure(QStringLiteral("Cannot read \"%1\": it is a folder").arg(path));
    // A pipe or a device could block the window or never end; a site list is a plain file.
    if (!info.isFile())
        throw Failure(QStringLiteral("Cannot read \"%1\": it is not a regular file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    // The file closes when `file` goes, also when reading fails part-way. Long lines are told
    // of once the file is read, so that the report does not cut the load short.
    QString longLines;
    appendLinesFromDevice(list, file, path, [&](const QString& message) { longLines = message; });
    if (!longLines.isEmpty())
        throw Failure(longLines);
}

} // namespace tv
