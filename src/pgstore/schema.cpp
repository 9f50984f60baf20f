#include "schema.h"

#include "pgstore/pgconnection.h"

namespace tv {

namespace {

// Any fixed number: workers that start together take turns making the tables, since two
// CREATE TABLE IF NOT EXISTS of one table at once can still collide.
constexpr const char* kTakeSchemaLock = "SELECT pg_advisory_xact_lock(7308613590476517713)";

constexpr const char* kCreate[] = {
    "CREATE TABLE IF NOT EXISTS tallyvane_schema (version integer PRIMARY KEY)",
    "CREATE TABLE IF NOT EXISTS tallyvane_runs ("
    " id serial PRIMARY KEY,"
    " name text NOT NULL UNIQUE,"
    " list_fingerprint text NOT NULL,"
    " settings text NOT NULL,"
    " site_rows integer NOT NULL,"
    " created_at timestamptz NOT NULL DEFAULT now())",
    "CREATE TABLE IF NOT EXISTS tallyvane_pages ("
    " run_id integer NOT NULL REFERENCES tallyvane_runs (id),"
    " site_row integer NOT NULL,"
    " site text NOT NULL,"
    " outcome text NOT NULL CHECK (outcome IN ('read', 'failed', 'no page')),"
    " detail text NOT NULL DEFAULT '',"
    " words bigint NOT NULL DEFAULT 0,"
    " shard text NOT NULL DEFAULT '',"
    " recorded_at timestamptz NOT NULL DEFAULT now(),"
    " PRIMARY KEY (run_id, site_row))",
    "CREATE TABLE IF NOT EXISTS tallyvane_words ("
    " run_id integer NOT NULL,"
    " site_row integer NOT NULL,"
    " word text COLLATE \"C\" NOT NULL,"
    " count bigint NOT NULL)",
    // The report and the drop of a run find its words by a block-range index: a run's rows are
    // appended together, and keeping this index up costs next to nothing per row, where a
    // B-tree costs the server a third more time for each page stored.
    "CREATE INDEX IF NOT EXISTS tallyvane_words_run ON tallyvane_words USING brin (run_id)",
    "INSERT INTO tallyvane_schema (version) VALUES (1) ON CONFLICT DO NOTHING",
};

// The version of the tables found, 0 when there are none.
int foundVersion(PgConnection& connection)
{
    const PgResult table = connection.exec("SELECT to_regclass('tallyvane_schema') IS NOT NULL");
    if (table.text(0, 0) != u"t")
        return 0;
    const PgResult version =
        connection.exec("SELECT coalesce(max(version), 0) FROM tallyvane_schema");
    return int(version.number(0, 0));
}

void checkVersion(int version, const PgConnection& connection)
{
    if (version > kSchemaVersion) {
        throw StoreError(StoreProblem::Refused,
                         QStringLiteral("The database (%1) holds Tallyvane tables of version %2, "
                                        "made by a newer Tallyvane; this one knows version %3")
                             .arg(connection.serverDescription(), QString::number(version),
                                  QString::number(kSchemaVersion)));
    }
}

} // namespace

void ensureSchema(PgConnection& connection)
{
    const QString encoding = connection.serverParameter("server_encoding");
    if (encoding != u"UTF8") {
        throw StoreError(StoreProblem::Refused,
                         QStringLiteral("The database (%1) stores text as %2; words need a UTF8 "
                                        "database (CREATE DATABASE ... ENCODING 'UTF8' TEMPLATE "
                                        "template0)")
                             .arg(connection.serverDescription(), encoding));
    }
    int version = foundVersion(connection);
    checkVersion(version, connection);
    if (version == kSchemaVersion)
        return;
    connection.exec("BEGIN");
    try {
        connection.exec(kTakeSchemaLock);
        version = foundVersion(connection);
        checkVersion(version, connection);
        if (version < kSchemaVersion) {
            for (const char* statement : kCreate)
                connection.exec(statement);
        }
        connection.exec("COMMIT");
    } catch (const StoreError& error) {
        connection.rollbackQuietly();
        throw StoreError(error.problem(),
                         QStringLiteral("Cannot make the Tallyvane tables in the "
                                        "database (%1): %2")
                             .arg(connection.serverDescription(), error.description()));
    }
}

} // namespace tv
