#include "enginesupport.h"

#include "count/countingview.h"
#include "fetch/pagesource.h"

namespace tv {

void announceSites(CountingView& view, PageSource& pages, int count)
{
    QStringList addresses;
    addresses.reserve(count);
    for (int row = 1; row <= count; ++row)
        addresses << view.siteText(row);
    pages.announce(addresses);
}

QString CountTexts::text(qint64 count)
{
    constexpr qint64 kShared = 4096;
    if (count < 0 || count >= kShared)
        return QString::number(count);
    if (m_small.empty())
        m_small.resize(kShared);
    QString& cached = m_small[size_t(count)];
    if (cached.isNull())
        cached = QString::number(count);
    return cached;
}

} // namespace tv
