#include "scratchdatabase.h"

#include "count/blankdatabase.h"

#include "platform/database.h"
#include "platform/failure.h"

#include <QFile>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace tv {

namespace {

const QString kFileName = QStringLiteral("words.sqlite");
// Everything SQLite and the run's lock file may leave beside the database.
const char* const kSuffixes[] = {"", "-journal", "-wal", "-shm", ".lock"};
constexpr int kFiles = int(std::size(kSuffixes));
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = int(std::size(kSignals));
constexpr size_t kMaxPath = 4096;

// The handler may only make plain system calls, so it finds the names ready made here.
char g_files[kFiles][kMaxPath];
char g_folder[kMaxPath];
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount];

extern "C" void removeScratchAndStop(int signal)
{
    for (const char* file : g_files)
        unlink(file);
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

} // namespace

ScratchDatabase::ScratchDatabase() = default;

ScratchDatabase::~ScratchDatabase()
{
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
    const QString path = m_dir.filePath(kFileName);
    bool named = !m_watching && copyPath(g_folder, QFile::encodeName(m_dir.path()));
    for (int i = 0; i < kFiles && named; ++i)
        named = copyPath(g_files[i], QFile::encodeName(path) + kSuffixes[i]);
    if (named) {
        struct sigaction action = {};
        action.sa_handler = removeScratchAndStop;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < kSignalCount; ++i) {
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
