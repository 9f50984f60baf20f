#include "concordanceview.h"

#include "platform/desktop.h"
#include "platform/guard.h"

#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace tv {

namespace {

// Tabs and line ends inside a context are shown as blanks: one line per use.
QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    }
    return text;
}

// The left context loses its far end, not the end next to the word, when its column is narrow.
class LeftContextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideLeft;
    }
};

} // namespace

void ConcordanceModel::setLines(QList<ConcordanceLine> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

void ConcordanceModel::setOrder(ConcordanceOrder order, bool descending)
{
    emit layoutAboutToBeChanged();
    sortConcordance(m_lines, order);
    if (descending)
        std::reverse(m_lines.begin(), m_lines.end());
    emit layoutChanged();
}

int ConcordanceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int ConcordanceModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ConcordanceModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    const ConcordanceLine& line = m_lines[index.row()];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case Site:
            return line.address;
        case Left:
            return oneLine(line.left);
        case Word:
            return oneLine(line.match);
        case Right:
            return oneLine(line.right);
        }
    } else if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (index.column() == Left ? Qt::AlignRight : Qt::AlignLeft));
    } else if (role == Qt::FontRole && index.column() == Word) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return {};
}

QVariant ConcordanceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Site:
        return QStringLiteral("Site");
    case Left:
        return QStringLiteral("Left");
    case Word:
        return QStringLiteral("Word");
    case Right:
        return QStringLiteral("Right");
    }
    return {};
}

void ConcordanceModel::sort(int column, Qt::SortOrder order)
{
    const ConcordanceOrder by = column == Left    ? ConcordanceOrder::Left
                                : column == Right ? ConcordanceOrder::Right
                                                  : ConcordanceOrder::Text;
    setOrder(by, order == Qt::DescendingOrder);
}

ConcordanceView::ConcordanceView(Desktop& desktop, QWidget* parent)
    : QWidget(parent), m_desktop(desktop), m_caption(new QLabel(this)),
      m_order(new QComboBox(this)), m_table(new QTableView(this))
{
    setObjectName(QStringLiteral("concordanceView"));
    m_caption->setObjectName(QStringLiteral("concordanceCaption"));
    m_caption->setTextFormat(Qt::PlainText);
    m_order->setObjectName(QStringLiteral("concordanceOrder"));
    m_order->addItem(QStringLiteral("Order in the text"), int(ConcordanceOrder::Text));
    m_order->addItem(QStringLiteral("Word to the left"), int(ConcordanceOrder::Left));
    m_order->addItem(QStringLiteral("Word to the right"), int(ConcordanceOrder::Right));
    auto* orderLabel = new QLabel(QStringLiteral("&Sort by:"), this);
    orderLabel->setBuddy(m_order);
    auto* copyButton = new QPushButton(QStringLiteral("C&opy"), this);
    copyButton->setObjectName(QStringLiteral("concordanceCopy"));

    m_table->setObjectName(QStringLiteral("concordanceLines"));
    m_table->setModel(&m_model);
    m_table->setItemDelegateForColumn(ConcordanceModel::Left, new LeftContextDelegate(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    // One height for every row, so that a list of 50,000 uses opens at once.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionResizeMode(ConcordanceModel::Site, QHeaderView::Interactive);
    header->setSectionResizeMode(ConcordanceModel::Left, QHeaderView::Stretch);
    header->setSectionResizeMode(ConcordanceModel::Word, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ConcordanceModel::Right, QHeaderView::Stretch);
    header->resizeSection(ConcordanceModel::Site, m_table->fontMetrics().averageCharWidth() * 24);
    header->setSortIndicatorShown(true);
    header->setSectionsClickable(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        const Qt::SortOrder order = m_table->horizontalHeader()->sortIndicatorOrder();
        m_model.sort(section, order);
        const int item = m_order->findData(section == ConcordanceModel::Left    ? 1
                                           : section == ConcordanceModel::Right ? 2
                                                                                : 0);
        const QSignalBlocker quiet(m_order);
        m_order->setCurrentIndex(item);
    });

    auto* controls = new QHBoxLayout;
    controls->addWidget(m_caption, 1);
    controls->addWidget(orderLabel);
    controls->addWidget(m_order);
    controls->addWidget(copyButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_table, 1);

    connect(m_order, &QComboBox::currentIndexChanged, this, [this] {
        m_model.setOrder(ConcordanceOrder(m_order->currentData().toInt()));
        m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    });
    connect(copyButton, &QPushButton::clicked, this, [this] { copy(); });
    auto* copyKey = new QShortcut(QKeySequence::Copy, m_table);
    copyKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copyKey, &QShortcut::activated, this, [this] { copy(); });
}

void ConcordanceView::setConcordance(Concordance concordance)
{
    const QLocale locale;
    const qsizetype uses = concordance.lines.size();
    QString caption =
        QStringLiteral("%1 %2 of \u201c%3\u201d")
            .arg(locale.toString(uses), uses == 1 ? QStringLiteral("use") : QStringLiteral("uses"),
                 concordance.word);
    if (concordance.pagesNotKept > 0)
        caption += QStringLiteral(" (the text of %1 counted %2 was not kept)")
                       .arg(locale.toString(concordance.pagesNotKept),
                            concordance.pagesNotKept == 1 ? QStringLiteral("page")
                                                          : QStringLiteral("pages"));
    m_caption->setText(caption);
    m_model.setLines(std::move(concordance.lines));
    m_model.setOrder(ConcordanceOrder(m_order->currentData().toInt()));
}

bool ConcordanceView::showWord(const KeptTexts& store, int run, const QString& words,
                               const std::optional<QString>& address)
{
    try {
        setConcordance(findConcordance(store, run, words, kDefaultContextWidth, address));
        return true;
    } catch (const Failure& failure) {
        m_model.setLines({});
        m_caption->setText(failure.description());
        return false;
    }
}

void ConcordanceView::setOrder(ConcordanceOrder order)
{
    m_order->setCurrentIndex(m_order->findData(int(order)));
}

QString ConcordanceView::caption() const
{
    return m_caption->text();
}

QString ConcordanceView::copiedText() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty()) {
        for (int row = 0; row < m_model.rowCount(); ++row)
            rows << row;
    }
    qsizetype siteWidth = 0;
    qsizetype leftWidth = 0;
    for (int row : rows) {
        siteWidth = std::max(siteWidth, m_model.lines()[row].address.size());
        leftWidth = std::max(leftWidth, oneLine(m_model.lines()[row].left).size());
    }
    QString text;
    for (int row : rows) {
        const ConcordanceLine& line = m_model.lines()[row];
        text += line.address.leftJustified(siteWidth) + QStringLiteral("  ") +
                oneLine(line.left).rightJustified(leftWidth) + QStringLiteral("  ") +
                oneLine(line.match) + QStringLiteral("  ") + oneLine(line.right) + u'\n';
    }
    return text;
}

bool ConcordanceView::copy()
{
    return m_desktop.setClipboardText(copiedText());
}

} // namespace tv
