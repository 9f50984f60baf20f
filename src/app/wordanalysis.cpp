#include "app/wordanalysis.h"

#include "platform/failure.h"
#include "platform/settings.h"
#include "results/countedrows.h"
#include "results/resultsmodel.h"
#include "words/analysedrows.h"
#include "words/wordmatrix.h"

#include <QSaveFile>
#include <QSet>

namespace tv {

namespace {

// The analysis's columns in the results list, in twips as the layout gives widths.
constexpr int kFigureColumnWidth = 900;

// One stored value read with `read`; a value that cannot be read leaves `value` as it is.
template <class T, class F> void readInto(T& value, const char* key, F&& read)
{
    const QString text = readSetting(QString::fromLatin1(key), QString());
    if (text.isEmpty())
        return;
    try {
        read(text, value);
    } catch (const Failure&) {
    }
}

void readCount(const QString& text, qint64& value)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (ok && n >= 0)
        value = n;
}

} // namespace

QString WordAnalysisChoice::summary() const
{
    if (!isOn())
        return QStringLiteral("Word analysis: off");
    QStringList parts;
    if (rule == WordRule::Unicode)
        parts << QStringLiteral("Unicode words");
    if (!stopLanguages.isEmpty() || !stopFile.isEmpty())
        parts << QStringLiteral("stop words");
    if (phraseLength > 1)
        parts << QStringLiteral("%1-word phrases").arg(phraseLength);
    if (minCount > 0)
        parts << QStringLiteral("count %1+").arg(minCount);
    if (minLength > 0)
        parts << QStringLiteral("length %1+").arg(minLength);
    if (top > 0)
        parts << QStringLiteral("top %1").arg(top);
    if (withShare)
        parts << QStringLiteral("share");
    if (withPages)
        parts << QStringLiteral("pages");
    if (keepPageTable)
        parts << QStringLiteral("page table");
    return parts.join(QStringLiteral(", "));
}

AnalysisOptions WordAnalysisChoice::options() const
{
    AnalysisOptions o;
    o.rule = rule;
    for (const QString& language : stopLanguages)
        o.stopWords.add(StopList::builtin(language));
    if (!stopFile.isEmpty())
        o.stopWords.add(StopList::fromFile(stopFile));
    o.phraseLength = phraseLength;
    o.filters.minCount = minCount;
    o.filters.minLength = qsizetype(minLength);
    o.filters.top = top;
    o.withShare = withShare;
    o.withPages = withPages;
    o.matrix = keepPageTable;
    return o;
}

WordAnalysisChoice loadWordAnalysisChoice()
{
    WordAnalysisChoice c;
    readInto(c.rule, "WordRule", [](const QString& text, WordRule& rule) {
        if (text == u"unicode")
            rule = WordRule::Unicode;
    });
    readInto(c.stopLanguages, "StopWordLists", [](const QString& text, QStringList& languages) {
        for (const QString& name : text.split(u',', Qt::SkipEmptyParts)) {
            if (StopList::builtinNames().contains(name))
                languages << name;
        }
    });
    c.stopFile = readSetting(QStringLiteral("StopWordFile"), QString());
    readInto(c.phraseLength, "PhraseLength", [](const QString& text, int& length) {
        const int n = text.toInt();
        if (n >= 1 && n <= 3)
            length = n;
    });
    readInto(c.minCount, "MinimumCount", readCount);
    readInto(c.minLength, "MinimumLength", readCount);
    readInto(c.top, "TopRows", readCount);
    const auto flag = [](const QString& text, bool& value) { value = textToBool(text); };
    readInto(c.withShare, "ShareColumn", flag);
    readInto(c.withPages, "PagesColumn", flag);
    readInto(c.keepPageTable, "WordByPageTable", flag);
    return c;
}

void saveWordAnalysisChoice(const WordAnalysisChoice& c)
{
    writeSetting(QStringLiteral("WordRule"), c.rule == WordRule::Unicode
                                                 ? QStringLiteral("unicode")
                                                 : QStringLiteral("classic"));
    writeSetting(QStringLiteral("StopWordLists"), c.stopLanguages.join(u','));
    writeSetting(QStringLiteral("StopWordFile"), c.stopFile);
    writeSetting(QStringLiteral("PhraseLength"), QString::number(c.phraseLength));
    writeSetting(QStringLiteral("MinimumCount"), QString::number(c.minCount));
    writeSetting(QStringLiteral("MinimumLength"), QString::number(c.minLength));
    writeSetting(QStringLiteral("TopRows"), QString::number(c.top));
    writeSetting(QStringLiteral("ShareColumn"), boolToText(c.withShare));
    writeSetting(QStringLiteral("PagesColumn"), boolToText(c.withPages));
    writeSetting(QStringLiteral("WordByPageTable"), boolToText(c.keepPageTable));
}

