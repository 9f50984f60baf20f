#include "pgconnection.h"

#include "pgstore/serveraddress.h"

#include <libpq-fe.h>
#include <optional>
#include <vector>

namespace tv {

namespace {

// Sent in pieces, so that libpq's output buffer stays small whatever a page holds.
constexpr qsizetype kCopyPiece = 256 * 1024;

// CREATE TABLE IF NOT EXISTS and the like send notices; libpq would print them.
void ignoreNotice(void*, const char*) {}

// libpq's messages run over several lines with tabs; a report wants one.
QString tidy(const char* message)
{
    return QString::fromUtf8(message).simplified();
}

QString field(const PGresult* result, int code)
{
    const char* text = result ? PQresultErrorField(result, code) : nullptr;
    return text ? QString::fromUtf8(text).simplified() : QString();
}

bool isConnectionState(const QString& sqlstate)
{
    // Class 08 is "connection exception"; 57P01-57P03 are a server shutting down, crashing or
    // not yet accepting connections.
    return sqlstate.startsWith(QLatin1String("08")) || sqlstate == u"57P01" ||
           sqlstate == u"57P02" || sqlstate == u"57P03";
}

// Defaults that the address or a PG* variable can override: a worker should neither wait
// minutes for a host that does not answer nor hang forever on a connection whose peer vanished.
struct Defaults {
    std::vector<const char*> keys;
    std::vector<const char*> values;
    void add(const char* key, const char* value)
    {
        keys.push_back(key);
        values.push_back(value);
    }
};

} // namespace

PgResult::~PgResult()
{
    if (m_result)
        PQclear(m_result);
}

PgResult& PgResult::operator=(PgResult&& other) noexcept
{
    if (this != &other) {
        if (m_result)
            PQclear(m_result);
        m_result = other.m_result;
        other.m_result = nullptr;
    }
    return *this;
}

int PgResult::rows() const
{
    return m_result ? PQntuples(m_result) : 0;
}

QString PgResult::text(int row, int column) const
{
    return QString::fromUtf8(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 PgResult::number(int row, int column) const
{
    return QByteArray(PQgetvalue(m_result, row, column)).toLongLong();
}

bool PgResult::isNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) != 0;
}

PgConnection::PgConnection(const ConnectionSettings& settings)
    : m_secrets(addressSecrets(settings.address))
{
    const QString shown = redactedAddress(settings.address);
    if (!isServerAddress(settings.address)) {
        throw StoreError(StoreProblem::BadAddress,
                         QStringLiteral("\"%1\" is not a PostgreSQL server address "
                                        "(postgresql://[user@]host[:port]/database)")
                             .arg(shown));
    }
    const QByteArray address = settings.address.toUtf8();
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(address.constData(), &parseError);
    if (!parsed) {
        const QString why = parseError ? tidy(parseError) : QStringLiteral("out of memory");
        PQfreemem(parseError);
        throw StoreError(
            StoreProblem::BadAddress,
            withoutSecrets(
                QStringLiteral("The server address \"%1\" cannot be read: %2").arg(shown, why),
                m_secrets));
    }
    PQconninfoFree(parsed);

    const QByteArray application = settings.applicationName.toUtf8();
    Defaults params;
    if (qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT"))
        params.add("connect_timeout", "10");
    params.add("keepalives_idle", "60");
    params.add("keepalives_interval", "10");
    params.add("keepalives_count", "6");
    params.add("fallback_application_name", application.constData());
    params.add("dbname", address.constData()); // expanded: what the address says wins
    params.add("client_encoding", "UTF8");     // after it: words always travel as UTF-8
    params.add(nullptr, nullptr);
    m_conn = PQconnectdbParams(params.keys.data(), params.values.data(), 1);
    if (!m_conn)
        throw StoreError(StoreProblem::Refused, QStringLiteral("Cannot connect: out of memory"));

    const char* host = PQhost(m_conn);
    const char* port = PQport(m_conn);
    m_description = QStringLiteral("%1:%2, database %3, user %4")
                        .arg(QString::fromUtf8(host && *host ? host : "localhost"),
                             QString::fromUtf8(port && *port ? port : "5432"),
                             QString::fromUtf8(PQdb(m_conn)), QString::fromUtf8(PQuser(m_conn)));
    if (PQstatus(m_conn) == CONNECTION_OK) {
        PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
        return;
    }
    const QString why = withoutSecrets(tidy(PQerrorMessage(m_conn)), m_secrets);
    StoreProblem problem = StoreProblem::Unreachable;
    QString what = QStringLiteral("Cannot reach the database server (%1)");
    if (PQconnectionNeedsPassword(m_conn)) {
        problem = StoreProblem::Authentication;
        what = QStringLiteral("The database server (%1) asks for a password, and none was given "
                              "in the address, in PGPASSWORD or in ~/.pgpass");
    } else if (why.contains(QLatin1String("authentication failed"))) {
        problem = StoreProblem::Authentication;
        what = QStringLiteral("The database server (%1) refused the user name or password");
    } else if (why.contains(QLatin1String("FATAL"))) {
        // The server answered and said no: no such database, no entry for this client, too
        // many connections, starting up or shutting down.
        problem = StoreProblem::Refused;
        what = QStringLiteral("The database server (%1) refused the connection");
    }
    PQfinish(m_conn);
    m_conn = nullptr;
    throw StoreError(problem, what.arg(m_description) + QStringLiteral(": ") + why);
}

PgConnection::~PgConnection()
{
    if (m_conn)
        PQfinish(m_conn);
}

bool PgConnection::isBroken() const
{
    return PQstatus(m_conn) == CONNECTION_BAD;
}

QString PgConnection::serverParameter(const char* name) const
{
    const char* value = PQparameterStatus(m_conn, name);
    return value ? QString::fromUtf8(value) : QString();
}

StoreError PgConnection::failure(PGresult* result, const QString& context) const
{
    const QString sqlstate = field(result, PG_DIAG_SQLSTATE);
    QString message = field(result, PG_DIAG_MESSAGE_PRIMARY);
    if (message.isEmpty())
        message = tidy(PQerrorMessage(m_conn));
    const QString detail = field(result, PG_DIAG_MESSAGE_DETAIL);
    if (!detail.isEmpty())
        message += QStringLiteral(" (") + detail + u')';
    if (message.isEmpty())
        message = QStringLiteral("the server gave no reason");
    message = withoutSecrets(message, m_secrets);
    StoreProblem problem = StoreProblem::Server;
    if (isBroken() || isConnectionState(sqlstate))
        problem = StoreProblem::ConnectionLost;
    else if (sqlstate == u"53100")
        problem = StoreProblem::DiskFull;
    else if (sqlstate == u"23503")
        problem = StoreProblem::NoSuchRun; // a page of a run dropped meanwhile
    return StoreError(problem,
                      context.isEmpty() ? message : context + QStringLiteral(": ") + message);
}

PgResult PgConnection::exec(const char* sql, std::initializer_list<QByteArray> parameters)
{
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const QByteArray& p : parameters)
        values.push_back(p.constData());
    PGresult* raw =
        PQexecParams(m_conn, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return PgResult(raw);
    StoreError error = failure(raw, QString());
    PQclear(raw);
    throw error;
}

void PgConnection::copyIn(const char* sql, const QByteArray& data)
{
    PGresult* start = PQexec(m_conn, sql);
    if (PQresultStatus(start) != PGRES_COPY_IN) {
        StoreError error = failure(start, QString());
        PQclear(start);
        drainResults();
        throw error;
    }
    PQclear(start);
    bool sent = true;
    for (qsizetype at = 0; sent && at < data.size(); at += kCopyPiece) {
        const qsizetype size = std::min(kCopyPiece, data.size() - at);
        sent = PQputCopyData(m_conn, data.constData() + at, int(size)) == 1;
    }
    if (PQputCopyEnd(m_conn, sent ? nullptr : "the words could not be sent") != 1)
        sent = false;
    PGresult* end = PQgetResult(m_conn);
    const bool ok = end && PQresultStatus(end) == PGRES_COMMAND_OK;
    std::optional<StoreError> error;
    if (!ok)
        error = failure(end, QString());
    if (end)
        PQclear(end);
    drainResults();
    if (error)
        throw *error;
}

void PgConnection::forEachRow(const char* sql, std::initializer_list<QByteArray> parameters,
                              const std::function<void(const PgResult&)>& onRow)
{
    std::vector<const char*> values;
    for (const QByteArray& p : parameters)
        values.push_back(p.constData());
    if (!PQsendQueryParams(m_conn, sql, int(values.size()), nullptr, values.data(), nullptr,
                           nullptr, 0))
        throw failure(nullptr, QString());
    PQsetSingleRowMode(m_conn);
    std::exception_ptr rowFailure;
    std::optional<StoreError> queryFailure;
    while (PGresult* raw = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(raw);
        if (status == PGRES_SINGLE_TUPLE) {
            PgResult row(raw);
            if (rowFailure)
                continue;
            try {
                onRow(row);
            } catch (...) {
                rowFailure = std::current_exception();
                PGcancel* cancel = PQgetCancel(m_conn);
                char why[256];
                if (cancel) {
                    PQcancel(cancel, why, sizeof why);
                    PQfreeCancel(cancel);
                }
            }
        } else if (status != PGRES_TUPLES_OK && !rowFailure && !queryFailure) {
            queryFailure = failure(raw, QString());
            PQclear(raw);
        } else {
            PQclear(raw);
        }
    }
    if (rowFailure)
        std::rethrow_exception(rowFailure);
    if (queryFailure)
        throw *queryFailure;
    // A connection that broke mid-result ends the results without an error result of its own.
    if (isBroken())
        throw failure(nullptr, QString());
}

void PgConnection::rollbackQuietly()
{
    if (isBroken())
        return;
    PQclear(PQexec(m_conn, "ROLLBACK"));
    drainResults();
}

void PgConnection::drainResults()
{
    while (PGresult* rest = PQgetResult(m_conn))
        PQclear(rest);
}

} // namespace tv
