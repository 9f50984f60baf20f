#include "fetch/networkpagesource.h"

#include "fetch/address.h"
#include "fetch/addressdisplay.h"
#include "platform/guard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <utility>

namespace tv {

struct NetworkPageSource::Job {
    enum class State { Queued, Downloading, Staging, Converting, Done };
    quint64 id = 0;
    qint64 order = 0;
    int position = 0;
    State state = State::Queued;
    bool dropped = false; // the run let go of it: late results are ignored
    QString requested;    // the completed address, as reports name the page
    QElapsedTimer clock;
    std::unique_ptr<Download> download;
    std::shared_ptr<DownloadedPage> page;         // between download and text
    std::shared_ptr<const ReceivedPage> received; // downloaded before: taken instead of a download
    TreeVisitor visitTree;                        // shown the tree its text is read from
    std::function<void()> onRead;                 // readReceived's: told once the text is made
    FetchedPage result;
    qint64 heldBytes = 0;
};

struct NetworkPageSource::Resource {
    QString url;
    qint64 maxBytes = 0;
    std::unique_ptr<Download> download;
    std::function<void(const Download&)> done;
};

namespace {

// What a page waiting for its turn costs besides its bytes, so that a long run of empty or
// failed pages is bounded too.
constexpr qint64 kJobOverhead = 1024;

QString sizeText(qint64 bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 bytes").arg(bytes);
}

// Qt opens at most this many HTTP/1.1 connections to one host, port and scheme, and queues the
// rest of the requests inside, where their time limits would run while they wait: a higher
// limit of our own would only move pages there.
constexpr int kQtConnectionsPerHost = 6;

// Connections are limited per host name, whatever the port or scheme.
QString hostOf(const QString& url)
{
    return QUrl(url).host().toLower();
}

// Lets go of a download, also from inside one of its own signals.
void retire(std::unique_ptr<Download>& download, QObject* owner)
{
    if (!download)
        return;
    download->disconnect(owner);
    download->abort();
    download->setParent(owner); // deleted with the source at the latest
    download.release()->deleteLater();
}

} // namespace

NetworkPageSource::NetworkPageSource(FetchOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)),
      m_queue(m_options.parallel, std::min(m_options.maxPerHost, kQtConnectionsPerHost)),
      m_converter(convertPage)
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
    qDeleteAll(findChildren<Download*>(Qt::FindDirectChildrenOnly));
}

std::shared_ptr<NetworkPageSource::Job> NetworkPageSource::makeJob(const QString& address,
                                                                   qint64 order, int position)
{
    auto job = std::make_shared<Job>();
    job->id = ++m_nextId;
    job->order = order;
    job->position = position;
    job->result.address = address;
    const QString url = completeAddress(address);
    job->result.url = url;
    job->requested = url;
    if (url.isEmpty()) {
        // An empty row (a list file's last line end gives one) names no page: it has no
        // words, and nothing failed.
        job->result.outcome = FetchedPage::Outcome::NoPage;
        finishJob(*job);
        return job;
    }
    if (const QString scheme = unsupportedScheme(url); !scheme.isEmpty()) {
        job->result.outcome = FetchedPage::Outcome::Failed;
        job->result.error = QStringLiteral("Could not load %1: %2")
                                .arg(displayAddress(url), unsupportedSchemeText(scheme));
        job->result.reason = QStringLiteral("not supported");
        finishJob(*job);
        return job;
    }
    job->received = m_received.value(url);
    // A page read already still takes its turn in the queue, so that its text is made within
    // the run's bounds on pages held.
    m_jobs.insert(job->id, job);
    m_queue.add(job->id, hostOf(url), order);
    return job;
}

void NetworkPageSource::pump()
{
    if (m_pumping) {
        m_pumpAgain = true;
        return;
    }
    m_pumping = true;
    do {
        m_pumpAgain = false;
        while (!m_cancelled) {
            const auto id = m_queue.takeNext(m_heldBytes >= m_options.maxHeldBytes);
            if (!id)
                break;
            startDownload(*id);
        }
    } while (m_pumpAgain && !m_cancelled);
    m_pumping = false;
}

