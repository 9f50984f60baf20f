// The command line's output escapers: for any text, what reaches a terminal holds no control
// character, and each format's field reads back as the text.
#include "cli/terminaltext.h"
#include "fetch/addressdisplay.h"
#include "fuzztarget.h"
#include "results/resultformats.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

bool hasControl(QStringView text, QStringView allowed = {})
{
    for (const QChar c : text) {
        if (tv::isControlCharacter(c.unicode()) && !allowed.contains(c))
            return true;
    }
    return false;
}

// The tsv field read back: \t \n \r \\ and \xHH.
QString tsvUnescape(const QString& field)
{
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != u'\\' || i + 1 >= field.size()) {
            out += field[i];
            continue;
        }
        const QChar next = field[++i];
        if (next == u't')
            out += u'\t';
        else if (next == u'n')
            out += u'\n';
        else if (next == u'r')
            out += u'\r';
        else if (next == u'x' && i + 2 < field.size()) {
            out += QChar(char16_t(field.mid(i + 1, 2).toUShort(nullptr, 16)));
            i += 2;
        } else
            out += next;
    }
    return out;
}

// An RFC 4180 field read back.
QString csvUnquote(const QString& field)
{
    if (!field.startsWith(u'"'))
        return field;
    QString inner = field.mid(1, field.size() - 2);
    return inner.replace(QLatin1String("\"\""), QLatin1String("\""));
}

} // namespace

TV_FUZZ_TARGET(escapers)
{
    using namespace tv;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const QString escaped = escapeControls(text);
    fuzz::check(!hasControl(escaped), "escaped text has no control character");
    const QString lines = terminalLines(text);
    fuzz::check(!hasControl(lines, u"\n\t"), "terminal lines keep only line feeds and tabs");
    fuzz::check(lines.count(u'\n') == text.count(u'\n'), "terminal lines keep the line ends");

    const QString tsv = tsvField(text);
    fuzz::check(!hasControl(tsv), "a tsv field has no control character");
    fuzz::check(tsvUnescape(tsv) == text, "a tsv field reads back");
    fuzz::check(csvUnquote(csvField(text)) == text, "a csv field reads back");
    const QString json = jsonString(text);
    fuzz::check(!hasControl(json), "a json string has no control character");
    const QJsonDocument doc = QJsonDocument::fromJson((u'[' + json + u']').toUtf8());
    fuzz::check(doc.isArray() && doc.array().at(0).toString() == text, "a json string reads back");

    const QString shown = displayAddress(text);
    fuzz::check(displayAddress(shown) == shown, "a shown address shows as itself");
    fuzz::check(shown.size() <= text.size() + 3, "only a password is replaced");

    for (const QString& out : {escaped, lines, tsv, json, shown})
        fuzz::check(fuzz::isWellFormedUtf8(out.toUtf8()), "output is UTF-8");
    return 0;
}
