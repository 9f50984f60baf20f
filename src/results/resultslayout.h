#pragma once
// The column layouts of the results list, defined once for the window and the command line:
// captions and widths (in twips, 1/1440 inch).
#include <QList>
#include <QString>

namespace tv {

struct ResultColumn {
    QString caption;
    int widthTwips = 0;
};

enum class ResultsLayout {
    StartUp,  // "Results", "Count": as the window opens
    PerSite,  // "Filename", "Results", "Count": one count per site
    Combined, // "Results", "Count": one count over all sites
};

QList<ResultColumn> layoutColumns(ResultsLayout layout);

} // namespace tv
