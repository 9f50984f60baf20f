// The install tree, staged with DESTDIR as a package would stage it: where each file lands, the
// validators of the desktop entry and metadata, one version everywhere, man pages and shell
// completion that follow --help, and both programs run from the staged (and a moved) prefix.
#include "programrun.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace tv;
using namespace tv::test;

namespace {

const QString kAppId = QStringLiteral(TV_APP_ID);
const QString kVersion = QStringLiteral(TV_VERSION);

// Every file the install puts under the prefix, and for icons their size in pixels (0: not a
// picture).
QList<QPair<QString, int>> expectedFiles()
{
    return {
        {QStringLiteral("bin/tallyvane"), 0},
        {QStringLiteral("bin/tallyvane-count"), 0},
        {QStringLiteral("share/tallyvane/dbBlank.mdb"), 0},
        {QStringLiteral("share/tallyvane/HAND-M.CUR"), 0},
        {QStringLiteral("share/applications/%1.desktop").arg(kAppId), 0},
        {QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId), 0},
        {QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(kAppId), 48},
        {QStringLiteral("share/icons/hicolor/128x128/apps/%1.png").arg(kAppId), 128},
        {QStringLiteral("share/icons/hicolor/256x256/apps/%1.png").arg(kAppId), 256},
        {QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId), 0},
        {QStringLiteral("share/man/man1/tallyvane.1.gz"), 0},
        {QStringLiteral("share/man/man1/tallyvane-count.1.gz"), 0},
        {QStringLiteral("share/bash-completion/completions/tallyvane-count"), 0},
        {QStringLiteral("share/doc/tallyvane/copyright"), 0},
        {QStringLiteral("share/doc/tallyvane/changelog.gz"), 0},
    };
}

QString ungzip(const QString& path)
{
    const ProgramOutcome unpacked = runProgram(QStringLiteral("gzip"), {"-dc", path});
    return unpacked.exitCode == 0 ? QString::fromUtf8(unpacked.out) : QString();
}

// The options in a --help text: the words starting with a dash in the option column of each
// line that starts with one ("-q, --quiet", "--engine db|text", "--screenshot <file>").
QStringList optionsInHelp(const QString& help)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[A-Za-z][\\w-]*"));
    QStringList options;
    for (const QString& line : help.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!line.startsWith(u' ') || !trimmed.startsWith(u'-'))
            continue;
        const QString column = trimmed.left(trimmed.indexOf(QStringLiteral("  ")));
        for (const QRegularExpressionMatch& m : option.globalMatch(column))
            options << m.captured();
    }
    return options;
}

void copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QVERIFY(QFile::copy(file, target));
    }
}

int distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

// Pixels of a strong red, whatever shading the style adds.
int reddishPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qRed(p) > 200 && qGreen(p) < 140 && qBlue(p) < 140;
        }
    }
    return n;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installsEachFile_data();
    void installsEachFile();
    void installsNothingElse();
    void validatorsAccept_data();
    void validatorsAccept();
    void versionEverywhere_data();
    void versionEverywhere();
    void manPageListsEveryOption_data();
    void manPageListsEveryOption();
    void completionOffersEveryOption();
    void completionValuesAreAccepted_data();
    void completionValuesAreAccepted();
    void installedCountReadsLocalPage();
    void windowStartsFromInstall_data();
    void windowStartsFromInstall();

private:
    QString staged(const QString& path) const { return m_prefix + u'/' + path; }
    QString helpOf(const QString& program) const;
    QStringList complete(const QStringList& words) const;

    QTemporaryDir m_stage;
    QString m_prefix;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_stage.isValid());
    QProcessEnvironment env;
    env.insert(QStringLiteral("DESTDIR"), m_stage.path());
    const ProgramOutcome install =
        runProgram(QStringLiteral(TV_CMAKE),
                   {"--install", QStringLiteral(TV_BUILD_DIR), "--prefix", "/usr"}, env);
    QVERIFY2(install.finished && install.exitCode == 0, install.err.constData());
    m_prefix = m_stage.path() + QStringLiteral("/usr");
}

void TestInstall::installsEachFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("pixels");
    for (const auto& [path, pixels] : expectedFiles())
        QTest::newRow(qPrintable(path)) << path << pixels;
}

void TestInstall::installsEachFile()
{
    QFETCH(QString, path);
    QFETCH(int, pixels);
    const QFileInfo info(staged(path));
    QVERIFY2(info.isFile() && info.size() > 0, qPrintable(info.filePath()));
    QCOMPARE(info.isExecutable(), path.startsWith(QStringLiteral("bin/")));
    if (pixels > 0)
        QCOMPARE(QImage(info.filePath()).size(), QSize(pixels, pixels));
}

