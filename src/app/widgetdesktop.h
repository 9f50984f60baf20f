#pragma once
// The desktop services behind the Desktop interface: browser, default applications, clipboard.
#include "platform/desktop.h"

namespace tv {

class WidgetDesktop : public Desktop {
public:
    bool openUrl(const QString& url) override;
    bool openDocument(const QString& path) override;
    bool clearClipboard() override;
    bool setClipboardText(const QString& text) override;
};

} // namespace tv
