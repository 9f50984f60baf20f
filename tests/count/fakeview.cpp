#include "fakeview.h"

#include "platform/guard.h"

namespace tv::test {

void FakeCountingView::setPointerMode(int value)
{
    mode = value;
    pointerHistory << value;
}

int FakeCountingView::siteCount() const
{
    ++siteCountReads;
    return int(sites.size());
}

QString FakeCountingView::siteText(int row) const
{
    if (row < 1 || row > sites.size())
        throw Failure(QStringLiteral("Index out of bounds"));
    return sites[row - 1];
}

void FakeCountingView::appendResult(const QString& text, const QString& sub1, const QString& sub2)
{
    rows << QStringList{text, sub1, sub2};
}

QStringList FakeCountingView::rowTexts() const
{
    QStringList result;
    for (const QStringList& row : rows)
        result << (perSite ? row.join(u'|') : row[0] + u'|' + row[1]);
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
