#pragma once
// Test doubles for the interfaces the program talks to the desktop through: they record what
// was shown or asked and answer from a script.
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/errorreport.h"
#include "platform/pointer.h"

#include <QQueue>
#include <QStringList>

namespace tv::test {

// Records every error report; installs itself as the report sink while it lives.
class RecordingSink : public ReportSink {
public:
    RecordingSink();
    ~RecordingSink() override;
    void showErrorReport(const QString& text) override;

    QStringList reports;
    // The line labels of the reports, in order.
    QList<int> lines() const;
    // The descriptions (the text before CR LF).
    QStringList descriptions() const;

private:
    ReportSink* m_previous;
};

// Answers message boxes, input boxes and file dialogs from queues. A question without a
// queued answer gets No, an input box "", a file dialog a cancel; each such case is recorded
// in `unexpected`.
class ScriptedDialogs : public Dialogs {
public:
    void information(const QString& text) override;
    bool question(const QString& text, bool yesIsDefault) override;
    QString inputBox(const QString& prompt) override;
    QStringList openFileNames(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter) override;

    QQueue<bool> answers;
    QQueue<QString> inputs;
    QQueue<QStringList> openResults;
    QQueue<QString> saveResults;

    QStringList informations;
    QStringList questions;
    QStringList prompts;
    QStringList dialogTitles;
    QStringList dialogFilters;
    QStringList unexpected;

private:
    // The next queued answer; without one, an empty answer and `call` noted as unexpected.
    template <class T> T nextAnswer(QQueue<T>& queue, const QString& call);
};

// A busy mark that remembers every pointer mode it was given.
class RecordingPointer : public Pointer {
public:
    explicit RecordingPointer(int initial = PointerDefault) : mode(initial) {}
    int pointerMode() const override { return mode; }
    void setPointerMode(int value) override
    {
        mode = value;
        history << value;
    }

    int mode;
    QList<int> history; // every mode set, in order
};

class RecordingDesktop : public Desktop {
public:
    bool openUrl(const QString& url) override;
    bool openDocument(const QString& path) override;
    bool clearClipboard() override;
    bool setClipboardText(const QString& text) override;

    QStringList openedUrls;
    QStringList openedDocuments;
    QString clipboard;
    bool clipboardSet = false;
    int clipboardFailures = 0; // attempts to refuse before one succeeds
    int clipboardAttempts = 0;

private:
    // Counts a clipboard attempt; true for one of those to refuse.
    bool refuseAttempt();
};

} // namespace tv::test
