#pragma once
// Small pieces both counting engines share.
#include <QString>
#include <QStringList>
#include <vector>

namespace tv {

class CountingView;
class PageSource;

// Tells the page source which rows a run will visit, rows 1 to `count` as they read now, so
// that downloads can start early. Throws Failure when a row cannot be read.
void announceSites(CountingView& view, PageSource& pages, int count);

// Decimal texts of counts. Most results share a handful of small counts, so their rows share
// one string each instead of holding a copy apiece.
class CountTexts {
public:
    QString text(qint64 count);

private:
    std::vector<QString> m_small;
};

} // namespace tv
