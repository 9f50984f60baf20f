#pragma once
// Stand-ins for the desktop interfaces in benchmarks: nothing is shown, nothing waits for an
// answer, and error reports are counted so that a run can say it had none.
#include "platform/dialogs.h"
#include "platform/errorreport.h"

namespace tv::bench {

// Answers No to every question and cancels every input box and file dialog.
class SilentDialogs : public Dialogs {
public:
    void information(const QString&) override {}
    bool question(const QString&, bool) override { return false; }
    QString inputBox(const QString&) override { return {}; }
    QStringList openFileNames(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&) override { return {}; }
};

// Counts error reports; installs itself as the report sink while it lives.
class CountingSink : public ReportSink {
public:
    CountingSink();
    ~CountingSink() override;
    CountingSink(const CountingSink&) = delete;
    CountingSink& operator=(const CountingSink&) = delete;
    void showErrorReport(const QString&) override { ++reports; }

    int reports = 0;

private:
    ReportSink* m_previous;
};

} // namespace tv::bench
