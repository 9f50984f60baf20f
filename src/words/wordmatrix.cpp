#include "wordmatrix.h"

#include <QHash>
#include <QIODevice>

namespace tv {

namespace {

constexpr qsizetype kChunk = 1 << 16;

void appendCsvField(QString& line, QStringView text)
{
    const bool quote =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!quote) {
        line += text;
        return;
    }
    line += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

void appendTsvField(QString& line, QStringView text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            line += QLatin1String("\\t");
            break;
        case u'\n':
            line += QLatin1String("\\n");
            break;
        case u'\r':
            line += QLatin1String("\\r");
            break;
        case u'\\':
            line += QLatin1String("\\\\");
            break;
        default:
            line += c;
        }
    }
}

} // namespace

bool writeWordMatrix(QIODevice& device, const WordRows& words, const std::vector<NamedCount>& pages,
                     MatrixFormat format, QString& error)
{
    const bool csv = format == MatrixFormat::Csv;
    const QChar separator = csv ? u',' : u'\t';
    const QString lineEnd = csv ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const auto field = csv ? appendCsvField : appendTsvField;

    std::vector<QHash<QString, qint64>> counts(pages.size());
    for (size_t p = 0; p < pages.size(); ++p) {
        for (const WordRow& row : pages[p].rows)
            counts[p][row.word] += row.count;
    }

    QString text;
    field(text, u"word");
    for (const NamedCount& page : pages) {
        text += separator;
        field(text, page.name);
    }
    text += lineEnd;

    QByteArray bytes;
    const auto flush = [&] {
        bytes = text.toUtf8();
        text.resize(0);
        return device.write(bytes) == bytes.size();
    };
    for (const WordRow& row : words) {
        field(text, row.word);
        for (const QHash<QString, qint64>& page : counts) {
            text += separator;
            text += QString::number(page.value(row.word));
        }
        text += lineEnd;
        if (text.size() >= kChunk && !flush()) {
            error = QStringLiteral("Cannot write the word by page table: ") + device.errorString();
            return false;
        }
    }
    if (!flush()) {
        error = QStringLiteral("Cannot write the word by page table: ") + device.errorString();
        return false;
    }
    return true;
}

} // namespace tv
