#pragma once
// The About box: which version of the program this is. The window's caption stays the bare
// product name, so the version is shown here, from the window's context menu or with F1.
#include <QString>

class QWidget;

namespace tv {

class Dialogs;

// The About box's text: product name and version, what the program does, the maker.
QString aboutText();
// Adds "About Tallyvane" to `window`'s context menu and to F1; it shows aboutText() in an
// information box through `dialogs`.
void addAboutCommand(QWidget& window, Dialogs& dialogs);

} // namespace tv
