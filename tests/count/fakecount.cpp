#include "fakecount.h"

#include "count/wordtally.h"

namespace tv::test {

CountRequest FakeCountingWindow::request() const
{
    CountRequest r;
    r.sites = siteRows();
    r.mode = countMode();
    return r;
}

QStringList FakeCountingWindow::siteRows() const
{
    ++siteReads;
    return sites;
}

CountMode FakeCountingWindow::countMode() const
{
    return combined ? CountMode::Combined : perSite ? CountMode::PerSite : CountMode::None;
}

void FakeCountingWindow::setPointerMode(int value)
{
    mode = value;
    pointerHistory << value;
}

void FakeCountingWindow::siteStarted(int site, const QString& address)
{
    startedSites << QString::number(site) + u':' + address;
}

void FakeCountingWindow::siteFinished(const SiteOutcome& outcome)
{
    outcomes << outcome;
    qint64 tallied = -1;
    if (outcome.tally) {
        tallied = 0;
        for (const WordTally::Entry& entry : outcome.tally->entries())
            tallied += entry.count;
    }
    outcomeTallyTotals << tallied;
    outcomes.last().tally = nullptr; // it lives only during the call
}

void FakeCountingWindow::addRow(const CountRow& row)
{
    rows << QStringList{row.site, row.word, QString::number(row.count)};
}

QStringList FakeCountingWindow::rowTexts() const
{
    QStringList result;
    for (const QStringList& row : rows)
        result << (perSite ? row.join(u'|') : row[1] + u'|' + row[2]);
    return result;
}

FetchedPage FakePageSource::fetchPage(const QString& address)
{
    calls << QStringLiteral("fetch:") + address;
    FetchedPage page;
    page.address = address;
    page.url = address;
    if (failures.contains(address)) {
        page.outcome = FetchedPage::Outcome::Failed;
        page.error = failures.value(address);
    } else {
        page.outcome = FetchedPage::Outcome::Read;
        page.text = texts.value(address);
        if (warnings.contains(address))
            page.warnings << warnings.value(address);
    }
    if (afterFetch)
        afterFetch(address);
    return page;
}

void FakePageSource::announce(const QStringList& addresses)
{
    calls << QStringLiteral("announce:") + addresses.join(u',');
}

QStringList FakePageSource::fetched() const
{
    QStringList result;
    for (const QString& call : calls) {
        if (call.startsWith(QStringLiteral("fetch:")))
            result << call.mid(6);
    }
    return result;
}

} // namespace tv::test
