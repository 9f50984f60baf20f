#pragma once
// Database access: one connection to an SQLite file through Qt SQL. Every failure becomes a
// Failure whose description says what went wrong in the database's own words.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace tv {

class Database;

// A statement prepared once and run many times with new bound values.
class Statement {
public:
    // Named placeholders (":w0"): Qt binds them without formatting a name per value.
    void bind(const QString& placeholder, const QVariant& value);
    void bind(int position, const QVariant& value);
    // Throws Failure when the statement fails.
    void exec();

    // Result rows of a query, walked forward from the first: false after the last.
    // Throws Failure when reading fails.
    bool next();
    QVariant value(int column) const;
    // Releases the result so that the connection can go on.
    void finish();

private:
    friend class Database;
    explicit Statement(QSqlQuery query) : m_query(std::move(query)) {}
    QSqlQuery m_query;
};

class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing database file for reading and writing. Throws Failure when the file is
    // missing, cannot be opened, or is not a database.
    void open(const QString& path);
    bool isOpen() const;
    void close();

    // Runs one statement; throws Failure when it fails.
    void exec(const QString& sql);
    // Throws Failure when the statement cannot be prepared.
    Statement prepare(const QString& sql);
    // Forward-only query of one statement, ready for Statement::next(); throws Failure.
    Statement query(const QString& sql);
    // True when the database has a table of that name; throws Failure when it cannot tell.
    bool hasTable(const QString& table);

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    QString path() const { return m_path; }

private:
    QString m_connection;
    QString m_path;
    bool m_inTransaction = false;
};

} // namespace tv
