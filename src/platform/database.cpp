#include "database.h"

#include "platform/failure.h"

#include <QFileInfo>
#include <QSqlError>
#include <atomic>

namespace tv {

namespace {

QString describe(const QSqlError& error, const QString& what)
{
    QString detail = error.databaseText();
    if (detail.isEmpty())
        detail = error.driverText();
    if (detail.isEmpty())
        detail = QStringLiteral("unknown database error");
    return what + QStringLiteral(": ") + detail;
}

QString nextConnectionName()
{
    static std::atomic<int> serial{0};
    return QStringLiteral("tv-database-") + QString::number(++serial);
}

} // namespace

void Statement::bind(const QString& placeholder, const QVariant& value)
{
    m_query.bindValue(placeholder, value);
}

void Statement::bind(int position, const QVariant& value)
{
    m_query.bindValue(position, value);
}

void Statement::exec()
{
    if (!m_query.exec())
        throw Failure(describe(m_query.lastError(), QStringLiteral("Database statement failed")));
}

bool Statement::next()
{
    if (m_query.next())
        return true;
    if (m_query.lastError().isValid())
        throw Failure(describe(m_query.lastError(), QStringLiteral("Reading the result failed")));
    return false;
}

QVariant Statement::value(int column) const
{
    return m_query.value(column);
}

void Statement::finish()
{
    m_query.finish();
}

Database::Database() : m_connection(nextConnectionName()) {}

Database::~Database()
{
    close();
}

void Database::open(const QString& path)
{
    close();
    const QFileInfo info(path);
    if (!info.isFile())
        throw Failure(QStringLiteral("The database file \"%1\" does not exist").arg(path));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        if (!db.isValid()) {
            QSqlDatabase::removeDatabase(m_connection);
            throw Failure(QStringLiteral("The SQLite driver of Qt SQL is not available"));
        }
        db.setDatabaseName(path);
        if (!db.open()) {
            const QSqlError error = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connection);
            throw Failure(
                describe(error, QStringLiteral("Cannot open the database \"%1\"").arg(path)));
        }
    }
    m_path = path;
    // SQLite reads the file lazily; this makes a file that is no database fail here.
    QSqlQuery probe(QSqlDatabase::database(m_connection, false));
    if (!probe.exec(QStringLiteral("PRAGMA schema_version"))) {
        const QSqlError error = probe.lastError();
        probe = QSqlQuery();
        close();
        throw Failure(describe(error, QStringLiteral("Cannot open the database \"%1\"").arg(path)));
    }
}

bool Database::isOpen() const
{
    return !m_path.isEmpty();
}

void Database::close()
{
    if (m_path.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (m_inTransaction)
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_path.clear();
    m_inTransaction = false;
}

void Database::exec(const QString& sql)
{
    if (!isOpen())
        throw Failure(QStringLiteral("The database is not open"));
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(sql))
        throw Failure(describe(query.lastError(), QStringLiteral("Database statement failed")));
}

Statement Database::prepare(const QString& sql)
{
    if (!isOpen())
        throw Failure(QStringLiteral("The database is not open"));
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw Failure(describe(query.lastError(), QStringLiteral("Database statement failed")));
    return Statement(std::move(query));
}

Statement Database::query(const QString& sql)
{
    Statement statement = prepare(sql);
    statement.exec();
    return statement;
}

bool Database::hasTable(const QString& table)
{
    Statement s = prepare(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = :name"));
    s.bind(QStringLiteral(":name"), table);
    s.exec();
    const bool found = s.next();
    s.finish();
    return found;
}

void Database::begin()
{
    exec(QStringLiteral("BEGIN"));
    m_inTransaction = true;
}

void Database::commit()
{
    m_inTransaction = false;
    exec(QStringLiteral("COMMIT"));
}

void Database::rollback()
{
    m_inTransaction = false;
    exec(QStringLiteral("ROLLBACK"));
}

} // namespace tv
