// tallyvane-count: the word count of the window, from the command line, without a display.
#include "cli/cliarguments.h"
#include "cli/countcommand.h"
#include "cli/servercommand.h"
#include "cli/terminaltext.h"
#include "pgstore/serveraddress.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(tv::programName());
    QCoreApplication::setApplicationVersion(QStringLiteral(TV_VERSION));

    const tv::ParsedArguments parsed = tv::parseArguments(QCoreApplication::arguments().mid(1));
    // Read: from here on the process list shows stars for a server's password.
    tv::hidePasswordsInArguments(argc, argv);
    if (!parsed.error.isEmpty()) {
        print(stderr, tv::terminalLines(tv::programName() + QStringLiteral(": ") + parsed.error +
                                        u'\n' + tv::usageText()));
        return tv::ExitUsage;
    }
    if (parsed.options.help) {
        print(stdout, tv::helpText());
        return tv::ExitAllRead;
    }
    if (parsed.options.version) {
        print(stdout, tv::versionText());
        return tv::ExitAllRead;
    }

    QFile output;
    if (!output.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered,
                     QFileDevice::DontCloseHandle)) {
        print(stderr, tv::programName() + QStringLiteral(": cannot write to standard output\n"));
        return tv::ExitUsage;
    }
    // The run happens inside the event loop, as a command of the window does: downloads and
    // objects deleted later are then handled as they are there.
    int status = tv::ExitNothingCounted;
    QTimer::singleShot(0, &app, [&] {
        status = tv::countsOnServer(parsed.options) ? tv::runServerCommand(parsed.options, output)
                                                    : tv::runCountCommand(parsed.options, output);
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    return status;
}
