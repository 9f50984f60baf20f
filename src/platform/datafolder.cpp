#include "datafolder.h"

#include "folders.h"

#include <QDir>
#include <QFileInfo>

namespace tv {

QString programDataFolder(const QString& programFolder)
{
    // The relative step is fixed at build time from the install layout, so a relocated
    // prefix (everything moved together) still finds its data.
    const QString installed =
        QDir::cleanPath(programFolder + u'/' + QStringLiteral(TV_DATA_FROM_PROGRAM));
    return QFileInfo(installed).isDir() ? installed : programFolder;
}

QString programDataFolder()
{
    return programDataFolder(programFolder());
}

} // namespace tv
