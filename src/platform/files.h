#pragma once
// File-system helpers: special folders, existence test, file-name part, the program's folders.
#include <QString>

namespace tv {

constexpr int kCommonAppDataFolder = 35;

// The path of a special folder (35: the shared application data folder), or "" when unknown.
QString SpecialFolderPath(int folderId);
// True when the path names something whose time stamp can be read; never throws.
bool FileExists(const QString& path);
// The text after the last backslash: a web address comes back whole, "C:\a\" gives "".
QString FileNameFromPath(const QString& path);
// The file-name part of a local path on this platform.
QString localFileName(const QString& path);

// The folder that holds the program file.
QString programFolder();
// SpecialFolderPath(35) + "/Quenrith/Tallyvane".
QString dataFolder();
// dataFolder() + "/dbData.mdb".
QString workingDatabasePath();

} // namespace tv
