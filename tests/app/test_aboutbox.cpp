// The About command: the version the window's caption does not show, from the context menu
// and F1, in an information box.
#include "app/aboutbox.h"
#include "support/recorders.h"
#include "support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWidget>

using namespace tv;

class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void showsVersion();
};

void TestAboutBox::showsVersion()
{
    QWidget window;
    test::ScriptedDialogs dialogs;
    addAboutCommand(window, dialogs);

    QCOMPARE(window.contextMenuPolicy(), Qt::ActionsContextMenu);
    auto* about = window.findChild<QAction*>(QStringLiteral("aboutAction"));
    QVERIFY(about);
    QVERIFY(window.actions().contains(about));
    QCOMPARE(about->text(), QStringLiteral("About Tallyvane"));
    QCOMPARE(about->shortcut(), QKeySequence(Qt::Key_F1));
    QVERIFY(dialogs.informations.isEmpty());

    about->trigger();

    QCOMPARE(dialogs.informations.size(), 1);
    QVERIFY(dialogs.informations[0].startsWith(QStringLiteral("Tallyvane " TV_VERSION "\n")));
    QVERIFY(dialogs.unexpected.isEmpty());
}

TV_TEST_MAIN(TestAboutBox, QApplication)
#include "test_aboutbox.moc"
