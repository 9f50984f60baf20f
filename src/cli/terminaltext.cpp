#include "terminaltext.h"

#include "results/resultrows.h"

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

namespace {

class EscapedRows : public ResultRows {
public:
    explicit EscapedRows(const ResultRows& rows) : m_rows(rows) {}
    int columns() const override { return m_rows.columns(); }
    QString caption(int column) const override { return escapeControls(m_rows.caption(column)); }
    int rows() const override { return m_rows.rows(); }
    QString cell(int row, int column) const override
    {
        return escapeControls(m_rows.cell(row, column));
    }
    bool isChecked(int row) const override { return m_rows.isChecked(row); }

private:
    const ResultRows& m_rows;
};

} // namespace

std::unique_ptr<ResultRows> escapedForTerminal(const ResultRows& rows)
{
    bool needed = false;
    for (int c = 1; c <= rows.columns() && !needed; ++c)
        needed = hasControlCharacters(rows.caption(c));
    for (int r = 1; r <= rows.rows() && !needed; ++r)
        for (int c = 1; c <= rows.columns() && !needed; ++c)
            needed = hasControlCharacters(rows.cell(r, c));
    if (!needed)
        return nullptr;
    return std::make_unique<EscapedRows>(rows);
}

} // namespace tv
