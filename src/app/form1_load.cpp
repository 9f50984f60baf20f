// The start-up sequence of the main window, the skin and cursor it applies, and the engine
// choice that it restores and that the two engine options save.
#include "form1.h"

#include "platform/apptitle.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/settings.h"

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

void Form1::Form_Load()
{
    Guard g(QStringLiteral("Form1"), QStringLiteral("Form_Load"));
    const QString program = m_services.programFolder;
    QString p;
    g.run(100, [&] { ApplySkin(); });
    if (g.test(102, [&] { return FileExists(program + QStringLiteral("/HAND-M.CUR")); }))
        g.run(104, [&] { loadHandCursor(); });
    g.run(108, [&] { setWindowTitle(productName()); });
    g.run(110, [&] {
        const QIcon icon(QStringLiteral(":/tallyvane.png"));
        if (icon.isNull())
            throw Failure(QStringLiteral("The application icon could not be loaded"));
        setWindowIcon(icon);
    });
    g.run(112, [&] { SetApplicationTitle(); });
    g.run(114, [&] { m_sites.setCaption(QStringLiteral("Site(s)")); });
    g.run(116, [&] { ListView1->header()->resizeSection(0, 7000 / 15); });
    g.run(118, [&] { m_results.addColumn(QStringLiteral("Results"), 3700); });
    g.run(120, [&] { m_results.addColumn(QStringLiteral("Count"), 3700); });
    g.run(122, [&] { p = SpecialFolderPath(kCommonAppDataFolder); });
    if (g.test(124, [&] { return !QFileInfo::exists(p + QStringLiteral("/Quenrith")); }))
        g.run(126, [&] { makeFolder(p + QStringLiteral("/Quenrith")); });
    if (g.test(130, [&] { return !QFileInfo::exists(p + QStringLiteral("/Quenrith/Tallyvane")); }))
        g.run(132, [&] { makeFolder(p + QStringLiteral("/Quenrith/Tallyvane")); });
    if (g.test(136,
               [&] { return !FileExists(p + QStringLiteral("/Quenrith/Tallyvane/dbData.mdb")); }))
        g.run(138, [&] {
            copyFile(program + QStringLiteral("/dbBlank.mdb"),
                     p + QStringLiteral("/Quenrith/Tallyvane/dbData.mdb"));
        });
    g.run(142, [&] {
        m_providerAvailable = DiagnoseProvider(true, *m_services.dialogs, *m_services.desktop,
                                               m_services.probeProvider);
    });
    g.run(144, [&] {
        const QString fallback = m_providerAvailable ? QStringLiteral("1") : QStringLiteral("0");
        setOptionValue(Option3, textToBool(GetSetting(QStringLiteral("Option3"), fallback)));
    });
    g.run(146, [&] {
        const QString fallback = m_providerAvailable ? QStringLiteral("0") : QStringLiteral("1");
        setOptionValue(Option4, textToBool(GetSetting(QStringLiteral("Option4"), fallback)));
    });
    loadStyleSheetsOption();
}

void Form1::loadStyleSheetsOption()
{
    // A stored value that cannot be read leaves the option on, its default.
    try {
        styleSheetsOption->setChecked(
            textToBool(GetSetting(QStringLiteral("StyleSheets"), QStringLiteral("True"))));
    } catch (const Failure&) {
        styleSheetsOption->setChecked(true);
    }
    connect(styleSheetsOption, &QCheckBox::toggled, this, [this](bool on) {
        runUnguarded(QStringLiteral("Form1"), QStringLiteral("styleSheetsOption_Click"),
                     [on] { SaveSetting(QStringLiteral("StyleSheets"), boolToText(on)); });
    });
}

void Form1::ApplySkin()
{
    const QString skin = m_services.programFolder + QStringLiteral("/x/o.cjs");
    if (!FileExists(skin))
        return;
    const QColor face = palette().color(QPalette::Button);
    QList<QWidget*> surfaces = {this,    Frame1,  Frame2, Option1,          Option2,
                                Option3, Option4, Check3, styleSheetsOption};
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

void Form1::loadHandCursor()
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

void Form1::Option3_Click()
{
    if (!m_providerAvailable) {
        DiagnoseProvider(false, *m_services.dialogs, *m_services.desktop, m_services.probeProvider);
        setOptionValue(Option4, true);
    }
    SaveSetting(QStringLiteral("Option3"), boolToText(Option3->isChecked()));
    SaveSetting(QStringLiteral("Option4"), boolToText(Option4->isChecked()));
}

void Form1::Option4_Click()
{
    SaveSetting(QStringLiteral("Option3"), boolToText(Option3->isChecked()));
    SaveSetting(QStringLiteral("Option4"), boolToText(Option4->isChecked()));
}

} // namespace tv
