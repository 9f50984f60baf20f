// The main window's start-up sequence: skin, hand cursor, caption, title and columns, the data
// folder with its working database, the provider diagnosis and the saved counting method.
#include "app/mainwindow.h"

#include "platform/apptitle.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/guard.h"
#include "platform/settings.h"
#include "platform/windowcontrols.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QPixmap>
#include <QRadioButton>
#include <QTreeView>
#include <QtEndian>

namespace tv {

namespace {

void makeFolder(const QString& path)
{
    // The shared data folder itself may not exist yet on a fresh account.
    if (!QDir().mkpath(path))
        throw Failure(QStringLiteral("Path/File access error: the folder \"%1\" could not be "
                                     "created")
                          .arg(QDir::toNativeSeparators(path)));
}

void copyFile(const QString& from, const QString& to)
{
    if (!QFileInfo::exists(from))
        throw Failure(QStringLiteral("File not found: \"%1\"").arg(QDir::toNativeSeparators(from)));
    if (!QFile::copy(from, to))
        throw Failure(QStringLiteral("Path/File access error: \"%1\" could not be copied to "
                                     "\"%2\"")
                          .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to)));
    // A template installed read-only must not make the working database read-only.
    QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ReadOwner |
                                  QFileDevice::WriteOwner);
}

} // namespace

void MainWindow::load()
{
    Guard g(windowLoadLocation());
    const QString program = m_services.programFolder;
    g.run(100, [&] { applySkin(); });
    if (g.test(102, [&] { return fileExists(program + QStringLiteral("/HAND-M.CUR")); }))
        g.run(104, [&] { loadHandCursor(); });
    g.run(108, [&] { setWindowTitle(productName()); });
    g.run(110, [&] {
        const QIcon icon(QStringLiteral(":/tallyvane.png"));
        if (icon.isNull())
            throw Failure(QStringLiteral("The application icon could not be loaded"));
        setWindowIcon(icon);
    });
    g.run(112, [&] { setApplicationTitle(); });
    g.run(114, [&] { m_sites.setCaption(QStringLiteral("Site(s)")); });
    g.run(116, [&] { m_siteList->header()->resizeSection(0, 7000 / 15); });
    const QList<ResultColumn> columns = layoutColumns(ResultsLayout::StartUp);
    g.run(118, [&] { m_results.addColumn(columns.value(0)); });
    g.run(120, [&] { m_results.addColumn(columns.value(1)); });
    makeDataFolder(g);
    g.run(142, [&] {
        m_providerAvailable = diagnoseDatabaseProvider(
            true, *m_services.dialogs, *m_services.desktop, m_services.probeProvider);
    });
    restoreMethodChoice(g);
    // Beyond the original window: the size and place the user left it at.
    runUnguarded(windowLocation("Form_Load"), [this] { restoreWindowState(); });
}

// The data folder, made step by step, and the working database copied from the template next
// to the program when it is missing; an existing one is never replaced.
void MainWindow::makeDataFolder(Guard& g)
{
    QString shared;
    g.run(122, [&] { shared = sharedDataFolder(); });
    const QString company = shared + QStringLiteral("/Quenrith");
    const QString folder = company + QStringLiteral("/Tallyvane");
    const QString database = folder + QStringLiteral("/dbData.mdb");
    if (g.test(124, [&] { return !QFileInfo::exists(company); }))
        g.run(126, [&] { makeFolder(company); });
    if (g.test(130, [&] { return !QFileInfo::exists(folder); }))
        g.run(132, [&] { makeFolder(folder); });
    if (g.test(136, [&] { return !fileExists(database); }))
        g.run(138, [&] {
            copyFile(m_services.programFolder + QStringLiteral("/dbBlank.mdb"), database);
        });
}

// The counting method saved under the two options' names; without a saved choice, the
// database method when its provider is there.
void MainWindow::restoreMethodChoice(Guard& g)
{
    g.run(144, [&] {
        const QString fallback = m_providerAvailable ? QStringLiteral("1") : QStringLiteral("0");
        setOptionValue(
            m_databaseMethod,
            textToBool(readSetting(QString::fromLatin1(control::databaseMethod.name), fallback)));
    });
    g.run(146, [&] {
        const QString fallback = m_providerAvailable ? QStringLiteral("0") : QStringLiteral("1");
        setOptionValue(m_textMethod, textToBool(readSetting(
                                         QString::fromLatin1(control::textMethod.name), fallback)));
    });
    loadStyleSheetsOption();
    g.run(148, [&] {
        m_analysis.setChoice(loadWordAnalysisChoice());
        showWordAnalysisChoice();
    });
}

void MainWindow::loadStyleSheetsOption()
{
    // A stored value that cannot be read leaves the option on, its default.
    try {
        m_styleSheets->setChecked(
            textToBool(readSetting(QStringLiteral("StyleSheets"), QStringLiteral("True"))));
    } catch (const Failure&) {
        m_styleSheets->setChecked(true);
    }
    connect(m_styleSheets, &QCheckBox::toggled, this, [this](bool on) {
        runUnguarded(eventLocation(control::styleSheets, "Click"),
                     [on] { writeSetting(QStringLiteral("StyleSheets"), boolToText(on)); });
    });
}

void MainWindow::applySkin()
{
    const QString skin = m_services.programFolder + QStringLiteral("/x/o.cjs");
    if (!fileExists(skin))
        return;
    const QColor face = palette().color(QPalette::Button);
    const QList<QWidget*> surfaces = {
        this,           m_page,          m_optionsFrame,   m_speedFrame,
        m_perSiteCount, m_combinedCount, m_databaseMethod, m_textMethod,
        m_ignoreCase,   m_styleSheets};
    for (QWidget* w : surfaces) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, face);
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    }
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("The skin \"%1\" could not be read: %2")
                          .arg(QDir::toNativeSeparators(skin), file.errorString()));
    const QString sheet = QString::fromUtf8(file.readAll());
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->setStyleSheet(sheet);
}

void MainWindow::loadHandCursor()
{
    const QString path = m_services.programFolder + QStringLiteral("/HAND-M.CUR");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("The cursor \"%1\" could not be read").arg(path));
    const QByteArray bytes = file.readAll();
    QPixmap image;
    // A .cur file keeps the hot spot where an icon keeps its colour planes and depth.
    if (bytes.size() < 22 || qFromLittleEndian<quint16>(bytes.constData() + 2) != 2 ||
        !image.loadFromData(bytes, "CUR"))
        throw Failure(QStringLiteral("Invalid picture: \"%1\"").arg(path));
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    m_customCursor = QCursor(image, hotX, hotY);
}

} // namespace tv