void NetworkPageSource::startDownload(quint64 id)
{
    if (const auto resource = m_resources.value(id)) {
        FetchOptions options = m_options;
        options.anyType = true;
        if (resource->maxBytes > 0)
            options.maxBytes = std::min(options.maxBytes, resource->maxBytes);
        resource->download = std::make_unique<Download>(m_network, resource->url, options);
        resource->download->startWaiting();
        auto finished = [this, id] {
            const auto r = m_resources.take(id);
            if (!r)
                return;
            m_queue.finished(id);
            r->done(*r->download);
            retire(r->download, this);
            pump();
        };
        if (resource->download->isFinished())
            QMetaObject::invokeMethod(this, finished, Qt::QueuedConnection);
        else
            connect(resource->download.get(), &Download::finished, this, finished);
        return;
    }
    const auto job = m_jobs.value(id);
    if (!job) {
        m_queue.finished(id);
        return;
    }
    job->state = Job::State::Downloading;
    job->clock.start();
    if (job->received) {
        std::weak_ptr<Job> weak(job);
        QMetaObject::invokeMethod(
            this,
            [this, weak] {
                auto j = weak.lock();
                if (!j || j->dropped || j->state != Job::State::Downloading)
                    return;
                m_queue.finished(j->id);
                receive(j, *j->received);
                pump();
            },
            Qt::QueuedConnection);
        return;
    }
    job->download = std::make_unique<Download>(m_network, job->result.url, m_options);
    ++m_downloadsStarted;
    // A page's time limits run from the start of its own download: it is judged as it would
    // be if fetched alone, and a stalled page fails in its own time, not the count's.
    job->download->startWaiting();
    std::weak_ptr<Job> weak(job);
    auto finished = [this, weak] {
        if (auto j = weak.lock(); j && !j->dropped && j->state == Job::State::Downloading)
            onDownloaded(j);
    };
    if (job->download->isFinished())
        QMetaObject::invokeMethod(this, finished, Qt::QueuedConnection);
    else
        connect(job->download.get(), &Download::finished, this, finished);
}

void NetworkPageSource::onDownloaded(const std::shared_ptr<Job>& job)
{
    m_queue.finished(job->id);
    Download& d = *job->download;
    if (!d.error().isEmpty()) {
        job->result.url = d.finalUrl();
        job->result.httpStatus = d.status();
        job->result.outcome = FetchedPage::Outcome::Failed;
        job->result.error = d.error();
        job->result.reason = d.reason();
        retire(job->download, this);
        finishJob(*job);
        pump();
        return;
    }
    const ReceivedPage received{d.finalUrl(), d.body(), d.contentType(), d.status(), d.truncated()};
    retire(job->download, this);
    receive(job, received);
    pump();
}

void NetworkPageSource::receive(const std::shared_ptr<Job>& job, const ReceivedPage& received)
{
    job->result.url = received.finalUrl;
    job->result.httpStatus = received.httpStatus;
    auto page = std::make_shared<DownloadedPage>();
    page->url = received.finalUrl;
    page->shown = displayAddress(job->requested);
    page->body = received.body;
    page->contentType = received.contentType;
    page->httpStatus = received.httpStatus;
    page->runOrder = job->order;
    if (received.truncated)
        page->warnings << QStringLiteral("%1 is larger than %2: only its first %2 were counted")
                              .arg(displayAddress(job->requested), sizeText(m_options.maxBytes));
    page->visitTree = job->visitTree;
    job->page = page;
    job->state = Job::State::Staging;
    hold(*job, page->body.size() + kJobOverhead);
    PageStage* stage = m_stage ? m_stage : m_options.styleSheets ? &m_sheetStage : nullptr;
    if (stage) {
        std::weak_ptr<Job> weak(job);
        QPointer<NetworkPageSource> self(this);
        stage->process(page, *this, [self, weak] {
            auto j = weak.lock();
            if (self && j && !j->dropped && j->state == Job::State::Staging)
                self->convert(j);
        });
    } else {
        convert(job);
    }
}

