#include "app/addpagesdialog.h"

#include "crawl/downloadfetcher.h"
#include "crawl/siteaddress.h"
#include "crawl/sitemapreader.h"
#include "sites/sitelistmodel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tv {

namespace {

QSpinBox* numberBox(const QString& name, int low, int high, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

} // namespace

AddPagesDialog::AddPagesDialog(Kind kind, SiteListModel& sites, PageHandOver handOver,
                               QWidget* parent)
    : QDialog(parent), m_kind(kind), m_sites(sites), m_handOver(std::move(handOver))
{
    setWindowTitle(kind == Kind::Sitemap ? QStringLiteral("Add Pages From Sitemap")
                                         : QStringLiteral("Add Site (follow links)"));
    buildControls();
}

AddPagesDialog::~AddPagesDialog() = default;

void AddPagesDialog::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("address"));
    m_address->setMinimumWidth(360);
    if (m_kind == Kind::Sitemap) {
        m_address->setPlaceholderText(QStringLiteral("example.com/sitemap.xml"));
        form->addRow(QStringLiteral("Sitemap or site &address:"), m_address);
    } else {
        m_address->setPlaceholderText(QStringLiteral("example.com/docs/"));
        form->addRow(QStringLiteral("Start &page:"), m_address);
        const CrawlOptions defaults;
        m_depth = numberBox(QStringLiteral("depth"), 0, 1000, defaults.maxDepth, this);
        form->addRow(QStringLiteral("&Links to follow from it:"), m_depth);
        m_maxPages = numberBox(QStringLiteral("maxPages"), 1, 100000, defaults.maxPages, this);
        form->addRow(QStringLiteral("At &most pages:"), m_maxPages);
        m_under = new QLineEdit(this);
        m_under->setObjectName(QStringLiteral("under"));
        m_under->setPlaceholderText(QStringLiteral("the whole site, or a path such as /docs/"));
        form->addRow(QStringLiteral("Only pages &under:"), m_under);
        m_delay = numberBox(QStringLiteral("delay"), 0, 600000, 0, this);
        m_delay->setSuffix(QStringLiteral(" ms"));
        form->addRow(QStringLiteral("Pause &between requests:"), m_delay);
    }

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    // Addresses and notices come from servers: shown as they are, never as markup.
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->hide();
    layout->addWidget(m_progress);
    m_notices = new QPlainTextEdit(this);
    m_notices->setObjectName(QStringLiteral("notices"));
    m_notices->setReadOnly(true);
    m_notices->hide();
    layout->addWidget(m_notices);

    auto* buttons = new QDialogButtonBox(this);
    m_start = buttons->addButton(QStringLiteral("A&dd Pages"), QDialogButtonBox::AcceptRole);
    m_start->setObjectName(QStringLiteral("start"));
    m_start->setDefault(true);
    m_stop = buttons->addButton(QStringLiteral("S&top"), QDialogButtonBox::ActionRole);
    m_stop->setObjectName(QStringLiteral("stop"));
    m_stop->setEnabled(false);
    m_close = buttons->addButton(QDialogButtonBox::Cancel);
    m_close->setObjectName(QStringLiteral("close"));
    layout->addWidget(buttons);
    // The buttons' own roles would close the dialog; each does its own thing instead.
    connect(m_start, &QPushButton::clicked, this, &AddPagesDialog::start);
    connect(m_stop, &QPushButton::clicked, this, &AddPagesDialog::stop);
    connect(m_close, &QPushButton::clicked, this, &AddPagesDialog::reject);
}

CrawlOptions AddPagesDialog::crawlOptions() const
{
    CrawlOptions options;
    options.maxDepth = m_depth->value();
    options.maxPages = m_maxPages->value();
    options.under = typedPathPrefix(m_under->text());
    options.delay = std::chrono::milliseconds(m_delay->value());
    // The count reads the pages' bytes as it reads any downloaded page.
    options.keepText = false;
    return options;
}