void TestInstall::installsNothingElse()
{
    QStringList expected;
    for (const auto& file : expectedFiles())
        expected << file.first;
    QStringList installed;
    QDirIterator it(m_stage.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        installed << it.next().mid(m_prefix.size() + 1);
    installed.sort();
    expected.sort();
    QCOMPARE(installed, expected);
}

void TestInstall::validatorsAccept_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");

    QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList{}
                                   << QStringLiteral("share/applications/%1.desktop").arg(kAppId);
    QTest::newRow("AppStream metadata")
        << "appstreamcli" << QStringList{"validate", "--no-net", "--pedantic"}
        << QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId);
}

void TestInstall::validatorsAccept()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    const ProgramOutcome check = runProgram(program, arguments << staged(file));
    QVERIFY2(check.finished, qPrintable(program + QStringLiteral(" did not run")));
    QVERIFY2(check.exitCode == 0, check.out + check.err);
    // Hints and pedantic remarks pass the exit status; they are findings all the same.
    QVERIFY2(!check.out.contains("hint:") && !check.out.contains("P: "), check.out.constData());
}

void TestInstall::versionEverywhere_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("expected");

    QTest::newRow("tallyvane --version, without a display")
        << "bin/tallyvane" << QStringLiteral("tallyvane %1\n").arg(kVersion);
    QTest::newRow("tallyvane-count --version")
        << "bin/tallyvane-count" << QStringLiteral("tallyvane-count %1\n").arg(kVersion);
    QTest::newRow("man tallyvane")
        << "share/man/man1/tallyvane.1.gz" << QStringLiteral("\"tallyvane %1\"").arg(kVersion);
    QTest::newRow("man tallyvane-count") << "share/man/man1/tallyvane-count.1.gz"
                                         << QStringLiteral("\"tallyvane-count %1\"").arg(kVersion);
    QTest::newRow("metadata") << QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId)
                              << QStringLiteral("<release version=\"%1\"").arg(kVersion);
    QTest::newRow("package change log")
        << "share/doc/tallyvane/changelog.gz" << QStringLiteral("tallyvane (%1) ").arg(kVersion);
}

void TestInstall::versionEverywhere()
{
    QFETCH(QString, where);
    QFETCH(QString, expected);
    QString text;
    if (where.startsWith(QStringLiteral("bin/"))) {
        const ProgramOutcome run = runProgram(staged(where), {"--version"});
        QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
        text = QString::fromUtf8(run.out);
        QCOMPARE(text, expected);
    } else if (where.endsWith(QStringLiteral(".gz"))) {
        text = ungzip(staged(where));
    } else {
        text = QString::fromUtf8(readFile(staged(where)));
    }
    QVERIFY2(text.contains(expected), qPrintable(text.left(400)));
}

QString TestInstall::helpOf(const QString& program) const
{
    const ProgramOutcome run = runProgram(staged(QStringLiteral("bin/") + program), {"--help"});
    return run.exitCode == 0 ? QString::fromUtf8(run.out) : QString();
}

void TestInstall::manPageListsEveryOption_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("atLeast");
    // Where --help groups its options under headings of its own, the page keeps them.
    QTest::addColumn<QStringList>("sections");
    const QStringList common{".SH SYNOPSIS", ".SH \"EXIT STATUS\"", ".SH FILES", ".SH EXAMPLES"};
    QTest::newRow("tallyvane") << "tallyvane" << 4 << common + QStringList{".SH OPTIONS"};
    QTest::newRow("tallyvane-count")
        << "tallyvane-count" << 12
        << common + QStringList{".SS \"Sites:\"", ".SS \"Counting:\"", ".SS \"Output:\""};
}

void TestInstall::manPageListsEveryOption()
{
    QFETCH(QString, program);
    QFETCH(int, atLeast);
    QFETCH(QStringList, sections);
    const QStringList options = optionsInHelp(helpOf(program));
    QVERIFY2(options.size() >= atLeast, qPrintable(options.join(u' ')));
    const QString page = ungzip(staged(QStringLiteral("share/man/man1/%1.1.gz").arg(program)));
    for (const QString& option : options) {
        QString roff = option;
        roff.replace(u'-', QStringLiteral("\\-"));
        QVERIFY2(page.contains(roff), qPrintable(option + QStringLiteral(" is not in the page")));
    }
    for (const QString& section : sections)
        QVERIFY2(page.contains(section), qPrintable(section));
}

