#pragma once
// Every use of a word in the kept texts as a list: the site, the context to the left (aligned on
// the word), the word, the context to the right. Sorted in text order or by the word to the left
// or right (the order box, or a click on a context's header); Ctrl+C copies the selected lines,
// or all of them, as aligned text.
#include "keep/concordance.h"

#include <QAbstractTableModel>
#include <QWidget>

class QComboBox;
class QLabel;
class QTableView;

namespace tv {

class Desktop;
class KeptTexts;

class ConcordanceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Site, Left, Word, Right, ColumnCount };

    void setLines(QList<ConcordanceLine> lines);
    const QList<ConcordanceLine>& lines() const { return m_lines; }
    void setOrder(ConcordanceOrder order, bool descending = false);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    QList<ConcordanceLine> m_lines;
};

class ConcordanceView : public QWidget {
    Q_OBJECT
public:
    explicit ConcordanceView(Desktop& desktop, QWidget* parent = nullptr);

    void setConcordance(Concordance concordance);
    // Finds the uses of `words` in run `run` of `store` (on the sites typed `address` only, when
    // given) and shows them; when they cannot be found (no word, a run not kept) the caption
    // says why and the list is empty. False in that case.
    bool showWord(const KeptTexts& store, int run, const QString& words,
                  const std::optional<QString>& address = std::nullopt);
    void setOrder(ConcordanceOrder order);
    QString caption() const;
    const ConcordanceModel& model() const { return m_model; }
    QTableView& table() { return *m_table; }

    // The selected lines (all of them when none is selected) as aligned text: the left contexts
    // right-aligned, so that the words stand in one column.
    QString copiedText() const;
    // Puts copiedText() on the clipboard; false when the clipboard refused.
    bool copy();

private:
    Desktop& m_desktop;
    ConcordanceModel m_model;
    QLabel* m_caption;
    QComboBox* m_order;
    QTableView* m_table;
};

} // namespace tv
