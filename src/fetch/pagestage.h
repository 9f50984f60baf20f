#pragma once
// The steps between a page's download and the text that is counted. A run may put a stage in
// between (fetching the style sheets a page links to, say) that uses the run's own network and
// attaches what it found for the text step, which then reads page and attachments together.
#include "fetch/pagetext.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tv {

class Download;

// A page whose download succeeded, on its way to its text.
struct DownloadedPage {
    QString url;   // its own address, after redirects
    QString shown; // the address asked for, as reports name the page (password hidden)
    QByteArray body;
    QByteArray contentType;
    int httpStatus = 0;
    // Reported with the page; its text still counts.
    QStringList warnings;
    // What a stage attached (style sheets, ...) add up to: held with the page until it is
    // counted, within the run's byte budget.
    qint64 attachedBytes = 0;
    // Where the page stands in its run: the downloads made for it rank with it.
    qint64 runOrder = 0;
    // A stage that decoded the page already (to find the sheets it links) leaves it here, with
    // the sheets it fetched; the text step then reads these instead of the bytes.
    std::shared_ptr<const DecodedPage> decoded;
    std::shared_ptr<const css::LinkedSheets> sheets;
    // Shown the tree the text step reads the text from (a crawl reads the page's links there).
    TreeVisitor visitTree;
};

// What a stage may use of the run's network: downloads under the run's per-host limit and time
// limits, started before the pages fetched ahead.
class StageNetwork {
public:
    virtual ~StageNetwork() = default;
    // Downloads `url` for `page`, at most `maxBytes` of it (0: the run's own cap); `done`
    // receives the finished download (its error, body and type) on this thread, never from
    // inside this call. It is not called at all when the run is cancelled first.
    virtual void fetch(const DownloadedPage& page, const QString& url, qint64 maxBytes,
                       std::function<void(const Download&)> done) = 0;
};

class PageStage {
public:
    virtual ~PageStage() = default;
    // Works on the page and calls `done` once, on this thread, now or later; may add warnings
    // and attach data for the text step. Must not throw. `network` outlives the stage's work.
    virtual void process(const std::shared_ptr<DownloadedPage>& page, StageNetwork& network,
                         std::function<void()> done) = 0;
};

// The text step's result.
struct ConvertedPage {
    QString text;
    QByteArray encoding; // the encoding the bytes were read in
    QStringList notes;   // what of the page's styles was left out, and why
};

// The text step: runs on a worker thread, may throw Failure.
using PageConverter = std::function<ConvertedPage(const DownloadedPage&)>;

// The usual text step: the page as a stage decoded it, with its sheets, or else its own bytes
// and type.
ConvertedPage convertPage(const DownloadedPage& page);

} // namespace tv
