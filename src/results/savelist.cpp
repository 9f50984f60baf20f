#include "savelist.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/pointer.h"
#include "platform/yield.h"
#include "results/resultsmodel.h"
#include "results/textfilewriter.h"

#include <QIODevice>
#include <QList>
#include <algorithm>

namespace tv {

namespace {

// The text, spaces up to the column's width, then TAB.
void appendCell(QString& line, const QString& text, qsizetype width)
{
    line += text;
    if (text.size() < width)
        line.resize(line.size() + (width - text.size()), u' ');
    line += u'\t';
}

// The per-row bar value. From 2000 rows on, the formula overshoots 100 slightly near the end;
// the bar's range is 0 to 100, so it is capped there.
double rowProgress(qsizetype r, qsizetype rows)
{
    const double value = double(rows / 2000 + r) / double(rows) * 100.0;
    return std::min(value, 100.0);
}

// The lines of the text, written through `out` (a file, or an open device): shared by the
// file and the device so that both get the same bytes.
template <class Output>
void writeSpaced(const ResultsModel& list, Output& out, Guard& g, const QString& name,
                 ProgressSink* progress)
{
    // Yield, set the bar, yield; nothing at all without a bar.
    auto report = [&](int line, double value, const QString& text) {
        if (!progress)
            return;
        g.run(line, [&] {
            Yield();
            progress->setProgressValue(value);
            progress->setProgressText(text);
            Yield();
        });
    };

    const QString writing = QStringLiteral("Writing file: ") + name;
    report(102, 1, writing);

    const int columns = list.columns();
    const int rows = list.rows();
    // Other commands run while this one yields, and "Clear Results" or a layout click may
    // empty the list: after each yield the loops stop at what is left instead of reporting
    // every row that is gone.
    auto hasRow = [&](int r) { return r <= list.rows(); };
    auto hasColumn = [&](int c) { return c <= list.columns(); };
    QList<qsizetype> widths(columns, 0);
    for (int c = 1; c <= columns && hasColumn(c); ++c) {
        qsizetype w = 0;
        g.run(104, [&] { w = std::max(w, list.caption(c).size()); });
        for (int r = 1; r <= rows; ++r) {
            Yield();
            if (!hasRow(r) || !hasColumn(c))
                break;
            g.run(106, [&] { w = std::max(w, list.cell(r, c).size()); });
        }
        widths[c - 1] = w;
    }
    report(108, 10, writing);

    g.run(110, [&] { out.open(); });

    QString line;
    for (int c = 1; c <= columns; ++c) {
        Yield();
        if (!hasColumn(c))
            break;
        g.run(112, [&] { appendCell(line, list.caption(c), widths[c - 1]); });
    }
    g.run(114, [&] { out.writeLine(line); });
    report(116, 20, writing);

    for (int r = 1; r <= rows; ++r) {
        Yield();
        if (!hasRow(r))
            break;
        line.resize(0); // keeps the buffer for the next line
        if (g.test(118, [&] { return !list.isChecked(r); }))
            continue;
        bool whole = true;
        for (int c = 1; c <= columns && whole; ++c) {
            Yield();
            whole = hasRow(r) && hasColumn(c);
            if (whole)
                g.run(120, [&] { appendCell(line, list.cell(r, c), widths[c - 1]); });
        }
        if (!whole)
            break; // never a line of a row that went away half-read
        if (progress) {
            g.run(122, [&] {
                Yield();
                progress->setProgressValue(rowProgress(r, rows));
                if (r % 1000 == 0)
                    progress->setProgressText(writing + QStringLiteral(" (") + QString::number(r) +
                                              u')');
                Yield();
            });
        }
        g.run(124, [&] { out.writeLine(line); });
    }

    if (progress) {
        g.run(126, [&] {
            progress->setProgressValue(100);
            progress->setProgressText(QStringLiteral("Done."));
        });
    }
    g.run(128, [&] { out.commit(); });
    if (progress) {
        g.run(130, [&] {
            progress->setProgressValue(0);
            progress->setProgressText(QStringLiteral("Progress Bar"));
        });
    }
}

// Lines encoded as the file's are, written to a device that is already open.
class DeviceLines {
public:
    explicit DeviceLines(QIODevice& device) : m_device(device) {}
    void open() {}
    // Throws Failure the first time writing fails; later lines are dropped.
    void writeLine(QStringView line)
    {
        if (m_failed)
            return;
        m_encoder.append(m_buffer, line);
        m_buffer.append("\r\n", 2);
        if (m_buffer.size() >= kDeviceChunk)
            flush();
    }
    void commit() { flush(); }
    bool failed() const { return m_failed; }

private:
    static constexpr qsizetype kDeviceChunk = 1 << 16;
    void flush()
    {
        if (m_failed || m_buffer.isEmpty())
            return;
        QString error;
        const bool written = writeWhole(m_device, m_buffer, error);
        m_buffer.resize(0);
        if (!written) {
            m_failed = true;
            throw Failure(QStringLiteral("Cannot write the results: ") + error);
        }
    }

    QIODevice& m_device;
    TextFileEncoder m_encoder;
    QByteArray m_buffer;
    bool m_failed = false;
};

} // namespace

QString saveListTitle()
{
    return QStringLiteral("Save List");
}

QString saveListFilter()
{
    return QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
}

QString overwriteQuestion(const QString& path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}

void SaveListviewProperlySpaced(const ResultsModel& list, const QString& path,
                                ProgressSink* progress)
{
    Guard g(QStringLiteral("Main"), QStringLiteral("SaveListviewProperlySpaced"));
    QString name;
    g.run(100, [&] { name = localFileName(path); });
    TextFileWriter file(path);
    writeSpaced(list, file, g, name, progress);
}

bool writeListviewProperlySpaced(const ResultsModel& list, QIODevice& device)
{
    Guard g(QStringLiteral("Main"), QStringLiteral("SaveListviewProperlySpaced"));
    DeviceLines out(device);
    writeSpaced(list, out, g, QString(), nullptr);
    return !out.failed();
}

void saveResultsAsTextFile(const ResultsModel& list, Dialogs& dialogs, Pointer& pointer,
                           ProgressSink* progress)
{
    Guard g(QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
    QString name;
    g.run(100, [&] { name = dialogs.saveFileName(saveListTitle(), saveListFilter()); });
    if (g.test(102, [&] { return name.isEmpty(); }))
        return;
    if (g.test(104, [&] { return FileExists(name); })) {
        if (g.test(106, [&] { return !dialogs.question(overwriteQuestion(name), true); }))
            return;
    }
    g.run(108, [&] { pointer.setPointerMode(PointerHourglass); });
    g.run(110, [&] { SaveListviewProperlySpaced(list, name, progress); });
    g.run(112, [&] { pointer.setPointerMode(PointerDefault); });
}

} // namespace tv
