#pragma once
// The real modal boxes and file dialogs behind the Dialogs interface, and the error report box.
#include "platform/dialogs.h"
#include "platform/errorreport.h"

class QWidget;

namespace tv {

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
