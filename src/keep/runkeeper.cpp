#include "keep/runkeeper.h"

#include "count/countresults.h"
#include "platform/failure.h"

namespace tv {

RunKeeper::RunKeeper(KeptTexts::Limits limits) : m_limits(limits) {}

RunKeeper::~RunKeeper() = default;

void RunKeeper::beginRun(const KeptRule& rule)
{
    m_run = 0;
    m_keeping = false;
    m_failure.clear();
    try {
        if (!m_store)
            m_store = std::make_unique<KeptTexts>(m_limits);
        m_run = m_store->beginRun(rule);
        m_keeping = true;
    } catch (...) {
        m_failure = describeException(std::current_exception());
    }
}

void RunKeeper::siteFinished(const SiteOutcome& outcome, bool ignoreCase)
{
    if (!m_keeping)
        return;
    try {
        m_store->keep(m_run, outcome.site, outcome.page, outcome.text, outcome.words, ignoreCase);
    } catch (...) {
        m_keeping = false;
        m_failure = describeException(std::current_exception());
    }
}

} // namespace tv