QStringList TestInstall::complete(const QStringList& words) const
{
    // The completion function runs as bash runs it on Tab, with the last word being typed.
    const QString script = QStringLiteral(
        "source \"$1\" && source \"$2\" || exit 9; shift 2; COMP_WORDS=(\"$@\"); "
        "COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; COMP_POINT=${#COMP_LINE}; "
        "_tallyvane_count \"$1\" \"${COMP_WORDS[COMP_CWORD]}\" \"${COMP_WORDS[COMP_CWORD-1]}\"; "
        "printf '%s\\n' \"${COMPREPLY[@]}\"");
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"),
               staged(QStringLiteral("bin:")) + qEnvironmentVariable("PATH"));
    const ProgramOutcome run = runProgram(
        QStringLiteral("bash"),
        QStringList{"-c", script, "bash", QStringLiteral(TV_BASH_COMPLETION),
                    staged(QStringLiteral("share/bash-completion/completions/tallyvane-count"))} +
            words,
        env);
    if (run.exitCode != 0)
        qWarning("completion failed: %s", run.err.constData());
    return QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
}

void TestInstall::completionOffersEveryOption()
{
    const QStringList offered = complete({"tallyvane-count", "--"});
    const QStringList options = optionsInHelp(helpOf(QStringLiteral("tallyvane-count")));
    int longOptions = 0;
    for (const QString& option : options) {
        if (!option.startsWith(QStringLiteral("--")))
            continue;
        ++longOptions;
        QVERIFY2(offered.contains(option), qPrintable(option + QStringLiteral(" is not offered")));
    }
    QVERIFY(longOptions >= 10);
    QCOMPARE(complete({"tallyvane-count", "--per"}), QStringList{"--per-site"});
}

void TestInstall::completionValuesAreAccepted_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("values");
    QTest::newRow("engine") << "--engine" << 2;
    QTest::newRow("format") << "--format" << 4;
}

void TestInstall::completionValuesAreAccepted()
{
    QFETCH(QString, option);
    QFETCH(int, values);
    const QStringList offered = complete({"tallyvane-count", option, ""});
    QCOMPARE(offered.size(), values);
    const QString program = staged(QStringLiteral("bin/tallyvane-count"));
    for (const QString& value : offered) {
        const ProgramOutcome run = runProgram(program, {option, value, "--help"});
        QVERIFY2(run.exitCode == 0, qPrintable(option + u' ' + value + u' ' + run.err));
    }
    // The program does refuse a value it does not know, so the check above means something.
    QCOMPARE(runProgram(program, {option, "nosuch", "--help"}).exitCode, 2);
}

void TestInstall::installedCountReadsLocalPage()
{
    HttpServer server;
    QVERIFY(server.isListening());
    server.serve(QStringLiteral("/"), HttpFixture::html("<p>Tally vane, tally!</p>"));
    const ProgramOutcome run = runProgram(staged(QStringLiteral("bin/tallyvane-count")),
                                          {"--quiet", "--format", "json", server.url("/")});
    QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
    const QJsonArray rows = QJsonDocument::fromJson(run.out).array();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].toObject().value(QStringLiteral("word")).toString(), QStringLiteral("vane"));
    QCOMPARE(rows[1].toObject().value(QStringLiteral("word")).toString(), QStringLiteral("tally"));
    QCOMPARE(rows[1].toObject().value(QStringLiteral("count")).toInteger(), 2);
}

void TestInstall::windowStartsFromInstall_data()
{
    QTest::addColumn<bool>("moved");
    QTest::newRow("staged prefix") << false;
    QTest::newRow("prefix moved elsewhere, with a skin") << true;
}

void TestInstall::windowStartsFromInstall()
{
    QFETCH(bool, moved);
    QTemporaryDir scratch;
    QString prefix = m_prefix;
    if (moved) {
        prefix = scratch.path() + QStringLiteral("/elsewhere");
        copyTree(m_prefix, prefix);
        if (QTest::currentTestFailed())
            return;
        writeFile(prefix + QStringLiteral("/share/tallyvane/x/o.cjs"),
                  "QPushButton { background-color: #ff0000; }");
    }
    const QString data = scratch.path() + QStringLiteral("/data");
    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    const QString picture = scratch.path() + QStringLiteral("/window.png");
    const ProgramOutcome run = runProgram(prefix + QStringLiteral("/bin/tallyvane"),
                                          {"--screenshot", picture}, env, 60000);
    QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());

    const QImage image(picture);
    // The controls' area as the layout has it, with the menu bar above it.
    QCOMPARE(image.width(), 8040 / 15);
    QVERIFY2(image.height() > 10035 / 15 && image.height() < 10035 / 15 + 60,
             qPrintable(QString::number(image.height())));
    QVERIFY2(distinctColours(image) > 16, "the picture of the window is empty");
    const int red = reddishPixels(image);
    QVERIFY2(moved ? red > 1000 : red == 0, qPrintable(QString::number(red)));
    // The working database was copied from the template of this prefix.
    QCOMPARE(readFile(data + QStringLiteral("/Quenrith/Tallyvane/dbData.mdb")),
             readFile(prefix + QStringLiteral("/share/tallyvane/dbBlank.mdb")));
}

TV_TEST_MAIN(TestInstall, QCoreApplication)
#include "test_install.moc"
