#include "style/sheetloader.h"

#include <QPointer>
#include <QSet>
#include <algorithm>

namespace tv::css {

struct SheetLoader::Entry {
    enum class State { Pending, Ready, Failed };
    State state = State::Pending;
    QUrl url; // asked for, then where it came from in the end
    SheetPointer sheet;
    QString error;
    qint64 bytes = 0;  // as downloaded
    qint64 memory = 0; // as kept
    quint64 lastUse = 0;
    std::vector<std::pair<Ticket, int>> waiting; // pages waiting for it, with its import depth
};

struct SheetLoader::Job {
    Ticket ticket = 0;
    Done done;
    QSet<QString> asked;
    int pending = 0;
    bool issuing = true;
    bool finishing = false;
    bool tooMany = false;
    qint64 bytes = 0;
    std::shared_ptr<LinkedSheets> sheets = std::make_shared<LinkedSheets>();
    LoadedSheets result;
};

namespace {

QString mebibytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'g', 3) + QStringLiteral(" MiB");
}

// The sheet's text in UTF-8: a byte-order mark decides, else it is read as UTF-8 (the names a
// selector can match are ASCII on nearly every page).
QByteArray sheetText(const QByteArray& body)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return body.mid(3);
    const bool little = body.startsWith("\xFF\xFE");
    if (little || body.startsWith("\xFE\xFF")) {
        QString text;
        text.resize((body.size() - 2) / 2);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto lo = uchar(body[2 + 2 * i + (little ? 0 : 1)]);
            const auto hi = uchar(body[2 + 2 * i + (little ? 1 : 0)]);
            text[i] = QChar(char16_t(hi << 8 | lo));
        }
        return text.toUtf8();
    }
    return body;
}

bool isStyleSheetType(const QByteArray& contentType)
{
    QByteArray essence = contentType;
    if (const qsizetype semicolon = essence.indexOf(';'); semicolon >= 0)
        essence.truncate(semicolon);
    essence = essence.trimmed().toLower();
    return essence.isEmpty() || essence == "text/css";
}

} // namespace

QString skippedSheetsNote(const QString& page, const std::vector<SkippedSheet>& skipped)
{
    if (skipped.empty())
        return QString();
    QStringList sheets;
    for (const SkippedSheet& s : skipped)
        sheets << QStringLiteral("%1 (%2)").arg(s.url, s.reason);
    if (skipped.size() == 1)
        return QStringLiteral("%1 was counted without its style sheet %2").arg(page, sheets[0]);
    return QStringLiteral("%1 was counted without %2 of its style sheets: %3")
        .arg(page)
        .arg(skipped.size())
        .arg(sheets.join(QStringLiteral(", ")));
}

SheetLoader::SheetLoader(SheetFetcher& fetcher, SheetLimits limits, QObject* parent)
    : QObject(parent), m_fetcher(fetcher), m_limits(limits)
{
}

SheetLoader::~SheetLoader() = default;

SheetLoader::Ticket SheetLoader::load(const QList<QUrl>& links, Done done)
{
    const Ticket ticket = ++m_nextTicket;
    auto job = std::make_shared<Job>();
    job->ticket = ticket;
    job->done = std::move(done);
    m_jobs.insert(ticket, job);
    for (const QUrl& url : links)
        request(*job, url, 0);
    job->issuing = false;
    finishIfDone(ticket);
    return ticket;
}

void SheetLoader::cancel(Ticket ticket)
{
    m_jobs.remove(ticket);
}

void SheetLoader::forgetSheets()
{
    for (auto it = m_cache.begin(); it != m_cache.end();) {
        if ((*it)->state == Entry::State::Pending) {
            ++it;
            continue;
        }
        m_keptBytes -= (*it)->memory;
        it = m_cache.erase(it);
    }
}

void SheetLoader::cancelAll()
{
    m_jobs.clear();
    for (auto it = m_cache.begin(); it != m_cache.end();)
        it = (*it)->state == Entry::State::Pending ? m_cache.erase(it) : std::next(it);
}

