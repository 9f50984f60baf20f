#pragma once
// File-system helpers: special folders, existence test, file-name part, the program's folders.
#include <QByteArrayView>
#include <QString>

class QIODevice;

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

// Writes all of `bytes` to the open device, again after a short write, so that a failure is
// told with the system's own reason ("No space left on device"). False when the device took
// less; `error` then says why.
bool writeWhole(QIODevice& device, QByteArrayView bytes, QString& error);

// The folder that holds the program file.
QString programFolder();
// SpecialFolderPath(35) + "/Quenrith/Tallyvane".
QString dataFolder();
// dataFolder() + "/dbData.mdb".
QString workingDatabasePath();

} // namespace tv