void NetworkPageSource::convert(const std::shared_ptr<Job>& job)
{
    job->state = Job::State::Converting;
    const std::shared_ptr<DownloadedPage> page = job->page;
    hold(*job, page->body.size() + page->attachedBytes + kJobOverhead);
    std::weak_ptr<Job> weak(job);
    QPointer<NetworkPageSource> self(this);
    const PageConverter converter = m_converter;
    const QString requested = displayAddress(job->requested);
    // Earlier pages are converted first: they are asked for first.
    const int priority = int(std::clamp<qint64>(-job->order, INT_MIN + 1, INT_MAX));
    m_workers.start(
        [self, weak, page, converter, requested] {
            ConvertedPage converted;
            QString error;
            try {
                converted = converter(*page);
            } catch (...) {
                error = QStringLiteral("Could not read %1: %2")
                            .arg(requested, describeException(std::current_exception()));
            }
            // The destructor waits for this task, so `self` is still alive here.
            QMetaObject::invokeMethod(
                self,
                [self, weak, converted = std::move(converted), error = std::move(error)] {
                    auto job = weak.lock();
                    if (!self || !job || job->dropped || job->state != Job::State::Converting)
                        return;
                    FetchedPage& result = job->result;
                    result.bytes = job->page->body.size();
                    result.warnings = job->page->warnings;
                    if (error.isEmpty()) {
                        result.outcome = FetchedPage::Outcome::Read;
                        result.text = converted.text;
                        result.encoding = converted.encoding;
                        for (const QString& note : converted.notes)
                            result.warnings << QStringLiteral("%1: %2").arg(job->page->shown, note);
                    } else {
                        result.outcome = FetchedPage::Outcome::Failed;
                        result.error = error;
                        result.reason = QStringLiteral("unreadable page");
                    }
                    job->page.reset();
                    self->finishJob(*job);
                    self->hold(*job, result.text.size() * qint64(sizeof(QChar)) + kJobOverhead);
                    self->pump();
                },
                Qt::QueuedConnection);
        },
        priority);
}

void NetworkPageSource::finishJob(Job& job)
{
    job.state = Job::State::Done;
    job.result.elapsedMs = job.clock.isValid() ? job.clock.elapsed() : 0;
    if (job.result.outcome != FetchedPage::Outcome::Read)
        hold(job, kJobOverhead);
    // Through the event loop: whoever waits may keep or drop the page from there.
    if (job.onRead)
        QMetaObject::invokeMethod(this, std::exchange(job.onRead, {}), Qt::QueuedConnection);
}

void NetworkPageSource::hold(Job& job, qint64 bytes)
{
    if (job.dropped)
        return;
    m_heldBytes += bytes - job.heldBytes;
    job.heldBytes = bytes;
}

void NetworkPageSource::drop(Job& job)
{
    if (job.state == Job::State::Queued)
        m_queue.remove(job.id);
    else if (job.state == Job::State::Downloading)
        m_queue.finished(job.id);
    retire(job.download, this);
    m_heldBytes -= job.heldBytes;
    job.heldBytes = 0;
    job.dropped = true;
    m_jobs.remove(job.id);
}

void NetworkPageSource::dropPending()
{
    for (const auto& job : m_pending)
        drop(*job);
    m_pending.clear();
}

void NetworkPageSource::beginRun(bool styleSheets)
{
    m_options.styleSheets = styleSheets;
    m_sheetStage.forgetSheets();
}

void NetworkPageSource::cancel()
{
    m_cancelled = true;
    // Their downloads end here: the sheets still coming never will.
    m_sheetStage.cancelAll();
    dropPending();
    for (const auto& job : std::as_const(m_jobs)) {
        retire(job->download, this);
        job->dropped = true;
    }
    m_jobs.clear();
    m_readAhead.clear();
    // Pages being read for someone end here, read or not: the wait for them ends too.
    for (const auto& job : std::as_const(m_reading)) {
        if (job->onRead)
            QMetaObject::invokeMethod(this, std::exchange(job->onRead, {}), Qt::QueuedConnection);
    }
    m_reading.clear();
    for (const auto& resource : std::as_const(m_resources))
        retire(resource->download, this);
    m_resources.clear();
    m_queue.clear();
    m_heldBytes = 0;
    m_announcedCount = 0;
}

void NetworkPageSource::addReceived(const QString& address, ReceivedPage page, bool readNow)
{
    const QString url = completeAddress(address);
    if (url.isEmpty())
        return;
    m_received.insert(url, std::make_shared<const ReceivedPage>(std::move(page)));
    // A source cancelled (the program closing) reads nothing ahead until its next run.
    if (readNow && !m_readAhead.contains(url)) {
        m_readAhead.insert(url, makeJob(address, m_nextOrder++, 0));
        pump();
    }
}

