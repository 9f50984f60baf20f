#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace tv::test {

namespace {
std::unique_ptr<QTemporaryDir>& home()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}
} // namespace

void redirectUserFolders()
{
    home() = std::make_unique<QTemporaryDir>();
    const QString root = home()->path();
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (root + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toUtf8());
    QDir().mkpath(root + QStringLiteral("/runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString testHome()
{
    return home() ? home()->path() : QDir::tempPath();
}

QString fixtureFolder(const QString& name)
{
    const QString path = testHome() + QStringLiteral("/fixtures/") + name;
    QDir().mkpath(path);
    return path;
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return QFileInfo(path).absoluteFilePath();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace tv::test
