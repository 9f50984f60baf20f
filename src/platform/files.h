#pragma once
// File-system helpers: the shared data folder, an existence test, the parts of a path, and the
// program's own folders.
#include <QString>

namespace tv {

// The all-users application data folder: the first writable place of the shared data
// locations, without blanks or NULs at either end or a trailing slash; "" when unknown.
QString sharedDataFolder();
// True when the path names something whose time stamp can be read; never throws.
bool fileExists(const QString& path);
// The text after the last backslash, as a Windows path's file name: a web address comes back
// whole, "C:\a\" gives "". The database method shows a site by it.
QString textAfterLastBackslash(const QString& path);
// The file-name part of a local path on this platform.
QString localFileName(const QString& path);

// The folder that holds the program file.
QString programFolder();
// sharedDataFolder() + "/Quenrith/Tallyvane".
QString dataFolder();
// dataFolder() + "/dbData.mdb".
QString workingDatabasePath();

} // namespace tv
