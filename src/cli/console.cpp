#include "console.h"

#include "cli/cliarguments.h"
#include "cli/terminaltext.h"

#include <unistd.h>

namespace tv {

Console::Console(bool showStatus, FILE* stream) : m_showStatus(showStatus), m_stream(stream) {}

Console::~Console()
{
    clearStatus();
}

bool Console::isTerminal(FILE* stream)
{
    return isatty(fileno(stream)) == 1;
}

void Console::write(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_stream);
    std::fflush(m_stream);
}

void Console::message(const QString& text)
{
    clearStatus();
    write((programName() + QStringLiteral(": ") + terminalLines(text) + u'\n').toUtf8());
}

void Console::plain(const QString& text)
{
    clearStatus();
    write((terminalLines(text) + u'\n').toUtf8());
}

void Console::status(const QString& text)
{
    if (!m_showStatus)
        return;
    // Back to the start of the line, the text, and the rest of the old line erased.
    write("\r" + escapeControls(text).toUtf8() + "\x1b[K");
    m_statusShown = true;
}

void Console::clearStatus()
{
    if (!m_statusShown)
        return;
    write("\r\x1b[K");
    m_statusShown = false;
}

QString reportLine(const QString& reportText)
{
    // description CR LF location "at line " N CR CR request
    const qsizetype request = reportText.lastIndexOf(QLatin1String("\r\r"));
    const qsizetype split =
        request < 0 ? -1 : reportText.lastIndexOf(QLatin1String("\r\n"), request);
    if (split < 0) {
        QString flat = reportText;
        flat.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
        return flat.trimmed();
    }
    QString description = reportText.left(split);
    description.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    const QString where = reportText.mid(split + 2, request - split - 2).trimmed();
    return description + QStringLiteral(" (") + where + u')';
}

ConsoleReports::ConsoleReports(Console& console)
    : m_console(console), m_previous(setReportSink(this))
{
}

ConsoleReports::~ConsoleReports()
{
    setReportSink(m_previous);
}

void ConsoleReports::showErrorReport(const QString& text)
{
    m_console.message(reportLine(text));
}

} // namespace tv
