#include "widgetdesktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace tv {

bool WidgetDesktop::openUrl(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

bool WidgetDesktop::openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool WidgetDesktop::clearClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    return true;
}

bool WidgetDesktop::setClipboardText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return clipboard->text() == text;
}

} // namespace tv
