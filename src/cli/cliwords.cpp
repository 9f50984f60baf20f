#include "cli/cliwords.h"

#include "cli/clicount.h"
#include "cli/console.h"
#include "cli/countcommand.h"
#include "count/countrequest.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "words/analysedrows.h"
#include "words/rowfilters.h"
#include "words/wordmatrix.h"

#include <QFileInfo>
#include <QLocale>

namespace tv {

namespace {

// A built-in list by its language, else the file of that name.
StopList readStopList(const QString& name)
{
    if (!name.contains(u'/') && !name.contains(u'.')) {
        try {
            return StopList::builtin(name);
        } catch (const Failure&) {
            if (!fileExists(name))
                throw;
        }
    }
    return StopList::fromFile(name);
}

QString figuresLine(const CountFigures& figures)
{
    const QLocale c = QLocale::c();
    return QStringLiteral("%1 words, %2 distinct (%3 distinct per word)")
        .arg(c.toString(figures.total), c.toString(figures.distinct))
        .arg(figures.ratio(), 0, 'f', 4);
}

} // namespace

CliWords::CliWords(const CliOptions& options) : m_options(options), m_analysis(options.analysis)
{
    for (const QString& name : options.stopWords)
        m_analysis.stopWords.add(readStopList(name));
}

void CliWords::prepare(CountRequest& request, bool storedWords, Console& console)
{
    if (!m_analysis.needsSplitter())
        return;
    m_sites = request.sites;
    m_splitter = std::make_unique<CountSplitter>(m_analysis, m_sites, storedWords);
    request.splitter = m_splitter.get();
    const QStringList unusable = m_splitter->unusableStopWords();
    if (!unusable.isEmpty())
        console.message(QStringLiteral("warning: %1 stop word(s) can match no word and are left "
                                       "out: %2")
                            .arg(unusable.size())
                            .arg(unusable.mid(0, 10).join(QStringLiteral(", "))));
}

void CliWords::restart(bool storedWords)
{
    if (m_splitter)
        m_splitter->restart(storedWords);
}

bool CliWords::changesOutput() const
{
    return m_analysis.needsSplitter() || m_analysis.reshapesRows();
}

bool CliWords::write(CliCount& count, const QString& caption, QIODevice& output, Console& console)
{
    const std::vector<NamedCount> noPages;
    const std::vector<NamedCount>& pages = m_splitter ? m_splitter->pages() : noPages;
    AnalysedRows rows(count.rows(), count.countStarts(), m_analysis, pages);
    if (!caption.isEmpty())
        rows.setFirstCaption(caption);
    if (!m_options.quiet)
        console.plain(figuresLine(rows.figures()));
    if (!m_analysis.matrix)
        return writeCountOutput(m_options, rows, rows.isPerSite(), rows.extraColumnNames(), output,
                                console);
    // Per site, every page is a site: the table's words are those of all of them.
    const WordRows words = rows.isPerSite() ? filterRows(combineCounts(pages), m_analysis.filters)
                                            : rows.combinedRows();
    QString error;
    const MatrixFormat format =
        m_options.format == OutputFormat::Csv ? MatrixFormat::Csv : MatrixFormat::Tsv;
    if (writeWordMatrix(output, words, pages, format, error))
        return true;
    console.message(QStringLiteral("Cannot write the word by page table: ") + error);
    return false;
}

} // namespace tv
