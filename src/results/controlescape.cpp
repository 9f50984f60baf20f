#include "results/controlescape.h"

namespace tv {

QString controlEscape(char16_t c)
{
    return QStringLiteral("\\x%1").arg(unsigned(c), 2, 16, QLatin1Char('0'));
}

} // namespace tv
