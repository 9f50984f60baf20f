#pragma once
// What a count tells its caller while it runs, and the little it asks of it: whether letter
// case is ignored (asked afresh for every word) and whether to stop.
#include "count/countresults.h"
#include "platform/progresssink.h"

namespace tv {

class CountObserver : public ProgressSink {
public:
    // Asked for every word, so that ticking "Ignore letter case" during a run changes the
    // words still to come.
    virtual bool ignoreCase() const = 0;
    // Asked before each site: true ends the count after the last finished page.
    virtual bool stopRequested() const { return false; }
    // The database method shows the busy mark again at every site: a command that ran during
    // the run (a save, say) may have put the ordinary pointer back.
    virtual void showBusy() {}

    // Site `site` (from 1) is being read.
    virtual void siteStarted(int site, const QString& address)
    {
        (void)site;
        (void)address;
    }
    // What became of a site, once its words are counted (or its page failed).
    virtual void siteFinished(const SiteOutcome& outcome) { (void)outcome; }
    // The rows of each count in order, least frequent word first, as each count completes.
    virtual void addRow(const CountRow& row) = 0;
};

} // namespace tv
