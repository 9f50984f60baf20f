#include "app/addpagescommands.h"

#include "app/addpagesdialog.h"
#include "app/mainwindow.h"
#include "fetch/networkpagesource.h"

#include <QAction>

namespace tv {

namespace {

void addCommand(MainWindow& window, AddPagesDialog::Kind kind, const QString& text,
                const QString& name)
{
    auto* action = new QAction(text, &window);
    action->setObjectName(name);
    QObject::connect(action, &QAction::triggered, &window, [&window, kind] {
        // Window-modal, but not waited for: the window keeps its events while the dialog runs.
        auto* dialog = new AddPagesDialog(
            kind, window.sites(),
            [&window](CrawledPage&& page) {
                window.addReceivedPage(page.address,
                                       {page.address, std::move(page.body),
                                        std::move(page.contentType), 200, page.truncated});
            },
            &window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    window.addAction(action);
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    window.addSiteCommand(action);
}

} // namespace

void addPagesCommands(MainWindow& window)
{
    addCommand(window, AddPagesDialog::Kind::Sitemap, QStringLiteral("Add Pages From Sitemap..."),
               QStringLiteral("addPagesFromSitemapAction"));
    addCommand(window, AddPagesDialog::Kind::Crawl, QStringLiteral("Add Site (follow links)..."),
               QStringLiteral("addSiteFollowingLinksAction"));
}

void MainWindow::addReceivedPage(const QString& address, ReceivedPage page)
{
    // A page source of the caller's (a test's) is its own business.
    if (m_services.pages)
        return;
    if (!m_networkPages)
        m_networkPages = std::make_unique<NetworkPageSource>();
    m_networkPages->addReceived(address, std::move(page));
}

} // namespace tv
