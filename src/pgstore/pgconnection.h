#pragma once
// The one place that speaks libpq: a connection made from a server address (with libpq's own
// parsing, PG* variables and the password file), statements with bound parameters, COPY FROM
// STDIN, and result rows read one at a time. Every failure becomes a StoreError in the server's
// words, without the password.
#include "pgstore/storeerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace tv {

// A statement's result; empty after a statement that returns no rows.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(PGresult* result) : m_result(result) {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept : m_result(other.m_result) { other.m_result = nullptr; }
    PgResult& operator=(PgResult&& other) noexcept;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    int rows() const;
    QString text(int row, int column) const;
    qint64 number(int row, int column) const;
    bool isNull(int row, int column) const;

private:
    PGresult* m_result = nullptr;
};

struct ConnectionSettings {
    QString address;         // postgresql://...
    QString applicationName; // shown by the server for this client unless the address names one
};

class PgConnection {
public:
    // Connects; throws StoreError (BadAddress, Unreachable, Authentication or Refused).
    explicit PgConnection(const ConnectionSettings& settings);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // "host:port, database D, user U": what a message says about the server.
    QString serverDescription() const { return m_description; }
    // True once the connection has broken; every later statement fails.
    bool isBroken() const;
    // A setting the server reported at start-up ("server_encoding", "server_version"); "" if none.
    QString serverParameter(const char* name) const;

    // Runs one statement with text parameters ($1, $2, ...); throws StoreError.
    PgResult exec(const char* sql, std::initializer_list<QByteArray> parameters = {});
    // Runs "COPY ... FROM STDIN" and sends `data` (COPY's text format) as its rows; throws
    // StoreError.
    void copyIn(const char* sql, const QByteArray& data);
    // Runs a query and hands over its rows one at a time, each as a result of one row. Throws
    // StoreError; a failure thrown by `onRow` cancels the query and is rethrown.
    void forEachRow(const char* sql, std::initializer_list<QByteArray> parameters,
                    const std::function<void(const PgResult&)>& onRow);

    // Ends a transaction that failed; a failure to do so (a broken connection) is left for the
    // next statement to find.
    void rollbackQuietly();

    // The error a failed statement (`result` may be null) stands for, in the server's words.
    StoreError failure(PGresult* result, const QString& context) const;

private:
    void drainResults();

    PGconn* m_conn = nullptr;
    QStringList m_secrets;
    QString m_description;
};

} // namespace tv
