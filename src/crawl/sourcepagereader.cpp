#include "crawl/sourcepagereader.h"

#include "fetch/networkpagesource.h"
#include "fetch/pagetext.h"
#include "platform/guard.h"

#include <QPointer>
#include <optional>

namespace tv {

struct SourcePageReader::Reading {
    quint64 ticket = 0;
    Done done;
    FetchedResource page;
    // Written on the source's worker, read after its answer comes through the event loop.
    std::optional<PageLinks> fromTree;
};

SourcePageReader::SourcePageReader(NetworkPageSource& source, QByteArray productToken,
                                   QObject* parent)
    : QObject(parent), m_source(source), m_productToken(std::move(productToken))
{
    m_parsers.setMaxThreadCount(2);
}

SourcePageReader::~SourcePageReader()
{
    for (const auto& reading : std::as_const(m_readings))
        m_source.dropReceived(reading->ticket);
    // Parses still running post their answers to this object: wait for them to end.
    m_parsers.clear();
    m_parsers.waitForDone();
}

quint64 SourcePageReader::read(const QString& address, const FetchedResource& page, Done done)
{
    auto reading = std::make_shared<Reading>();
    reading->done = std::move(done);
    reading->page = page;
    TreeVisitor visit;
    if (pageKind(page.contentType) == PageKind::Html) {
        std::weak_ptr<Reading> weak(reading);
        visit = [weak, url = QUrl(page.finalUrl),
                 token = m_productToken](const GumboInternalOutput& tree, const QByteArray& utf8) {
            auto r = weak.lock();
            if (!r)
                return;
            try {
                r->fromTree = linksFromTree(tree, utf8, url, token);
            } catch (...) {
                // Read apart, where the failure is told as pageLinks tells it.
            }
        };
    }
    QPointer<SourcePageReader> self(this);
    std::weak_ptr<Reading> weak(reading);
    // The page is read as the count reads it: under its own address, with a 200 answer.
    reading->ticket =
        m_source.readReceived(address, {address, page.body, page.contentType, 200, page.truncated},
                              std::move(visit), [self, weak] {
                                  if (auto r = weak.lock(); r && self)
                                      self->onRead(r);
                              });
    m_readings.insert(reading->ticket, reading);
    return reading->ticket;
}

void SourcePageReader::onRead(const std::shared_ptr<Reading>& reading)
{
    if (!m_readings.contains(reading->ticket) || !reading->done)
        return;
    if (pageKind(reading->page.contentType) != PageKind::Html || reading->fromTree) {
        Read read;
        if (reading->fromTree)
            read.links = std::move(*reading->fromTree);
        std::exchange(reading->done, {})(read);
        return;
    }
    ++m_ownParses;
    QPointer<SourcePageReader> self(this);
    std::weak_ptr<Reading> weak(reading);
    m_parsers.start([self, weak, page = reading->page, token = m_productToken] {
        Read read;
        try {
            read.links = pageLinks(page.body, page.contentType, QUrl(page.finalUrl), token);
        } catch (...) {
            read.error = describeException(std::current_exception());
        }
        // The destructor waits for this task, so `self` is still alive here.
        QMetaObject::invokeMethod(
            self,
            [self, weak, read = std::move(read)] {
                auto r = weak.lock();
                if (!self || !r || !self->m_readings.contains(r->ticket) || !r->done)
                    return;
                std::exchange(r->done, {})(read);
            },
            Qt::QueuedConnection);
    });
}

void SourcePageReader::keep(quint64 ticket)
{
    if (m_readings.remove(ticket))
        m_source.keepReceived(ticket);
}

void SourcePageReader::drop(quint64 ticket)
{
    if (m_readings.remove(ticket))
        m_source.dropReceived(ticket);
}

void SourcePageReader::keepUnread(const CrawledPage& page)
{
    m_source.addReceived(page.address,
                         {page.address, page.body, page.contentType, 200, page.truncated}, true);
}

} // namespace tv
