#include "worddatabase.h"

#include "platform/database.h"

#include <QDir>
#include <QFile>

namespace tv::test {

QString makeWordDatabase(const QString& folder, const QString& name, const QStringList& extraSql)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    // An SQLite file starts out empty; Database::open wants one that exists.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
    file.close();
    Database db;
    db.open(path);
    db.exec(QStringLiteral("CREATE TABLE tbWords (Word TEXT)"));
    for (const QString& sql : extraSql)
        db.exec(sql);
    return path;
}

QStringList storedWords(const QString& path)
{
    Database db;
    db.open(path);
    Statement rows = db.query(QStringLiteral("SELECT Word FROM tbWords ORDER BY rowid"));
    QStringList words;
    while (rows.next())
        words << rows.value(0).toString();
    rows.finish();
    return words;
}

} // namespace tv::test
