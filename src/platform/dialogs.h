#pragma once
// Message boxes, the text-input box and the file dialogs. The window answers them with real
// modal boxes; tests answer them from a script, so no test ever waits on a modal window.
#include <QString>
#include <QStringList>

namespace tv {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Information box: one OK button, no icon, the application title as caption.
    virtual void information(const QString& text) = 0;
    // Question box with Yes and No, no icon, the application title as caption; true for Yes.
    virtual bool question(const QString& text, bool yesIsDefault) = 0;
    // Modal text-input box with the application title; "" when cancelled or left empty.
    virtual QString inputBox(const QString& prompt) = 0;
    // File-open dialog allowing several files; full paths in the dialog's order, none on cancel.
    // The filter is written "Name (*.ext)|*.ext|Name|*.*|".
    virtual QStringList openFileNames(const QString& title, const QString& filter) = 0;
    // File-save dialog without its own overwrite question; "" on cancel.
    virtual QString saveFileName(const QString& title, const QString& filter) = 0;
};

// Turns "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" into Qt's "A (*.txt);;B (*.*)".
QString qtFilterFromPairs(const QString& filter);

} // namespace tv
