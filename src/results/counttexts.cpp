#include "results/counttexts.h"

namespace tv {

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
