#include "runs.h"

#include "pgstore/copytext.h"
#include "pgstore/pgconnection.h"

#include <QCryptographicHash>

namespace tv {

namespace {

QDateTime timeOf(const PgResult& result, int row, int column)
{
    if (result.isNull(row, column))
        return {};
    return QDateTime::fromMSecsSinceEpoch(result.number(row, column), Qt::UTC);
}

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

} // namespace

QString listFingerprint(const QStringList& sites)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& site : sites) {
        const QByteArray utf8 = parameterText(site);
        hash.addData(QByteArray::number(utf8.size()) + ':');
        hash.addData(utf8);
    }
    return QStringLiteral("sha256:") + QString::fromLatin1(hash.result().toHex());
}

int joinRun(PgConnection& connection, const RunSpec& wanted)
{
    if (wanted.name.isEmpty())
        throw StoreError(StoreProblem::BadInput, QStringLiteral("A run needs a name"));
    const QByteArray name = parameterText(wanted.name);
    const QString fingerprint = listFingerprint(wanted.sites);
    const QByteArray settings = parameterText(wanted.settings);
    connection.exec(
        "INSERT INTO tallyvane_runs (name, list_fingerprint, settings, site_rows) "
        "VALUES ($1, $2, $3, $4) ON CONFLICT (name) DO NOTHING",
        {name, fingerprint.toLatin1(), settings, QByteArray::number(wanted.sites.size())});
    const PgResult run = connection.exec(
        "SELECT id, list_fingerprint, settings, site_rows FROM tallyvane_runs WHERE name = $1",
        {name});
    if (run.rows() == 0) {
        throw StoreError(StoreProblem::NoSuchRun,
                         QStringLiteral("The run %1 was dropped while this worker joined it")
                             .arg(quoted(wanted.name)));
    }
    if (run.text(0, 1) != fingerprint) {
        throw StoreError(StoreProblem::RunConflict,
                         QStringLiteral("The run %1 already counts another site list (%2 rows; "
                                        "this one has %3). Every worker of a run reads the same "
                                        "list: name a new run, or drop the old one first")
                             .arg(quoted(wanted.name), QString::number(run.number(0, 3)),
                                  QString::number(wanted.sites.size())));
    }
    if (run.text(0, 2) != QString::fromUtf8(settings)) {
        throw StoreError(StoreProblem::RunConflict,
                         QStringLiteral("The run %1 counts with \"%2\"; this worker would count "
                                        "with \"%3\". Every worker of a run counts the same way")
                             .arg(quoted(wanted.name), run.text(0, 2), wanted.settings));
    }
    return int(run.number(0, 0));
}

std::optional<int> findRun(PgConnection& connection, const QString& name)
{
    const PgResult run =
        connection.exec("SELECT id FROM tallyvane_runs WHERE name = $1", {parameterText(name)});
    if (run.rows() == 0)
        return std::nullopt;
    return int(run.number(0, 0));
}

std::vector<RunSummary> listRuns(PgConnection& connection)
{
    const PgResult runs =
        connection.exec("SELECT r.name, r.site_rows, count(p.site_row),"
                        " count(p.site_row) FILTER (WHERE p.outcome = 'failed'),"
                        " coalesce(sum(p.words), 0)::bigint, r.settings,"
                        " (extract(epoch FROM r.created_at) * 1000)::bigint,"
                        " (extract(epoch FROM max(p.recorded_at)) * 1000)::bigint"
                        " FROM tallyvane_runs r LEFT JOIN tallyvane_pages p ON p.run_id = r.id"
                        " GROUP BY r.id ORDER BY r.created_at, r.id");
    std::vector<RunSummary> summaries;
    for (int i = 0; i < runs.rows(); ++i) {
        RunSummary s;
        s.name = runs.text(i, 0);
        s.siteRows = int(runs.number(i, 1));
        s.recorded = int(runs.number(i, 2));
        s.failed = int(runs.number(i, 3));
        s.words = runs.number(i, 4);
        s.settings = runs.text(i, 5);
        s.created = timeOf(runs, i, 6);
        s.lastRecorded = timeOf(runs, i, 7);
        summaries.push_back(s);
    }
    return summaries;
}

bool dropRun(PgConnection& connection, const QString& name)
{
    connection.exec("BEGIN");
    try {
        // The lock waits for pages being recorded (each holds a share of the run's row) and
        // makes later ones wait, then fail, since their run is gone.
        const PgResult run = connection.exec(
            "SELECT id FROM tallyvane_runs WHERE name = $1 FOR UPDATE", {parameterText(name)});
        if (run.rows() == 0) {
            connection.exec("ROLLBACK");
            return false;
        }
        const QByteArray id = QByteArray::number(run.number(0, 0));
        connection.exec("DELETE FROM tallyvane_words WHERE run_id = $1", {id});
        connection.exec("DELETE FROM tallyvane_pages WHERE run_id = $1", {id});
        connection.exec("DELETE FROM tallyvane_runs WHERE id = $1", {id});
        connection.exec("COMMIT");
        return true;
    } catch (...) {
        connection.rollbackQuietly();
        throw;
    }
}

} // namespace tv
