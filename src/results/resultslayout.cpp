#include "results/resultslayout.h"

namespace tv {

QList<ResultColumn> layoutColumns(ResultsLayout layout)
{
    switch (layout) {
    case ResultsLayout::StartUp:
        return {{QStringLiteral("Results"), 3700}, {QStringLiteral("Count"), 3700}};
    case ResultsLayout::PerSite:
        return {{QStringLiteral("Filename"), 3000},
                {QStringLiteral("Results"), 1500},
                {QStringLiteral("Count"), 1500}};
    case ResultsLayout::Combined:
        break;
    }
    return {{QStringLiteral("Results"), 3500}, {QStringLiteral("Count"), 3000}};
}

} // namespace tv
