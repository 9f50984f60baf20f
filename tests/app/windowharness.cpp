#include "windowharness.h"

#include "count/provider.h"
#include "platform/folders.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

namespace tv::test {

void RecordingSheet::setCellText(int row, int column, const QString& text)
{
    *m_log << QStringLiteral("%1,%2=%3").arg(row).arg(column).arg(text);
}

WindowHarness::WindowHarness()
{
    QSettings s(QStringLiteral("Quenrith"), QStringLiteral("Tallyvane"));
    s.clear();
    s.sync();
    QDir(sharedDataFolder() + QStringLiteral("/Quenrith")).removeRecursively();
}

WindowHarness::~WindowHarness() = default;

MainWindow& WindowHarness::load(PageSource* pages)
{
    static int n = 0;
    const QString folder = fixtureFolder(QStringLiteral("harness%1").arg(++n));
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/dbBlank.mdb"),
                folder + QStringLiteral("/dbBlank.mdb"));
    MainWindowServices s;
    s.dialogs = &dialogs;
    s.desktop = &desktop;
    s.probeProvider = [] { return ProviderProbe{true, 0, {}}; };
    s.programFolder = folder;
    s.pages = pages;
    s.spreadsheetRegistered = [this] { return spreadsheetApp; };
    s.makeSpreadsheet = [this] { return std::make_unique<RecordingSheet>(&sheetLog); };
    m_window = std::make_unique<MainWindow>(s);
    m_window->load();
    return *m_window;
}

QWidget* WindowHarness::find(const WindowControl& which)
{
    auto* found = m_window->findChild<QWidget*>(QString::fromLatin1(which.name));
    if (!found)
        qFatal("no control %s (%s)", which.name, which.intent);
    return found;
}

QStringList WindowHarness::resultRows() const
{
    const ResultsModel& r = m_window->results();
    QStringList rows;
    for (int i = 1; i <= r.rows(); ++i) {
        QStringList cells;
        for (int c = 1; c <= r.columns(); ++c)
            cells << r.cell(i, c);
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace tv::test
