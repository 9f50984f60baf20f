#pragma once
// The crawl's page reader for a count: each page the crawl fetched goes to the count's page
// source at once, whose text step reads the links from the tree it parses for the text, so
// that a crawled page is parsed as often as a listed one. A page whose tree cannot show its
// links as they are (see linksFromTree) is parsed for them apart, here.
#include "crawl/crawlpagereader.h"

#include <QHash>
#include <QObject>
#include <QThreadPool>
#include <memory>

namespace tv {

class NetworkPageSource;

class SourcePageReader : public QObject, public CrawlPageReader {
    Q_OBJECT
public:
    // `source` must outlive the reader.
    explicit SourcePageReader(NetworkPageSource& source, QByteArray productToken = "tallyvane",
                              QObject* parent = nullptr);
    ~SourcePageReader() override;

    quint64 read(const QString& address, const FetchedResource& page, Done done) override;
    void keep(quint64 ticket) override;
    void drop(quint64 ticket) override;
    void keepUnread(const CrawledPage& page) override;

    // Pages whose links took a parse of their own (for tests and benchmarks).
    int ownParses() const { return m_ownParses; }

private:
    struct Reading;
    void onRead(const std::shared_ptr<Reading>& reading);

    NetworkPageSource& m_source;
    QByteArray m_productToken;
    QHash<quint64, std::shared_ptr<Reading>> m_readings; // by the source's ticket
    QThreadPool m_parsers;
    int m_ownParses = 0;
};

} // namespace tv
