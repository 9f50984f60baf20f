#pragma once
// The small window behind "Add Pages From Sitemap..." and "Add Site (follow links)...": the
// address (and a crawl's limits), the reading or crawling with its progress and a Stop button,
// then the pages found added to the site list, with what the user should know about the run.
#include "crawl/crawler.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace tv {

class DownloadFetcher;
class SitemapReader;
class SiteListModel;

class AddPagesDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Sitemap, Crawl };
    // Receives each page a crawl read, after its address joined the site list.
    using PageHandOver = std::function<void(CrawledPage&& page)>;

    AddPagesDialog(Kind kind, SiteListModel& sites, PageHandOver handOver,
                   QWidget* parent = nullptr);
    ~AddPagesDialog() override;

    bool isRunning() const { return m_running; }
    // Closing the dialog while it runs ends the run and adds nothing.
    void reject() override;

private:
    void buildControls();
    void start();
    void stop();
    void finish();
    CrawlOptions crawlOptions() const;

    Kind m_kind;
    SiteListModel& m_sites;
    PageHandOver m_handOver;
    bool m_running = false;
    std::unique_ptr<DownloadFetcher> m_fetcher;
    std::unique_ptr<Crawler> m_crawler;
    std::unique_ptr<SitemapReader> m_reader;

    QLineEdit* m_address = nullptr;
    QSpinBox* m_depth = nullptr;
    QSpinBox* m_maxPages = nullptr;
    QLineEdit* m_under = nullptr;
    QSpinBox* m_delay = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPlainTextEdit* m_notices = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace tv
