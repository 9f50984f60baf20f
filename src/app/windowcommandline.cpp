#include "windowcommandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace tv {

namespace {

struct WindowOptions {
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Displays version information.")};
    QCommandLineOption screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to <file> once it shows, then quit."),
        QStringLiteral("file")};
    QCommandLineOption maximized{QStringLiteral("maximized"),
                                 QStringLiteral("Open the window maximized.")};
};

void describe(QCommandLineParser& parser, const WindowOptions& options)
{
    parser.setApplicationDescription(
        QStringLiteral("Counts how often each word occurs on a set of web pages, in a window.\n"
                       "Each FILE is a site list, one web address per line, added to the site "
                       "list as \"Load From File\" adds it."));
    parser.addHelpOption();
    parser.addOption(options.version);
    parser.addOption(options.screenshot);
    parser.addOption(options.maximized);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Site lists to load when the window opens."),
                                 QStringLiteral("[FILE...]"));
}

void print(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

QString windowVersionText()
{
    return QStringLiteral("tallyvane ") + QStringLiteral(TV_VERSION) + u'\n';
}

std::optional<int> answerWithoutWindow(int argc, char** argv)
{
    // Only these exact words lead here: Qt's own window-system options (-reverse, -platform)
    // are not known yet and must not be read as letters of short options.
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--")
            break;
        asked = asked || arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version";
    }
    if (!asked)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    WindowOptions options;
    describe(parser, options);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")))
        print(parser.helpText());
    else if (parser.isSet(options.version))
        print(windowVersionText());
    else
        return std::nullopt; // the word was the value of another option
    return 0;
}

WindowCommandLine readWindowCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    WindowOptions options;
    describe(parser, options);
    parser.process(app);
    if (parser.isSet(options.version)) {
        print(windowVersionText());
        std::exit(0);
    }
    WindowCommandLine line;
    line.screenshotFile = parser.value(options.screenshot);
    line.maximized = parser.isSet(options.maximized);
    line.siteFiles = parser.positionalArguments();
    return line;
}

} // namespace tv
