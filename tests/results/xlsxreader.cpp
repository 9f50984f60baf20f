#include "xlsxreader.h"

#include <QFile>
#include <QList>
#include <QXmlStreamReader>
#include <zlib.h>

namespace tv::test {

namespace {

quint32 le32(const QByteArray& data, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const QByteArray& data, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

QByteArray inflateRaw(const QByteArray& compressed, qsizetype size, QString* error)
{
    QByteArray out(size, Qt::Uninitialized);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        *error = QStringLiteral("inflateInit2 failed");
        return {};
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    if (result != Z_STREAM_END || stream.total_out != uLong(size)) {
        *error = QStringLiteral("inflate failed: %1").arg(result);
        return {};
    }
    return out;
}

// "B12" -> (12, 2)
QPair<int, int> cellPosition(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    while (i < reference.size() && reference[i].isLetter()) {
        column = column * 26 + (reference[i].unicode() - 'A' + 1);
        ++i;
    }
    return {reference.mid(i).toInt(), column};
}

// Cell text as a spreadsheet reads it: "_xHHHH_" stands for the character HHHH.
QString unescape(const QString& raw)
{
    QString text;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'_' && i + 6 < raw.size() && raw[i + 1] == u'x' && raw[i + 6] == u'_') {
            bool ok = false;
            const ushort code = raw.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                text += QChar(code);
                i += 6;
                continue;
            }
        }
        text += raw[i];
    }
    return text;
}

QList<QString> sharedStrings(const QByteArray& xml)
{
    QList<QString> strings;
    QXmlStreamReader reader(xml);
    QString current;
    bool inItem = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"si") {
            inItem = true;
            current.clear();
        } else if (reader.isStartElement() && reader.name() == u"t" && inItem) {
            current += reader.readElementText();
        } else if (reader.isEndElement() && reader.name() == u"si") {
            strings << unescape(current);
            inItem = false;
        }
    }
    return strings;
}

} // namespace

QByteArray readZipEntry(const QString& zipPath, const QString& entryName, QString* error)
{
    QFile file(zipPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    const QByteArray zip = file.readAll();
    // The end-of-central-directory record sits in the last 64 KiB + 22 bytes.
    qsizetype end = -1;
    for (qsizetype at = zip.size() - 22; at >= 0 && at >= zip.size() - 65557; --at) {
        if (le32(zip, at) == 0x06054b50) {
            end = at;
            break;
        }
    }
    if (end < 0) {
        *error = QStringLiteral("not a zip file");
        return {};
    }
    const int count = le16(zip, end + 10);
    qsizetype at = le32(zip, end + 16);
    for (int n = 0; n < count && at + 46 <= zip.size(); ++n) {
        if (le32(zip, at) != 0x02014b50)
            break;
        const int method = le16(zip, at + 10);
        const qsizetype compressedSize = le32(zip, at + 20);
        const qsizetype size = le32(zip, at + 24);
        const int nameLength = le16(zip, at + 28);
        const int extraLength = le16(zip, at + 30);
        const int commentLength = le16(zip, at + 32);
        const qsizetype local = le32(zip, at + 42);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        at += 46 + nameLength + extraLength + commentLength;
        if (name != entryName)
            continue;
        const qsizetype data = local + 30 + le16(zip, local + 26) + le16(zip, local + 28);
        const QByteArray compressed = zip.mid(data, compressedSize);
        if (method == 0)
            return compressed;
        if (method == 8)
            return inflateRaw(compressed, size, error);
        *error = QStringLiteral("compression method %1").arg(method);
        return {};
    }
    *error = QStringLiteral("no entry ") + entryName;
    return {};
}

SheetContents readFirstSheet(const QString& xlsxPath, QString* error)
{
    SheetContents contents;
    QString ignored;
    // A workbook without any text cell has no shared strings part.
    const QList<QString> strings =
        sharedStrings(readZipEntry(xlsxPath, QStringLiteral("xl/sharedStrings.xml"), &ignored));
    const QByteArray sheet =
        readZipEntry(xlsxPath, QStringLiteral("xl/worksheets/sheet1.xml"), error);
    if (sheet.isEmpty())
        return contents;

    QXmlStreamReader reader(sheet);
    QPair<int, int> position;
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const auto attributes = reader.attributes();
        if (reader.name() == u"col") {
            const int min = attributes.value(QLatin1String("min")).toInt();
            const int max = attributes.value(QLatin1String("max")).toInt();
            for (int c = min; c <= max; ++c)
                contents.widths[c] = attributes.value(QLatin1String("width")).toDouble();
        } else if (reader.name() == u"c") {
            position = cellPosition(attributes.value(QLatin1String("r")));
            type = attributes.value(QLatin1String("t")).toString();
            contents.types[position] = type;
            contents.cells[position] = QString();
        } else if (reader.name() == u"v") {
            const QString value = reader.readElementText();
            contents.cells[position] = type == u"s" ? strings.value(value.toInt()) : value;
        } else if (reader.name() == u"t") {
            contents.cells[position] += unescape(reader.readElementText()); // an inline string
        }
    }
    if (reader.hasError())
        *error = reader.errorString();
    return contents;
}

} // namespace tv::test
