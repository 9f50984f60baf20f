#pragma once
// Files dropped onto the site list, or chosen by "Add Local Files...": a site list adds the
// addresses it holds, any other file is a page of its own (a file:// row).
#include <QString>
#include <QStringList>

namespace tv {

enum class DroppedFile {
    SiteList, // a text file of addresses, one a line: loaded as "Load From File" loads it
    Page,     // HTML, or text that is not a list of addresses: counted as a page
};

// HTML by its extension is a page; otherwise the file's start is read: text whose every
// non-empty line looks like a web address (one word, with a dot, a "://" or "localhost") is a
// site list. A file that cannot be read is taken as a page: reading it then says why.
DroppedFile droppedFileKind(const QString& path);

} // namespace tv
