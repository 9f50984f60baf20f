#include "ownedfolder.h"

#include "platform/guard.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tv {

namespace {

const QString kLockName = QStringLiteral("owner.lock");

// A lock whose owner is alive stays taken however old it is; one whose owner is gone is free.
std::unique_ptr<QLockFile> ownerLock(const QString& folder)
{
    auto lock = std::make_unique<QLockFile>(folder + u'/' + kLockName);
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

OwnedFolder::OwnedFolder(QString prefix) : m_prefix(std::move(prefix)) {}

OwnedFolder::~OwnedFolder()
{
    remove();
}

QString OwnedFolder::create()
{
    if (isCreated())
        return m_path;
    QTemporaryDir dir(QDir::tempPath() + u'/' + m_prefix + QStringLiteral("XXXXXX"));
    if (!dir.isValid())
        throw Failure(QStringLiteral("Cannot make a folder in the temporary folder: ") +
                      dir.errorString());
    auto lock = ownerLock(dir.path());
    if (!lock->tryLock(0))
        throw Failure(QStringLiteral("Cannot lock the folder \"%1\"").arg(dir.path()));
    dir.setAutoRemove(false);
    m_path = dir.path();
    m_lock = std::move(lock);
    removeLeftovers(m_prefix);
    return m_path;
}

void OwnedFolder::remove()
{
    if (!isCreated())
        return;
    m_lock->unlock();
    m_lock.reset();
    QDir(m_path).removeRecursively();
    m_path.clear();
}

void OwnedFolder::removeLeftovers(const QString& prefix)
{
    // This user's folders are made like this one: a fresh file says who this user is.
    QTemporaryDir probe;
    if (!probe.isValid())
        return;
    const uint user = QFileInfo(probe.path()).ownerId();
    const QDir temp(QDir::tempPath());
    const QFileInfoList folders =
        temp.entryInfoList({prefix + u'*'}, QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& folder : folders) {
        // Only folders of this user: never one that someone else put there.
        if (folder.ownerId() != user)
            continue;
        const QString path = folder.absoluteFilePath();
        // No lock yet: its owner is still making it, or it is not a folder of this kind.
        if (!QFileInfo::exists(path + u'/' + kLockName))
            continue;
        auto lock = ownerLock(path);
        if (!lock->tryLock(0))
            continue;
        lock->unlock();
        QDir(path).removeRecursively();
    }
}

} // namespace tv
