#pragma once
// Helpers for files and paths: an existence test that never fails, the parts of a path, and a
// write that tells why it fell short.
#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace tv {

// True when the path names something whose time stamp can be read; never throws.
bool fileExists(const QString& path);
// The text after the last backslash, as a Windows path's file name: a web address comes back
// whole, "C:\a\" gives "". The database method shows a site by it.
QString textAfterLastBackslash(const QString& path);
// The file-name part of a local path on this platform.
QString localFileName(const QString& path);

// Writes all of `bytes` to the open device, again after a short write, so that a failure is
// told with the system's own reason ("No space left on device"). False when the device took
// less; `error` then says why.
bool writeWhole(QIODevice& device, QByteArrayView bytes, QString& error);

} // namespace tv
