#pragma once
// Reading site-list files into the site list: one row per line, exactly as written.
#include <QString>
#include <functional>

class QIODevice;

namespace tv {

class Dialogs;
class SiteListModel;

// Appends the lines of the text file at `path` to `list`. A missing file gives the
// "File not found" box and adds nothing. Throws Failure when the file cannot be opened or
// read; the rows read until then stay and the file is closed. A file with lines too long for
// an address is read to its end without them, and then throws Failure saying so.
void appendSitesFromFile(SiteListModel& list, const QString& path, Dialogs& dialogs);

// Tells, once per device, that lines too long for an address were skipped.
using LongLineNotice = std::function<void(const QString& message)>;

// Appends the lines read from the open `device` to `list`, yielding once per row; a line too
// long for an address gives no row, and `notice` is told at the first such line. Throws
// Failure (naming `name`) when a read fails; the rows read until then stay.
void appendLinesFromDevice(SiteListModel& list, QIODevice& device, const QString& name,
                           const LongLineNotice& notice = {});

} // namespace tv
