#pragma once
// "Start Counting": the site list through the chosen counting method into the results list.
#include "count/countobserver.h"
#include "count/countrequest.h"
#include "platform/pointer.h"

#include <QString>
#include <QStringList>

namespace tv {

class Dialogs;
class PageSource;

// The counting method as the window's options and start-up leave it.
struct MethodChoice {
    bool databaseMethod = false; // "MS Access Method (faster)" selected
    bool textMethod = false;     // "Regular Text Method (slower)" selected
    bool providerAvailable = false;
    QString databasePath; // the working database
};

// The window as "Start Counting" sees it: the count's observer, the busy mark, and what the
// command reads before the run and sets after it.
class CountingWindow : public CountObserver, public Pointer {
public:
    // The site rows as they stand; read once, when the run starts.
    virtual QStringList siteRows() const = 0;
    // The layout option as it stands; read once, when the run starts.
    virtual CountMode countMode() const = 0;
    // The results list's first column caption, which a run sets to its total.
    virtual void setTotalCaption(const QString& caption) = 0;
    // The results list takes input again once a run has reported "Done.".
    virtual void setResultsEnabled(bool enabled) = 0;
    // How a page that cannot be read is made known; read once, when the run starts.
    virtual FailurePolicy failurePolicy() const { return FailurePolicy::ReportEach; }
    // How the run splits its pages into words, asked once as the count begins; null for the
    // program's own rule. Throws Failure when it cannot be made: nothing is counted then.
    virtual WordSplitter* wordSplitter(const CountRequest& request, CountMethod method)
    {
        (void)request;
        (void)method;
        return nullptr;
    }
};

// The body of the "Start Counting" command. Does nothing while the window shows the busy mark;
// shows "No files added." on an empty site list; otherwise marks the window busy, runs the
// database method (or the text method in its place when the provider is missing) or the text
// method, sets the total as the first column's caption, resets pointer and progress, shows
// "Done." and enables the results list. A run the observer asked to stop keeps what it counted,
// adds stoppedNote() to the caption and shows no "Done.". Failures are reported through the error
// report of "Form1.PushButton12_Click"; nothing is thrown.
void startCounting(CountingWindow& window, Dialogs& dialogs, PageSource& pages,
                   const MethodChoice& choice);

} // namespace tv
