#include "apptitle.h"

namespace tv {

namespace {
QString g_title = QStringLiteral("Tallyvane");
}

QString productName()
{
    return QStringLiteral("Tallyvane");
}

QString titleFromProductName(const QString& name)
{
    QString title = name;
    while (title.size() > 40) {
        const qsizetype blank = title.lastIndexOf(u' ');
        // Without a blank there is nowhere to cut; a plain cut keeps the 40-character promise.
        title = blank < 0 ? title.left(40) : title.left(blank);
    }
    return title;
}

void setApplicationTitle()
{
    g_title = titleFromProductName(productName());
}

QString applicationTitle()
{
    return g_title;
}

} // namespace tv
