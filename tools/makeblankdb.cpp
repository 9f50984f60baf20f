// Writes the empty template of the working database: an SQLite file holding the empty table
// tbWords with its one text column Word. Run by the build; the program copies the template.
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeblankdb OUTPUT\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QFile::remove(path);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("t"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("CREATE TABLE tbWords (Word TEXT)"));
            if (!ok)
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
            db.close();
        } else {
            std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("t"));
    return ok ? 0 : 1;
}
