#pragma once
// What went wrong with the word server, in kinds a caller can act on (retry, stop, tell the user
// to fix the address), each with a description fit to show. No description ever holds the
// password of the server address.
#include "platform/guard.h"

namespace tv {

enum class StoreProblem {
    BadAddress,     // not a PostgreSQL connection URI libpq accepts
    Unreachable,    // no server answered at that address
    Authentication, // the server refused the user or password
    Refused,        // the server answered but would not serve (no such database, too busy, ...)
    ConnectionLost, // the connection broke mid-work and could not be made again
    DiskFull,       // the server has no room left to store the words
    RunConflict,    // the run name exists with another site list or other counting settings
    NoSuchRun,      // no run of that name (report, or a run dropped under a worker)
    BadInput, // a page record the store cannot take (row out of range, words of a failed page)
    Server,   // any other statement failure, in the server's words
};

class StoreError : public Failure {
public:
    StoreError(StoreProblem problem, const QString& description)
        : Failure(description), m_problem(problem)
    {
    }
    StoreProblem problem() const { return m_problem; }

private:
    StoreProblem m_problem;
};

} // namespace tv