quint64 NetworkPageSource::readReceived(const QString& address, ReceivedPage page,
                                        TreeVisitor visit, std::function<void()> done)
{
    const std::shared_ptr<Job> job = makeJob(address, m_nextOrder++, 0);
    job->onRead = std::move(done);
    m_reading.insert(job->id, job);
    if (job->state == Job::State::Done || m_cancelled) {
        // No page behind the address, or a source that reads nothing until its next run.
        if (m_cancelled)
            drop(*job);
        QMetaObject::invokeMethod(this, std::exchange(job->onRead, {}), Qt::QueuedConnection);
        return job->id;
    }
    job->received = std::make_shared<const ReceivedPage>(std::move(page));
    job->visitTree = std::move(visit);
    // Someone waits for it now, whatever the run holds.
    m_queue.makeUrgent(job->id);
    pump();
    return job->id;
}

void NetworkPageSource::keepReceived(quint64 ticket)
{
    const std::shared_ptr<Job> job = m_reading.take(ticket);
    if (!job || job->dropped || !job->received)
        return;
    const QString url = job->requested;
    m_received.insert(url, job->received);
    if (m_readAhead.contains(url))
        drop(*job);
    else
        m_readAhead.insert(url, job);
}

void NetworkPageSource::dropReceived(quint64 ticket)
{
    if (const std::shared_ptr<Job> job = m_reading.take(ticket))
        drop(*job);
}

void NetworkPageSource::announce(const QStringList& addresses)
{
    m_cancelled = false;
    dropPending();
    m_announcedCount = int(addresses.size());
    int position = 0;
    for (const QString& address : addresses) {
        ++position;
        // A page read ahead keeps its place in the queue and the work done on it.
        if (const auto ahead = m_readAhead.take(completeAddress(address));
            ahead && !ahead->dropped) {
            ahead->position = position;
            ahead->result.address = address;
            m_pending.push_back(ahead);
            continue;
        }
        m_pending.push_back(makeJob(address, m_nextOrder++, position));
    }
    pump();
}

void NetworkPageSource::fetch(const DownloadedPage& page, const QString& url, qint64 maxBytes,
                              std::function<void(const Download&)> done)
{
    if (m_cancelled)
        return;
    auto resource = std::make_shared<Resource>();
    resource->url = url;
    resource->maxBytes = maxBytes;
    resource->done = std::move(done);
    const quint64 id = ++m_nextId;
    m_resources.insert(id, resource);
    m_queue.add(id, hostOf(url), page.runOrder);
    m_queue.makeUrgent(id);
    pump();
}

FetchedPage NetworkPageSource::deliver(const std::shared_ptr<Job>& job)
{
    m_heldBytes -= job->heldBytes;
    job->heldBytes = 0;
    m_jobs.remove(job->id);
    pump();
    return std::move(job->result);
}

FetchedPage NetworkPageSource::fetchPage(const QString& address)
{
    FetchedPage cancelled;
    cancelled.address = address;
    cancelled.outcome = FetchedPage::Outcome::Cancelled;
    if (m_cancelled)
        return cancelled;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != thread()) {
        FetchedPage page = cancelled;
        page.outcome = FetchedPage::Outcome::Failed;
        page.error = QStringLiteral("Pages can only be fetched on the thread that owns the page "
                                    "source");
        return page;
    }

    std::shared_ptr<Job> job;
    const auto found = std::find_if(m_pending.begin(), m_pending.end(),
                                    [&](const auto& j) { return j->result.address == address; });
    if (found != m_pending.end()) {
        job = *found;
        m_pending.erase(found);
    } else {
        // Not announced (or asked for twice): fetched now, nothing cached.
        job = makeJob(address, -1, 0);
    }
    if (job->state == Job::State::Queued) {
        m_queue.makeUrgent(job->id);
        pump();
    }
    if (job->state != Job::State::Done) {
        QPointer<NetworkPageSource> self(this);
        waitBegins({job->position, job->position > 0 ? m_announcedCount : 0, address});
        // Waiting for events (not polling) keeps the window responsive and the processor idle;
        // the download's own timer wakes this loop at least a few times a second.
        while (self && !m_cancelled && !job->dropped && job->state != Job::State::Done)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (!self)
            return cancelled;
        waitEnds();
    }
    if (m_cancelled || job->dropped)
        return cancelled;
    return deliver(job);
}

} // namespace tv
