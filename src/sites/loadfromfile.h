#pragma once
// Reading site-list files into the site list: one row per line, exactly as written.
#include <QString>

class QIODevice;

namespace tv {

class Dialogs;
class SiteListModel;

// Appends the lines of the text file at `path` to `list`. A missing file gives the
// "File not found" box and adds nothing. Throws Failure when the file cannot be opened or
// read; the rows read until then stay and the file is closed.
void appendSitesFromFile(SiteListModel& list, const QString& path, Dialogs& dialogs);

// Appends the lines read from the open `device` to `list`, yielding once per row. Throws
// Failure (naming `name`) when a read fails; the rows read until then stay.
void appendLinesFromDevice(SiteListModel& list, QIODevice& device, const QString& name);

} // namespace tv