WordSplitter* WindowWordAnalysis::beginRun(const CountRequest& request, bool storedWords,
                                           ResultsModel& results)
{
    m_splitter.reset();
    m_rows.clear();
    m_starts.clear();
    m_siteDone = true;
    m_figures.reset();
    // The columns the last run's analysis added go: this run's rows may have none.
    const int layoutColumns = request.mode == CountMode::PerSite ? 3 : 2;
    for (int c = results.columns(); c > layoutColumns; --c) {
        const QString caption = results.caption(c);
        if (caption != u"Share" && caption != u"Pages")
            break;
        results.keepColumns(c - 1);
    }
    m_perSite = request.mode == CountMode::PerSite;
    m_firstRow = results.rows();
    m_options = m_choice.options();
    // Without the analysis the rows stay in the list alone; the figures are read from there.
    m_recording = m_choice.isOn();
    if (!m_options.needsSplitter())
        return nullptr;
    m_splitter = std::make_unique<CountSplitter>(m_options, request.sites, storedWords);
    return m_splitter.get();
}

void WindowWordAnalysis::addRow(const CountRow& row)
{
    if (!m_recording)
        return;
    if (m_siteDone)
        m_starts.push_back(int(m_rows.size()));
    m_siteDone = false;
    m_rows.push_back(row);
}

void WindowWordAnalysis::siteFinished()
{
    m_siteDone = true;
}

CountFigures WindowWordAnalysis::listFigures(const ResultsModel& results) const
{
    CountFigures figures;
    const int countColumn = m_perSite ? 3 : 2;
    QSet<QString> words;
    for (int r = m_firstRow + 1; r <= results.rows(); ++r) {
        figures.total += results.cell(r, countColumn).toLongLong();
        if (m_perSite)
            words.insert(results.cell(r, 2));
        else
            ++figures.distinct;
    }
    if (m_perSite)
        figures.distinct = words.size();
    return figures;
}

void WindowWordAnalysis::finishRun(ResultsModel& results)
{
    m_tablePages.reset();
    if (!m_recording) {
        m_figures = listFigures(results);
        return;
    }
    CountedRows counted(m_perSite);
    for (const CountRow& row : m_rows)
        counted.add(row);
    m_rows.clear();
    const std::vector<NamedCount> noPages;
    const std::vector<NamedCount>& pages = m_splitter ? m_splitter->pages() : noPages;
    const AnalysedRows analysed(counted, m_starts, m_options, pages);
    m_figures = analysed.figures();
    if (m_options.matrix) {
        m_tableWords = m_perSite ? filterRows(combineCounts(pages), m_options.filters)
                                 : analysed.combinedRows();
        m_tablePages = pages;
    }
    if (!m_options.reshapesRows())
        return;
    results.keepRows(m_firstRow);
    // The new columns join only a list in the run's own layout: in another they would stand
    // under the wrong captions.
    const int layoutColumns = m_perSite ? 3 : 2;
    if (results.columns() == layoutColumns) {
        for (int c = layoutColumns + 1; c <= analysed.columns(); ++c)
            results.addColumn(analysed.caption(c), kFigureColumnWidth);
    }
    for (int r = 1; r <= analysed.rows(); ++r)
        results.append(analysed.cell(r, 1), analysed.cell(r, 2), analysed.cell(r, 3),
                       analysed.cell(r, 4));
    results.flushAppends();
}

bool WindowWordAnalysis::writePageTable(const QString& path, QString& error) const
{
    if (!m_tablePages) {
        error = QStringLiteral("The last count kept no word by page table.");
        return false;
    }
    // A file that was there stays whole until the new one is written in full.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    const bool tabs = path.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive) ||
                      path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
    if (!writeWordMatrix(file, m_tableWords, *m_tablePages,
                         tabs ? MatrixFormat::Tsv : MatrixFormat::Csv, error))
        return false;
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tv
