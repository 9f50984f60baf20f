#include "provider.h"

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/errorreport.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QUuid>

namespace tv {

ProviderProbe probeSqliteProvider()
{
    ProviderProbe probe;
    const QString name = QStringLiteral("tv-probe-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        probe.available = db.isValid() && db.driver() != nullptr;
    }
    QSqlDatabase::removeDatabase(name);
    if (!probe.available) {
        probe.number = 3706;
        probe.description =
            QStringLiteral("Provider cannot be found. It may not be properly installed.");
    }
    return probe;
}

QString providerMissingMessage()
{
    const QString gap = QStringLiteral("\r\n\r\n");
    return QStringLiteral("Error #3706: Provider cannot be found. It may not be properly "
                          "installed.") +
           gap + QStringLiteral("You are getting this error because:") + gap +
           QStringLiteral("1. Microsoft Access is not installed on your computer.") + gap +
           QStringLiteral("2. A set of Microsoft components to transfer data is not installed "
                          "on your computer.") +
           gap +
           QStringLiteral("You need to download and install Microsoft Access Database Engine "
                          "2010 or 2016 to solve this problem.") +
           gap +
           QStringLiteral("Would you like me to open the Microsoft site now so you can do "
                          "this?") +
           gap +
           QStringLiteral("(If you have any further questions please email a screenshot of "
                          "this error message to ") +
           supportAddress() + u')';
}

QString downloadPageUrl(int index)
{
    return QStringLiteral("https://www.quenrith.com/en-us/download/details.aspx?id=") +
           (index == 0 ? QStringLiteral("13255") : QStringLiteral("54920"));
}

bool diagnoseDatabaseProvider(bool silent, Dialogs& dialogs, Desktop& desktop,
                              const std::function<ProviderProbe()>& probe)
{
    // The diagnosis answers and never reports: whatever fails in here means the method cannot
    // be offered, which is the answer false.
    try {
        const ProviderProbe found = probe();
        if (found.available)
            return true;
        const bool missing = found.number == 3706 ||
                             found.description.contains(QStringLiteral("provider cannot be found"),
                                                        Qt::CaseInsensitive);
        if (!missing || silent)
            return false;
        if (dialogs.question(providerMissingMessage(), false)) {
            desktop.openUrl(downloadPageUrl(0));
            desktop.openUrl(downloadPageUrl(1));
        }
    } catch (...) {
    }
    return false;
}

} // namespace tv
