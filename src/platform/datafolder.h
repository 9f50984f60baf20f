#pragma once
// Where the program's read-only files (template database, hand cursor, skin) are found:
// installed, in the share folder beside the program's bin folder; in the build folder, next to
// the program itself.
#include <QString>

namespace tv {

// The installed data folder of a program kept in `programFolder` when it exists, otherwise
// `programFolder` itself. Never fails; a folder without the files is the caller's concern.
QString programDataFolder(const QString& programFolder);
// programDataFolder() of the running program's folder.
QString programDataFolder();

} // namespace tv
