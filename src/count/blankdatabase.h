#pragma once
// The empty word database: the template the window copies into its data folder when the working
// database is missing (dbBlank.mdb, made by the build), and a command line's private database.
#include <QString>

namespace tv {

// Makes an SQLite file `path` whose table tbWords (one text column Word) is empty. Throws
// Failure when it cannot.
void createWordDatabase(const QString& path);

} // namespace tv
