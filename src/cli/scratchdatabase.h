#pragma once
// The private database of one command-line count: an SQLite file with an empty tbWords in a
// temporary folder of its own, so that a window counting at the same time keeps its table.
// The folder goes when the count ends, and also when the program is interrupted (Ctrl+C, a
// hang-up, kill), since a large count leaves a large file behind.
#include <QString>
#include <QTemporaryDir>

namespace tv {

class ScratchDatabase {
public:
    ScratchDatabase();
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    // Makes the folder and the database; gives its path. Throws Failure when it cannot.
    QString create();

private:
    QTemporaryDir m_dir;
    bool m_watching = false;
};

} // namespace tv
