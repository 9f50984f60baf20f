#pragma once
// A count's pages kept as they are counted: the window and the command line hand it each site's
// outcome from their count observer. Keeping never fails a count: when the store cannot be
// written (a full disk), the rest of the run is counted without keeping, and why is kept for
// the views to tell.
#include "keep/keptstore.h"

#include <QString>
#include <memory>

namespace tv {

struct SiteOutcome;

class RunKeeper {
public:
    explicit RunKeeper(KeptTexts::Limits limits = {});
    ~RunKeeper();
    RunKeeper(const RunKeeper&) = delete;
    RunKeeper& operator=(const RunKeeper&) = delete;

    // A run begins that splits its pages by `rule`; the store is made on the first run.
    void beginRun(const KeptRule& rule);
    // Site `outcome.site` is counted: its page, its text and its words, counted under
    // `ignoreCase`. Does nothing outside a run, or once keeping has failed in this one.
    void siteFinished(const SiteOutcome& outcome, bool ignoreCase);

    // The run last begun; 0 before the first, or when it could not be begun.
    int run() const { return m_run; }
    // The store, null before the first run.
    const KeptTexts* store() const { return m_store.get(); }
    // Why the last run kept nothing, or stopped keeping part way; "" when it did not.
    const QString& failure() const { return m_failure; }

private:
    KeptTexts::Limits m_limits;
    std::unique_ptr<KeptTexts> m_store;
    int m_run = 0;
    bool m_keeping = false;
    QString m_failure;
};

} // namespace tv
