#include "cli/clisites.h"

#include "cli/console.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "sites/loadfromfile.h"
#include "sites/sitelistmodel.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace tv {

namespace {

void appendList(const QString& path, SiteListModel& sites, Console& console)
{
    // Told at once: an endless line (--list /dev/zero) never ends its file.
    const LongLineNotice notice = [&](const QString& message) { console.message(message); };
    if (path == u"-") {
        QFile in;
        if (!in.open(STDIN_FILENO, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            throw Failure(QStringLiteral("Cannot read standard input: ") + in.errorString());
        appendLinesFromDevice(sites, in, QStringLiteral("standard input"), notice);
        return;
    }
    if (!fileExists(path))
        throw Failure(QStringLiteral("File not found: ") + path);
    if (QFileInfo(path).isDir())
        throw Failure(QStringLiteral("Cannot read \"%1\": it is a folder").arg(path));
    // Unlike the window, a pipe is welcome here ("--list <(command)"): nothing waits on it.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    appendLinesFromDevice(sites, file, path, notice);
}

} // namespace

void loadSites(const QList<SiteSource>& sources, SiteListModel& sites, Console& console)
{
    for (const SiteSource& source : sources) {
        if (source.isList)
            appendList(source.value, sites, console);
        else
            sites.append(source.value);
    }
}

} // namespace tv
