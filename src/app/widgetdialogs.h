#pragma once
// The real modal boxes and file dialogs behind the Dialogs interface, and the error report box.
#include "platform/dialogs.h"
#include "platform/errorreport.h"

#include <QMessageBox>
#include <memory>

class QWidget;

namespace tv {

// Every message box of the program: its text is shown as it stands. Reports carry what
// servers sent, and a box that guessed rich text would show their markup as headings and
// live links.
std::unique_ptr<QMessageBox> makeMessageBox(QMessageBox::Icon icon, const QString& title,
                                            const QString& text,
                                            QMessageBox::StandardButtons buttons, QWidget* owner);

class WidgetDialogs : public Dialogs, public ReportSink {
public:
    explicit WidgetDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    void information(const QString& text) override;
    bool question(const QString& text, bool yesIsDefault) override;
    QString inputBox(const QString& prompt) override;
    QStringList openFileNames(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter) override;
    // "Application Error", warning icon, OK.
    void showErrorReport(const QString& text) override;

private:
    QWidget* m_owner;
};

} // namespace tv