void AddPagesDialog::start()
{
    if (m_running)
        return;
    const QString address = m_address->text().trimmed();
    if (address.isEmpty()) {
        m_status->setText(m_kind == Kind::Sitemap
                              ? QStringLiteral("Type the address of a sitemap or of a site.")
                              : QStringLiteral("Type the address of the page to start from."));
        m_address->setFocus();
        return;
    }
    if (m_under && !m_under->text().trimmed().isEmpty() &&
        typedPathPrefix(m_under->text()).isEmpty()) {
        m_status->setText(QStringLiteral("Type the path the pages lie under, such as /docs/."));
        m_under->setFocus();
        return;
    }
    m_running = true;
    for (QWidget* input : findChildren<QLineEdit*>())
        input->setEnabled(false);
    for (QWidget* input : findChildren<QSpinBox*>())
        input->setEnabled(false);
    m_start->setEnabled(false);
    m_stop->setEnabled(true);
    m_progress->show();
    m_notices->hide();
    m_fetcher = std::make_unique<DownloadFetcher>();
    if (m_kind == Kind::Sitemap) {
        m_status->setText(QStringLiteral("Reading the sitemaps..."));
        m_reader = std::make_unique<SitemapReader>(*m_fetcher);
        connect(m_reader.get(), &SitemapReader::progress, this, [this](int pages, int sitemaps) {
            m_status->setText(
                QStringLiteral("%1 sitemaps read, %2 pages listed").arg(sitemaps).arg(pages));
        });
        connect(m_reader.get(), &SitemapReader::finished, this, &AddPagesDialog::finish,
                Qt::QueuedConnection);
        m_reader->start(address);
    } else {
        m_status->setText(QStringLiteral("Crawling..."));
        m_crawler = std::make_unique<Crawler>(*m_fetcher, crawlOptions());
        connect(m_crawler.get(), &Crawler::progress, this, [this](const CrawlProgress& p) {
            m_status->setText(QStringLiteral("%1 pages read, %2 more found")
                                  .arg(p.pagesFound)
                                  .arg(p.queued + p.inFlight));
        });
        connect(m_crawler.get(), &Crawler::finished, this, &AddPagesDialog::finish,
                Qt::QueuedConnection);
        m_crawler->start(address);
    }
}

void AddPagesDialog::stop()
{
    if (m_crawler)
        m_crawler->stop();
    if (m_reader)
        m_reader->stop();
}

void AddPagesDialog::finish()
{
    if (!m_running)
        return;
    m_running = false;
    QStringList notices;
    int added = 0;
    if (m_crawler) {
        for (const CrawlSkip& skip : m_crawler->skipped())
            if (skip.failed)
                notices << skip.reason;
        for (const QString& notice : m_crawler->notices())
            if (std::none_of(notices.cbegin(), notices.cend(),
                             [&](const QString& told) { return notice.contains(told); }))
                notices << notice;
        std::vector<CrawledPage> pages = m_crawler->takePages();
        for (CrawledPage& page : pages) {
            m_sites.append(page.address);
            if (m_handOver)
                m_handOver(std::move(page));
        }
        added = int(pages.size());
    } else if (m_reader) {
        notices = m_reader->notices();
        m_sites.append(m_reader->addresses());
        added = int(m_reader->addresses().size());
    }
    m_status->setText(added == 1
                          ? QStringLiteral("1 page was added to the site list.")
                          : QStringLiteral("%1 pages were added to the site list.").arg(added));
    m_notices->setPlainText(notices.join(u'\n'));
    m_notices->setVisible(!notices.isEmpty());
    m_progress->hide();
    m_stop->hide();
    m_start->hide();
    m_close->setText(QStringLiteral("Close"));
}

void AddPagesDialog::reject()
{
    if (m_running) {
        // Cancelled: nothing of the unfinished run is added.
        m_running = false;
        m_crawler.reset();
        m_reader.reset();
    }
    QDialog::reject();
}

} // namespace tv
