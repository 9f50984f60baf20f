#include "count/countresults.h"

namespace tv {

QString totalCaption(CountMethod method, qint64 total)
{
    if (method == CountMethod::Text)
        return QStringLiteral("Results (Total Word Count: ") + QString::number(total) + u')';
    return QStringLiteral("Results - Word Count: ") + QString::number(total);
}

QString stoppedNote(int finished, int sites)
{
    return QStringLiteral("stopped after %1 of %2 %3")
        .arg(finished)
        .arg(sites)
        .arg(sites == 1 ? QStringLiteral("site") : QStringLiteral("sites"));
}

} // namespace tv
