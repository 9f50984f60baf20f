#include "results/savetext.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/pointer.h"
#include "platform/windowcontrols.h"
#include "platform/yield.h"
#include "results/alignedtext.h"
#include "results/resultrows.h"
#include "results/rowwalk.h"
#include "results/textoutput.h"

#include <algorithm>

namespace tv {

namespace {

// The per-row bar value. From 2000 rows on, the formula overshoots 100 slightly near the end;
// the bar's range is 0 to 100, so it is capped there.
double rowProgress(qsizetype r, qsizetype rows)
{
    const double value = double(rows / 2000 + r) / double(rows) * 100.0;
    return std::min(value, 100.0);
}

// The aligned text into `out`, its steps labelled as the guarded procedure's lines.
class AlignedWriter {
public:
    AlignedWriter(const ResultRows& list, TextOutput& out, Guard& g, const QString& name,
                  ProgressSink* progress)
        : m_list(list), m_out(out), m_g(g), m_progress(progress),
          m_writing(QStringLiteral("Writing file: ") + name)
    {
    }

    void write()
    {
        report(102, 1, m_writing);
        m_g.run(104, [&] { m_widths = columnWidths(m_list, true); });
        report(108, 10, m_writing);
        m_g.run(110, [&] { m_out.open(); });
        writeCaptions();
        report(116, 20, m_writing);
        writeRows();
        report(126, 100, QStringLiteral("Done."), false);
        m_g.run(128, [&] { m_out.commit(); });
        report(130, 0, QStringLiteral("Progress Bar"), false);
    }

private:
    // Sets the bar, with a yield before and after when `yielding`; nothing at all without one.
    void report(int line, double value, const QString& text, bool yielding = true)
    {
        if (!m_progress)
            return;
        m_g.run(line, [&] {
            if (yielding)
                yieldToWindow();
            m_progress->setProgressValue(value);
            m_progress->setProgressText(text);
            if (yielding)
                yieldToWindow();
        });
    }

    void writeCaptions()
    {
        QString line;
        for (int c = 1; c <= int(m_widths.size()); ++c) {
            yieldToWindow();
            if (c > m_list.columns())
                break;
            m_g.run(112, [&] { appendPaddedCell(line, m_list.caption(c), m_widths[c - 1]); });
        }
        m_g.run(114, [&] { m_out.writeLine(line); });
    }

    void writeRows()
    {
        RowWalk walk(m_list);
        QStringList cells;
        QString line;
        while (walk.next()) {
            if (m_g.test(118, [&] { return !walk.isChecked(); }))
                continue;
            bool whole = false;
            m_g.run(120, [&] {
                whole = walk.readCells(cells);
                fileLine(line, cells, m_widths);
            });
            if (!whole)
                break; // never a line of a row that went away half-read
            if (m_progress)
                showRow(walk.row(), walk.rows());
            m_g.run(124, [&] { m_out.writeLine(line); });
        }
    }

    void showRow(int r, int rows)
    {
        m_g.run(122, [&] {
            yieldToWindow();
            m_progress->setProgressValue(rowProgress(r, rows));
            if (r % 1000 == 0)
                m_progress->setProgressText(m_writing + QStringLiteral(" (") + QString::number(r) +
                                            u')');
            yieldToWindow();
        });
    }

    const ResultRows& m_list;
    TextOutput& m_out;
    Guard& m_g;
    ProgressSink* m_progress;
    const QString m_writing;
    QList<qsizetype> m_widths;
};

} // namespace

QString saveDialogTitle()
{
    return QStringLiteral("Save List");
}

QString saveDialogFilter()
{
    return QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
}

QString overwriteQuestion(const QString& path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

void saveAlignedResults(const ResultRows& list, const QString& path, ProgressSink* progress)
{
    Guard g(location::alignedResults());
    QString name;
    g.run(100, [&] { name = localFileName(path); });
    TextOutput file(path);
    AlignedWriter(list, file, g, name, progress).write();
}

void writeAlignedResults(const ResultRows& list, TextOutput& out)
{
    Guard g(location::alignedResults());
    AlignedWriter(list, out, g, QString(), nullptr).write();
}

void saveResultsAsText(const ResultRows& list, Dialogs& dialogs, Pointer& pointer,
                       ProgressSink* progress)
{
    Guard g(clickLocation(control::saveResultsAsText));
    QString name;
    g.run(100, [&] { name = dialogs.saveFileName(saveDialogTitle(), saveDialogFilter()); });
    if (g.test(102, [&] { return name.isEmpty(); }))
        return;
    if (g.test(104, [&] { return fileExists(name); })) {
        if (g.test(106, [&] { return !dialogs.question(overwriteQuestion(name), true); }))
            return;
    }
    g.run(108, [&] { pointer.setPointerMode(PointerHourglass); });
    g.run(110, [&] { saveAlignedResults(list, name, progress); });
    g.run(112, [&] { pointer.setPointerMode(PointerDefault); });
}

} // namespace tv
