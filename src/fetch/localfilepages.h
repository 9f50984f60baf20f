#pragma once
// Site rows that name a file on this machine ("file:///home/me/notes.html"): read from disk and
// taken through the same text walk and encoding sniffing as a downloaded page. Only the rows a
// user typed, listed or added as local files come here: a redirect from a web page cannot lead
// to a file (the download refuses any scheme but http and https), and a page's own links and
// style sheets are never read from disk.
#include "fetch/pagesource.h"

namespace tv {

// Whether a site row names a local file: it begins with "file:" (in any case).
bool isLocalFileAddress(const QString& address);

// The row for a file path as a site list holds it: "file:///abs/path", spaces and all escaped.
QString localFileAddress(const QString& path);

// Reads the file a "file:" row names, at most `maxBytes` of it (a larger file is cut off there
// with a warning). HTML by its extension (.html, .htm, .xhtml, .xht) or, for any other name,
// by its first bytes; otherwise plain text. A row that names no readable regular file (a
// folder, a device, another host's file) gives a failed page saying why. Never throws.
FetchedPage readLocalFile(const QString& address, qint64 maxBytes);

// A page source that reads "file:" rows itself and asks `inner` for every other row.
class LocalFilePages : public PageSource {
public:
    explicit LocalFilePages(PageSource& inner, qint64 maxBytes = qint64(64) << 20);

    FetchedPage fetchPage(const QString& address) override;
    void announce(const QStringList& addresses) override;

private:
    PageSource& m_inner;
    qint64 m_maxBytes;
};

} // namespace tv
