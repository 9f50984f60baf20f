#include "count/countresults.h"

namespace tv {

QString totalCaption(CountMethod method, qint64 total)
{
    if (method == CountMethod::Text)
        return QStringLiteral("Results (Total Word Count: ") + QString::number(total) + u')';
    return QStringLiteral("Results - Word Count: ") + QString::number(total);
}

} // namespace tv
