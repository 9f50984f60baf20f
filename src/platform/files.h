#pragma once
// Helpers for files and paths: an existence test that never fails, and the parts of a path.
#include <QString>

namespace tv {

// True when the path names something whose time stamp can be read; never throws.
bool fileExists(const QString& path);
// The text after the last backslash, as a Windows path's file name: a web address comes back
// whole, "C:\a\" gives "". The database method shows a site by it.
QString textAfterLastBackslash(const QString& path);
// The file-name part of a local path on this platform.
QString localFileName(const QString& path);

} // namespace tv
