// Writes the empty template of the working database (dbBlank.mdb), which the program copies
// into its data folder when the working database is missing. Run by the build.
#include "count/blankdatabase.h"
#include "platform/failure.h"

#include <QCoreApplication>
#include <QFile>
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
    try {
        tv::createWordDatabase(path);
    } catch (const tv::Failure& failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.description()));
        return 1;
    }
    return 0;
}
