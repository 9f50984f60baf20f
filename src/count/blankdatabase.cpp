#include "count/blankdatabase.h"

#include "platform/database.h"
#include "platform/failure.h"

#include <QFile>

namespace tv {

void createWordDatabase(const QString& path)
{
    QFile file(path);
    // SQLite takes an empty file for an empty database.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Failure(QStringLiteral("Cannot create \"%1\": %2").arg(path, file.errorString()));
    file.close();
    Database db;
    db.open(path);
    db.exec(QStringLiteral("CREATE TABLE tbWords (Word TEXT)"));
}

} // namespace tv
