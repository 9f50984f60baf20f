#pragma once
// The private database of one command-line count: an SQLite file with an empty tbWords in a
// temporary folder of its own, so that a window counting at the same time keeps its table.
// The folder goes when the count ends, and also when the program is interrupted (Ctrl+C, a
// hang-up, kill), since a large count leaves a large file behind. A run that could not clean
// up (killed outright, crashed) leaves its folder; the next run removes it, once the lock its
// owner held for its whole life is free.
#include <QString>
#include <QTemporaryDir>

namespace tv {

class ScratchDatabase {
public:
    // `leaveInterrupt`: SIGINT belongs to the caller (a count that stops on Ctrl-C and ends
    // normally, taking the folder along as usual).
    explicit ScratchDatabase(bool leaveInterrupt = false);
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    // Removes what runs that ended without cleaning up left behind, then makes the folder and
    // the database; gives its path. Throws Failure when it cannot.
    QString create();

    // The folders that runs of this user left in the temporary folder and whose owner is gone
    // are removed, with the files a run puts there; others are left alone.
    static void removeLeftovers();

private:
    QTemporaryDir m_dir;
    int m_ownerLock = -1;
    bool m_watching = false;
    bool m_leaveInterrupt = false;
};

} // namespace tv
