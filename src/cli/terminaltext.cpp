#include "terminaltext.h"

#include "results/resultsmodel.h"

namespace tv {

namespace {

QString escaped(QStringView text, bool keepLines)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!isControlCharacter(u) || (keepLines && (u == u'\n' || u == u'\t'))) {
            out += c;
            continue;
        }
        switch (u) {
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += controlEscape(u);
        }
    }
    return out;
}

} // namespace

QString controlEscape(char16_t c)
{
    return QStringLiteral("\\x%1").arg(unsigned(c), 2, 16, QLatin1Char('0'));
}

bool hasControlCharacters(QStringView text)
{
    for (const QChar c : text) {
        if (isControlCharacter(c.unicode()))
            return true;
    }
    return false;
}

QString escapeControls(QStringView text)
{
    return hasControlCharacters(text) ? escaped(text, false) : text.toString();
}

QString terminalLines(QStringView text)
{
    return hasControlCharacters(text) ? escaped(text, true) : text.toString();
}

std::unique_ptr<ResultsModel> escapedForTerminal(const ResultsModel& list)
{
    bool needed = false;
    for (int c = 1; c <= list.columns() && !needed; ++c)
        needed = hasControlCharacters(list.caption(c));
    for (int r = 1; r <= list.rows() && !needed; ++r) {
        const ResultRow& row = list.row(r);
        needed = hasControlCharacters(row.text) || hasControlCharacters(row.sub1) ||
                 hasControlCharacters(row.sub2);
    }
    if (!needed)
        return nullptr;
    auto copy = std::make_unique<ResultsModel>();
    for (int c = 1; c <= list.columns(); ++c)
        copy->addColumn(escapeControls(list.caption(c)), list.width(c));
    for (int r = 1; r <= list.rows(); ++r) {
        const ResultRow& row = list.row(r);
        copy->append(escapeControls(row.text), escapeControls(row.sub1), escapeControls(row.sub2));
        if (!row.checked)
            copy->setChecked(r, false);
    }
    return copy;
}

} // namespace tv
