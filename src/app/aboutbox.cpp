#include "aboutbox.h"

#include "platform/apptitle.h"
#include "platform/dialogs.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace tv {

QString aboutText()
{
    return productName() + u' ' + QStringLiteral(TV_VERSION) +
           QStringLiteral("\n\nCounts how often each word occurs on a set of web pages.\n"
                          "The same count runs without a window as tallyvane-count.\n\n"
                          "Made by Quenrith.");
}

void addAboutCommand(QWidget& window, Dialogs& dialogs)
{
    auto* about = new QAction(QStringLiteral("About %1").arg(productName()), &window);
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    about->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(about, &QAction::triggered, &window,
                     [&dialogs] { dialogs.information(aboutText()); });
    window.addAction(about);
    // The command also lives in the context menu of the window and of the controls that have
    // no menu of their own, where it always was.
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
}

} // namespace tv
