#include "support/worddatabase.h"

#include "count/blankdatabase.h"
#include "platform/database.h"

#include <QDir>
#include <QFile>

namespace tv::test {

QString makeWordDatabase(const QString& folder, const QString& name, const QStringList& extraSql)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    createWordDatabase(path);
    Database db;
    db.open(path);
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
