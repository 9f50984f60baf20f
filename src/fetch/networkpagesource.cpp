#include "fetch/networkpagesource.h"

#include "fetch/address.h"
#include "fetch/addressdisplay.h"
#include "fetch/pagetext.h"
#include "platform/guard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

namespace tv {

struct NetworkPageSource::Job {
    QString address;
    QString url;      // the address last requested
    QString shownUrl; // the address asked for, as reports show it
    QElapsedTimer clock;
    std::unique_ptr<Download> download;
    bool converting = false;
    bool done = false;
    QString text;
    QString error;        // reported, and the text is ""
    QStringList warnings; // reported, and the text still counts
    qint64 heldBytes = 0;
    int priority = 0; // earlier pages are read first: they are asked for first
};

namespace {
// Pages waiting to be counted may hold at most this much between them, whatever the depth.
constexpr qint64 kMaxHeldBytes = 256 * 1024 * 1024;

QString sizeText(qint64 bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 bytes").arg(bytes);
}
} // namespace

NetworkPageSource::NetworkPageSource(FetchOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_sheetDownloads(m_network, m_options),
      m_sheets(m_sheetDownloads)
{
    // Two parsers: while the first pages download the counting thread is idle, and a second
    // parse then uses the core it leaves (measured: the corpus counts 20 % faster). Earlier
    // pages still go first, since each job is queued with its page's priority.
    m_workers.setMaxThreadCount(2);
}

NetworkPageSource::~NetworkPageSource()
{
    cancel();
    m_workers.clear();
    m_workers.waitForDone();
}

void NetworkPageSource::beginRun(bool styleSheets)
{
    m_options.styleSheets = styleSheets;
    m_sheets.forgetSheets();
}

void NetworkPageSource::cancel()
{
    m_cancelled = true;
    m_sheetDownloads.cancel();
    m_sheets.cancelAll();
    m_announced.clear();
    for (const auto& job : m_ahead)
        job->download.reset();
    m_ahead.clear();
}

std::shared_ptr<NetworkPageSource::Job> NetworkPageSource::startJob(const QString& address)
{
    auto job = std::make_shared<Job>();
    job->address = address;
    job->clock.start();
    const QString url = completeAddress(address);
    job->url = url;
    if (url.isEmpty()) {
        // An empty row (a list file's last line end gives one) names no page: it has no
        // words, and nothing failed.
        job->done = true;
        return job;
    }
    job->download = std::make_unique<Download>(m_network, url, m_options);
    ++m_downloadsStarted;
    if (job->download->isFinished()) {
        onDownloaded(job);
    } else {
        connect(job->download.get(), &Download::finished, this,
                [this, weak = std::weak_ptr<Job>(job)] {
                    if (auto j = weak.lock())
                        onDownloaded(j);
                });
    }
    return job;
}

void NetworkPageSource::onDownloaded(const std::shared_ptr<Job>& job)
{
    Download& d = *job->download;
    job->url = d.finalUrl();
    if (!d.error().isEmpty()) {
        job->error = d.error();
        job->done = true;
        topUp();
        return;
    }
    if (d.truncated())
        job->warnings << QStringLiteral("%1 is larger than %2: only its first %2 were counted")
                             .arg(displayAddress(d.url()), sizeText(m_options.maxBytes));
    job->converting = true;
    job->heldBytes = d.body().size();
    job->priority = -(++m_sequence);
    const QByteArray body = d.body();
    const QByteArray type = d.contentType();
    // The page's sheets resolve against where it came from in the end; reports show the address
    // asked for, without a password.
    const QString url = job->url;
    const QString shown = displayAddress(d.url());
    job->shownUrl = shown;
    const bool findSheets = m_options.styleSheets;
    std::weak_ptr<Job> weak(job);
    QPointer<NetworkPageSource> self(this);
    // Decoded in a worker, which also finds the sheets the page links; they are fetched here,
    // on the thread that owns the network, and the page is then read in a worker again.
    m_workers.start(
        [self, weak, body, type, url, shown, findSheets] {
            DecodedPage page;
            QString error;
            try {
                page = decodePage(body, type, QUrl(url), findSheets);
            } catch (...) {
                error = QStringLiteral("Could not read %1: %2")
                            .arg(shown, describeException(std::current_exception()));
            }
            // The destructor waits for this task, so `self` is still alive here.
            QMetaObject::invokeMethod(
                self,
                [self, weak, page = std::move(page), error = std::move(error)]() mutable {
                    auto job = weak.lock();
                    if (!job || !self)
                        return;
                    if (!error.isEmpty()) {
                        job->error = error;
                        self->finishJob(*job);
                        return;
                    }
                    if (page.sheetLinks.isEmpty() || self->m_cancelled) {
                        self->read(job, std::move(page), {});
                        return;
                    }
                    const QList<QUrl> links = page.sheetLinks;
                    self->m_sheets.load(links, [self, weak, page = std::move(page)](
                                                   const css::LoadedSheets& sheets) {
                        if (auto j = weak.lock(); j && self)
                            self->read(j, page, sheets);
                    });
                },
                Qt::QueuedConnection);
        },
        job->priority);
    d.disconnect(this);
}

void NetworkPageSource::read(const std::shared_ptr<Job>& job, DecodedPage page,
                             const css::LoadedSheets& sheets)
{
    // A sheet's address, resolved against the page's, may carry the page's password too.
    std::vector<css::SkippedSheet> skipped = sheets.skipped;
    for (css::SkippedSheet& s : skipped)
        s.url = displayAddress(s.url);
    const QString note = css::skippedSheetsNote(job->shownUrl, skipped);
    if (!note.isEmpty())
        job->warnings << note;
    std::weak_ptr<Job> weak(job);
    QPointer<NetworkPageSource> self(this);
    const QString url = job->url;
    const QString shown = job->shownUrl;
    m_workers.start(
        [self, weak, page = std::move(page), linked = sheets.sheets, url, shown] {
            RenderedPage rendered;
            QString error;
            try {
                rendered = readPage(page, QUrl(url), linked.get());
            } catch (...) {
                error = QStringLiteral("Could not read %1: %2")
                            .arg(shown, describeException(std::current_exception()));
            }
            QMetaObject::invokeMethod(
                self,
                [self, weak, rendered = std::move(rendered), error = std::move(error)] {
                    auto job = weak.lock();
                    if (!job || !self)
                        return;
                    job->text = rendered.text;
                    for (const QString& note : rendered.notes)
                        job->warnings << QStringLiteral("%1: %2").arg(job->shownUrl, note);
                    job->error = error;
                    self->finishJob(*job);
                },
                Qt::QueuedConnection);
        },
        job->priority);
}

void NetworkPageSource::finishJob(Job& job)
{
    job.converting = false;
    job.done = true;
    job.download.reset();
    topUp();
}

void NetworkPageSource::topUp()
{
    if (m_cancelled)
        return;
    qint64 held = 0;
    for (const auto& job : m_ahead)
        held += job->heldBytes;
    while (!m_announced.empty() && int(m_ahead.size()) < m_options.prefetchDepth &&
           held < kMaxHeldBytes) {
        const QString address = m_announced.front();
        m_announced.pop_front();
        m_ahead.push_back(startJob(address));
    }
}

void NetworkPageSource::announce(const QStringList& addresses)
{
    m_cancelled = false;
    m_ahead.clear();
    m_announced.assign(addresses.cbegin(), addresses.cend());
    topUp();
}

FetchedPage NetworkPageSource::fetchPage(const QString& address)
{
    FetchedPage page;
    page.address = address;
    page.outcome = FetchedPage::Outcome::Cancelled;
    std::shared_ptr<Job> job;
    QPointer<NetworkPageSource> self(this);
    try {
        if (m_cancelled)
            return page;
        for (auto it = m_ahead.begin(); it != m_ahead.end(); ++it) {
            if ((*it)->address == address) {
                job = *it;
                m_ahead.erase(it);
                break;
            }
        }
        if (!job) {
            for (auto it = m_announced.begin(); it != m_announced.end(); ++it) {
                if (*it == address) {
                    m_announced.erase(it);
                    break;
                }
            }
            job = startJob(address);
        }
        topUp();
        if (job->download && !job->done)
            job->download->startWaiting();
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() != thread())
            throw Failure(QStringLiteral("Pages can only be fetched on the thread that owns the "
                                         "page source"));
        // Waiting for events (not polling) keeps the window responsive and the processor idle;
        // the download's own timer wakes this loop at least a few times a second.
        while (!job->done && self && !m_cancelled)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } catch (...) {
        page.outcome = FetchedPage::Outcome::Failed;
        page.error = describeException(std::current_exception());
        return page;
    }
    if (!self || m_cancelled || !job->done)
        return page;
    page.url = job->url;
    page.elapsedMs = job->clock.elapsed();
    if (!job->error.isEmpty()) {
        page.outcome = FetchedPage::Outcome::Failed;
        page.error = job->error;
        return page;
    }
    page.outcome = job->url.isEmpty() ? FetchedPage::Outcome::NoPage : FetchedPage::Outcome::Read;
    page.warnings = job->warnings;
    page.text = std::move(job->text);
    return page;
}

} // namespace tv
