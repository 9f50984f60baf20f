#pragma once
// The decimal texts of counts in the results list. Most rows share a handful of small counts,
// so their rows share one string each instead of holding a copy apiece.
#include <QString>
#include <vector>

namespace tv {

class CountTexts {
public:
    QString text(qint64 count);

private:
    std::vector<QString> m_small;
};

} // namespace tv