void SheetLoader::request(Job& job, const QUrl& url, int depth)
{
    const QString key = sheetKey(url);
    if (job.asked.contains(key))
        return; // once per page: also ends import cycles
    if (job.result.requested >= m_limits.maxSheetsPerPage) {
        if (!job.tooMany)
            job.result.skipped.push_back(
                {key, QStringLiteral("the page asks for more than %1 style sheets; those after "
                                     "the first %1 were left out")
                          .arg(m_limits.maxSheetsPerPage)});
        job.tooMany = true;
        return;
    }
    job.asked.insert(key);
    ++job.result.requested;
    std::shared_ptr<Entry>& slot = m_cache[key];
    if (!slot) {
        slot = std::make_shared<Entry>();
        slot->url = url;
        ++job.result.downloaded;
        ++m_downloads;
        ++job.pending;
        slot->waiting.emplace_back(job.ticket, depth);
        QPointer<SheetLoader> self(this);
        m_fetcher.fetchSheet(url, m_limits.maxSheetBytes, [self, key](const SheetDownload& d) {
            if (self)
                self->onDownloaded(key, d);
        });
        return;
    }
    ++m_cacheHits;
    if (slot->state == Entry::State::Pending) {
        ++job.pending;
        slot->waiting.emplace_back(job.ticket, depth);
        return;
    }
    const std::shared_ptr<Entry> entry = slot;
    settle(job, key, *entry, depth);
}

void SheetLoader::settle(Job& job, const QString& key, Entry& entry, int depth)
{
    entry.lastUse = ++m_useClock;
    if (entry.state == Entry::State::Failed) {
        job.result.skipped.push_back({key, entry.error});
        return;
    }
    if (job.bytes + entry.bytes > m_limits.maxPageBytes) {
        job.result.skipped.push_back(
            {key, QStringLiteral("the page's style sheets would come to more than %1")
                      .arg(mebibytes(m_limits.maxPageBytes))});
        return;
    }
    job.bytes += entry.bytes;
    job.sheets->insert(key, LinkedSheet{entry.sheet, entry.url});
    if (depth >= kMaxImportDepth)
        return;
    for (const ImportRule& import : entry.sheet->imports()) {
        if (!import.applies)
            continue;
        const QUrl url = resolveHref(entry.url, import.url);
        if (url.isValid())
            request(job, url, depth + 1);
    }
}

void SheetLoader::onDownloaded(const QString& key, const SheetDownload& download)
{
    const std::shared_ptr<Entry> entry = m_cache.value(key);
    if (!entry || entry->state != Entry::State::Pending)
        return;
    if (!download.error.isEmpty()) {
        entry->state = Entry::State::Failed;
        entry->error = download.error;
    } else if (!isStyleSheetType(download.contentType)) {
        entry->state = Entry::State::Failed;
        entry->error = QStringLiteral("it is of type \"%1\", not a style sheet")
                           .arg(QString::fromLatin1(download.contentType.trimmed()));
    } else {
        entry->state = Entry::State::Ready;
        entry->sheet = std::make_shared<const StyleSheet>(sheetText(download.body));
        entry->bytes = download.body.size();
        entry->memory = entry->sheet->memoryUse() + download.body.size() / 8;
        if (download.finalUrl.isValid())
            entry->url = download.finalUrl;
        m_keptBytes += entry->memory;
    }
    const auto waiting = std::move(entry->waiting);
    entry->waiting.clear();
    for (const auto& [ticket, depth] : waiting) {
        const std::shared_ptr<Job> job = m_jobs.value(ticket);
        if (!job)
            continue;
        --job->pending;
        settle(*job, key, *entry, depth);
        finishIfDone(ticket);
    }
    keepWithinMemory();
}

void SheetLoader::finishIfDone(Ticket ticket)
{
    const std::shared_ptr<Job> job = m_jobs.value(ticket);
    if (!job || job->issuing || job->pending > 0 || job->finishing)
        return;
    job->finishing = true;
    job->result.sheets = job->sheets;
    QMetaObject::invokeMethod(
        this,
        [this, ticket] {
            const std::shared_ptr<Job> done = m_jobs.take(ticket);
            if (done)
                done->done(done->result);
        },
        Qt::QueuedConnection);
}

// Sheets no page waits for go, least recently used first, while the kept ones take too much.
void SheetLoader::keepWithinMemory()
{
    while (m_keptBytes > m_limits.maxKeptBytes) {
        QString oldest;
        quint64 oldestUse = ~quint64(0);
        for (auto it = m_cache.cbegin(); it != m_cache.cend(); ++it) {
            const Entry& e = **it;
            if (e.state == Entry::State::Ready && e.lastUse < oldestUse) {
                oldest = it.key();
                oldestUse = e.lastUse;
            }
        }
        if (oldest.isEmpty())
            return;
        m_keptBytes -= m_cache.value(oldest)->memory;
        m_cache.remove(oldest);
    }
}

} // namespace tv::css
