#include "scratchdatabase.h"

#include "count/blankdatabase.h"

#include "platform/database.h"
#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

namespace {

const QString kFolderPrefix = QStringLiteral("tallyvane-count-");
const QString kFileName = QStringLiteral("words.sqlite");
// Held locked by the run that made the folder, for as long as it lives.
const QString kOwnerLock = QStringLiteral("owner.lock");
// Everything SQLite and the run's lock file may leave beside the database.
const char* const kSuffixes[] = {"", "-journal", "-wal", "-shm", ".lock"};
constexpr int kFiles = int(std::size(kSuffixes));
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = int(std::size(kSignals));
constexpr size_t kMaxPath = 4096;

// The handler may only make plain system calls, so it finds the names ready made here.
char g_files[kFiles][kMaxPath];
char g_ownerLock[kMaxPath];
char g_folder[kMaxPath];
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount];

extern "C" void removeScratchAndStop(int signal)
{
    for (const char* file : g_files)
        unlink(file);
    unlink(g_ownerLock);
    rmdir(g_folder);
    // The program then ends as the signal would have ended it, exit status included.
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i])
            sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    raise(signal);
}

bool copyPath(char* target, const QByteArray& path)
{
    if (size_t(path.size()) >= kMaxPath)
        return false;
    std::memcpy(target, path.constData(), size_t(path.size()) + 1);
    return true;
}

// Takes the owner lock of a new folder. The lock file appears under its name only once it is
// locked, so that another run never finds it free while its owner lives. -1 when it cannot.
int takeOwnerLock(const QString& folder)
{
    const QByteArray fresh = QFile::encodeName(folder + u'/' + kOwnerLock + u'~');
    const QByteArray final = QFile::encodeName(folder + u'/' + kOwnerLock);
    const int fd = open(fresh.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || rename(fresh.constData(), final.constData()) != 0) {
        unlink(fresh.constData());
        close(fd);
        return -1;
    }
    return fd;
}

// Removes a leftover folder when its owner lock can be taken: the lock goes with its owner.
void removeIfOwnerGone(const QString& folder)
{
    struct stat info = {};
    // Only a real folder of this user: never one reached through a link someone else made.
    if (lstat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != geteuid())
        return;
    const QByteArray lockPath = QFile::encodeName(folder + u'/' + kOwnerLock);
    const int fd = open(lockPath.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return; // no owner lock: not a folder of this kind, or its owner is still starting
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        const QByteArray database = QFile::encodeName(folder + u'/' + kFileName);
        for (const char* suffix : kSuffixes)
            unlink((database + suffix).constData());
        unlink(lockPath.constData());
        rmdir(QFile::encodeName(folder).constData());
    }
    close(fd);
}

} // namespace

ScratchDatabase::ScratchDatabase(bool leaveInterrupt)
    : m_dir(QDir::tempPath() + u'/' + kFolderPrefix + "XXXXXX"), m_leaveInterrupt(leaveInterrupt)
{
}

void ScratchDatabase::removeLeftovers()
{
    const QDir temp(QDir::tempPath());
    const QStringList folders =
        temp.entryList({kFolderPrefix + u'*'}, QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QString& name : folders)
        removeIfOwnerGone(temp.filePath(name));
}

ScratchDatabase::~ScratchDatabase()
{
    if (m_ownerLock >= 0)
        close(m_ownerLock);
    if (!m_watching)
        return;
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i])
            sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
}

QString ScratchDatabase::create()
{
    if (!m_dir.isValid())
        throw Failure(QStringLiteral("No temporary folder for the word database: ") +
                      m_dir.errorString());
    if (m_ownerLock < 0)
        m_ownerLock = takeOwnerLock(m_dir.path());
    removeLeftovers();
    const QString path = m_dir.filePath(kFileName);
    bool named = !m_watching && copyPath(g_folder, QFile::encodeName(m_dir.path())) &&
                 copyPath(g_ownerLock, QFile::encodeName(m_dir.filePath(kOwnerLock)));
    for (int i = 0; i < kFiles && named; ++i)
        named = copyPath(g_files[i], QFile::encodeName(path) + kSuffixes[i]);
    if (named) {
        struct sigaction action = {};
        action.sa_handler = removeScratchAndStop;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < kSignalCount; ++i) {
            g_installed[i] = false;
            if (m_leaveInterrupt && kSignals[i] == SIGINT)
                continue;
            // A signal the caller chose to ignore (nohup) stays ignored.
            g_installed[i] = sigaction(kSignals[i], nullptr, &g_previous[i]) == 0 &&
                             g_previous[i].sa_handler != SIG_IGN &&
                             sigaction(kSignals[i], &action, nullptr) == 0;
        }
        m_watching = true;
    }
    createWordDatabase(path);
    return path;
}

} // namespace tv
