#pragma once
// A main window for a widget test: scripted dialogs, a recording desktop and error-report sink,
// a program folder with the template database, fresh settings and data folder, and the
// window's controls found by their layout names.
#include "app/mainwindow.h"
#include "platform/spreadsheet.h"
#include "platform/windowcontrols.h"
#include "support/recorders.h"

#include <QStringList>
#include <memory>

namespace tv::test {

// Records the cells an export writes.
class RecordingSheet : public Spreadsheet {
public:
    explicit RecordingSheet(QStringList* log) : m_log(log) {}
    void newWorkbook() override { *m_log << QStringLiteral("new"); }
    void setCellText(int row, int column, const QString& text) override;
    void fitColumns() override { *m_log << QStringLiteral("fit"); }
    void show() override { *m_log << QStringLiteral("show"); }

private:
    QStringList* m_log;
};

class WindowHarness {
public:
    // Forgets the settings and the data folder of an earlier window.
    WindowHarness();
    ~WindowHarness();

    // Makes and loads the window; `pages` (optional) stands in for the network.
    MainWindow& load(PageSource* pages = nullptr);
    MainWindow& window() { return *m_window; }
    // The control of the table; fails the test run when it is missing.
    template <class T> T* control(const WindowControl& which)
    {
        return qobject_cast<T*>(find(which));
    }
    // The results' cells of every row as "cell|cell|...", in the list's own order.
    QStringList resultRows() const;

    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    RecordingSink sink;
    QStringList sheetLog;
    bool spreadsheetApp = true;

private:
    QWidget* find(const WindowControl& which);
    std::unique_ptr<MainWindow> m_window;
};

} // namespace tv::test
