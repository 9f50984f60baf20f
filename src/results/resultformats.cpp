#include "results/resultformats.h"

#include "platform/failure.h"
#include "results/controlescape.h"
#include "results/resultrows.h"
#include "results/rowwalk.h"
#include "results/textoutput.h"

namespace tv {

namespace {

// The escape of a character that would break a line of fields: tab, line feed, carriage return
// and backslash; null for any other.
const char* lineEscape(char16_t c)
{
    switch (c) {
    case u'\t':
        return "\\t";
    case u'\n':
        return "\\n";
    case u'\r':
        return "\\r";
    case u'\\':
        return "\\\\";
    default:
        return nullptr;
    }
}

} // namespace

QString tsvField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (const char* escape = lineEscape(c.unicode()))
            out += QLatin1String(escape);
        else if (isControlCharacter(c.unicode()))
            out += controlEscape(c.unicode());
        else
            out += c;
    }
    return out;
}

QString csvField(const QString& text)
{
    const bool quote =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!quote)
        return text;
    QString out = text;
    out.replace(u'"', QLatin1String("\"\""));
    return u'"' + out + u'"';
}

QString jsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"')
            out += QLatin1String("\\\"");
        else if (const char* escape = lineEscape(u))
            out += QLatin1String(escape);
        // DEL and the C1 controls are valid JSON as they are, but not on a terminal.
        else if (u < 0x20 || isControlCharacter(u))
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    out += u'"';
    return out;
}

namespace {

// One line of separated values per row, after a header line of the column names.
void writeSeparated(const ResultRows& list, bool perSite, const QStringList& extra, QChar separator,
                    QString (*field)(const QString&), const QString& lineEnd, TextOutput& out)
{
    const QStringList header =
        (perSite ? QStringList{"site", "word", "count"} : QStringList{"word", "count"}) + extra;
    out.write(header.join(separator) + lineEnd);
    RowWalk walk(list);
    QStringList cells;
    QString line;
    while (walk.next()) {
        if (!walk.isChecked())
            continue;
        if (!walk.readCells(cells))
            break;
        line.resize(0);
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (c > 0)
                line += separator;
            line += field(cells[c]);
        }
        out.write(line + lineEnd);
    }
}

// An array of {"site", "word", "count"} objects, one per row, with the extra columns' numbers
// after the count.
void writeJson(const ResultRows& list, bool perSite, const QStringList& extra, TextOutput& out)
{
    out.write(u"[");
    RowWalk walk(list);
    QStringList cells;
    bool first = true;
    while (walk.next()) {
        if (!walk.isChecked())
            continue;
        const int countColumn = perSite ? 2 : 1;
        if (!walk.readCells(cells) || cells.size() < countColumn + 1 + extra.size())
            break;
        QString item = QString::fromLatin1(first ? "\n  {" : ",\n  {");
        if (perSite)
            item += QStringLiteral("\"site\": ") + jsonString(cells[0]) + QStringLiteral(", ");
        item += QStringLiteral("\"word\": ") + jsonString(cells[countColumn - 1]) +
                QStringLiteral(", \"count\": ") + cells[countColumn];
        for (qsizetype e = 0; e < extra.size(); ++e)
            item += QStringLiteral(", ") + jsonString(extra[e]) + QStringLiteral(": ") +
                    cells[countColumn + 1 + e];
        item += u'}';
        out.write(item);
        first = false;
    }
    out.write(first ? u"]\n" : u"\n]\n");
}

} // namespace

void writeResultRows(const ResultRows& list, bool perSite, OutputFormat format, TextOutput& out,
                     const QStringList& extra)
{
    out.open();
    switch (format) {
    case OutputFormat::Tsv:
        writeSeparated(list, perSite, extra, u'\t', tsvField, QStringLiteral("\n"), out);
        break;
    case OutputFormat::Csv:
        writeSeparated(list, perSite, extra, u',', csvField, QStringLiteral("\r\n"), out);
        break;
    case OutputFormat::Json:
        writeJson(list, perSite, extra, out);
        break;
    case OutputFormat::Aligned:
        throw Failure(QStringLiteral("the aligned text has a writer of its own"));
    }
    out.commit();
}

} // namespace tv
