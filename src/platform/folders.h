#pragma once
// The folders the program keeps its files in: its own, and the shared data folder that holds
// the working database.
#include <QString>

namespace tv {

// The all-users application data folder: the first writable place of the shared data
// locations, without blanks or NULs at either end or a trailing slash; "" when unknown.
QString sharedDataFolder();
// The folder that holds the program file.
QString programFolder();
// sharedDataFolder() + "/Quenrith/Tallyvane".
QString dataFolder();
// dataFolder() + "/dbData.mdb".
QString workingDatabasePath();

} // namespace tv
