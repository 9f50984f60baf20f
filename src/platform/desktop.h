#pragma once
// The desktop around the program: opening web addresses and documents, and the clipboard.
// The window implements it with Qt Gui; tests record what was asked. No call throws: each
// says whether it worked.
#include <QString>

namespace tv {

class Desktop {
public:
    virtual ~Desktop() = default;

    // Opens a web address with the default browser; false when nothing could open it.
    virtual bool openUrl(const QString& url) = 0;
    // Opens a local file with the desktop's default application; false when none took it.
    virtual bool openDocument(const QString& path) = 0;
    // One attempt each; false when the clipboard refused.
    virtual bool clearClipboard() = 0;
    virtual bool setClipboardText(const QString& text) = 0;
};

} // namespace tv
