#include "resultformats.h"

#include "cli/terminaltext.h"
#include "platform/files.h"
#include "platform/yield.h"
#include "results/resultsmodel.h"

#include <QIODevice>

namespace tv {

namespace {

constexpr qsizetype kChunk = 1 << 16;

// Gathers output and hands it to the device in large pieces; stops at the first short write.
class ChunkedOutput {
public:
    explicit ChunkedOutput(QIODevice& device) : m_device(device) { m_buffer.reserve(kChunk); }

    void append(const QString& text)
    {
        if (m_failed)
            return;
        m_buffer += text.toUtf8();
        if (m_buffer.size() >= kChunk)
            flush();
    }
    bool finish(QString& error)
    {
        flush();
        if (m_failed)
            error = QStringLiteral("Cannot write the results: ") + m_error;
        return !m_failed;
    }

private:
    void flush()
    {
        if (m_failed || m_buffer.isEmpty())
            return;
        m_failed = !writeWhole(m_device, m_buffer, m_error);
        m_buffer.resize(0);
    }

    QIODevice& m_device;
    QByteArray m_buffer;
    bool m_failed = false;
    QString m_error;
};

// A count as a JSON number; the engines write plain decimals, anything else stays a string.
QString jsonCount(const QString& text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok ? QString::number(n) : jsonString(text);
}

} // namespace

QString tsvField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        default:
            if (isControlCharacter(c.unicode()))
                out += controlEscape(c.unicode());
            else
                out += c;
        }
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
        switch (u) {
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        default:
            // DEL and the C1 controls are valid JSON as they are, but not on a terminal.
            if (isControlCharacter(u))
                out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

bool writeResultRows(const ResultsModel& list, bool perSite, OutputFormat format, QIODevice& device,
                     QString& error)
{
    ChunkedOutput out(device);
    const auto separated = [&](QChar separator, QString (*field)(const QString&),
                               const QString& lineEnd) {
        const QStringList header =
            perSite ? QStringList{"site", "word", "count"} : QStringList{"word", "count"};
        out.append(header.join(separator) + lineEnd);
        for (int r = 1; r <= list.rows(); ++r) {
            Yield();
            const ResultRow& row = list.row(r);
            if (!row.checked)
                continue;
            QString line = field(row.text) + separator + field(row.sub1);
            if (perSite)
                line += separator + field(row.sub2);
            out.append(line + lineEnd);
        }
    };

    switch (format) {
    case OutputFormat::Tsv:
        separated(u'\t', tsvField, QStringLiteral("\n"));
        break;
    case OutputFormat::Csv:
        separated(u',', csvField, QStringLiteral("\r\n"));
        break;
    case OutputFormat::Json: {
        bool first = true;
        out.append(QStringLiteral("["));
        for (int r = 1; r <= list.rows(); ++r) {
            Yield();
            const ResultRow& row = list.row(r);
            if (!row.checked)
                continue;
            QString item = QString::fromLatin1(first ? "\n  {" : ",\n  {");
            if (perSite)
                item += QStringLiteral("\"site\": ") + jsonString(row.text) +
                        QStringLiteral(", \"word\": ") + jsonString(row.sub1) +
                        QStringLiteral(", \"count\": ") + jsonCount(row.sub2);
            else
                item += QStringLiteral("\"word\": ") + jsonString(row.text) +
                        QStringLiteral(", \"count\": ") + jsonCount(row.sub1);
            out.append(item + u'}');
            first = false;
        }
        out.append(first ? QStringLiteral("]\n") : QStringLiteral("\n]\n"));
        break;
    }
    case OutputFormat::Aligned:
        error = QStringLiteral("the aligned text has a writer of its own");
        return false;
    }
    return out.finish(error);
}

} // namespace tv
