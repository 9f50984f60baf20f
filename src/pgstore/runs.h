#pragma once
// Runs on the word server: a name that any number of workers join, tied to the site list they
// count (by a fingerprint) and to the counting settings, so that a name reused for another list
// is refused instead of mixing two counts.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tv {

class PgConnection;

struct RunSpec {
    QString name;
    QStringList sites; // the whole list, every row as the list has it (empty rows too)
    QString settings;  // how words are counted ("ignore case", "keep case"); all workers agree
};

struct RunSummary {
    QString name;
    int siteRows = 0; // rows of the run's list
    int recorded = 0; // rows recorded so far, whatever their outcome
    int failed = 0;   // rows whose page could not be read
    qint64 words = 0; // words stored
    QString settings;
    QDateTime created;
    QDateTime lastRecorded; // invalid before the first page
    bool complete() const { return recorded >= siteRows; }
};

// "sha256:" and the hex digest of the rows in order, each with its length, so that neither the
// order nor where one row ends and the next begins can change without changing it.
QString listFingerprint(const QStringList& sites);

// Creates the run or joins it; gives its id. Throws StoreError: RunConflict when the name
// stands for another list or other settings, BadInput for an empty name.
int joinRun(PgConnection& connection, const RunSpec& wanted);
// The id of the run so named; nothing when there is none. Throws StoreError.
std::optional<int> findRun(PgConnection& connection, const QString& name);
// Every run in the order they were made. Throws StoreError.
std::vector<RunSummary> listRuns(PgConnection& connection);
// Removes the run, its pages and its words; false when there is no such run. Waits for pages
// being recorded to finish; later pages of the run are refused. Throws StoreError.
bool dropRun(PgConnection& connection, const QString& name);

} // namespace tv
