#include "cliview.h"

namespace tv {

CliView::CliView(bool perSite, bool ignoreCase) : m_perSite(perSite), m_ignoreCase(ignoreCase)
{
    if (perSite) {
        m_results.addColumn(QStringLiteral("Filename"), 3000);
        m_results.addColumn(QStringLiteral("Results"), 1500);
        m_results.addColumn(QStringLiteral("Count"), 1500);
    } else {
        m_results.addColumn(QStringLiteral("Results"), 3500);
        m_results.addColumn(QStringLiteral("Count"), 3000);
    }
}

void CliView::appendResult(const QString& text, const QString& sub1, const QString& sub2)
{
    m_results.append(text, sub1, sub2);
}

void CliView::setFirstColumnCaption(const QString& caption)
{
    m_results.setCaption(1, caption);
    m_caption = caption;
}

} // namespace tv
