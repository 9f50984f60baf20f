#include "pagetextview.h"

#include "app/findbar.h"
#include "keep/keptstore.h"
#include "keep/pagestatus.h"
#include "platform/guard.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSyntaxHighlighter>
#include <QVBoxLayout>
#include <algorithm>

namespace tv {

// Colours the marked pieces of each block as Qt lays it out: the marks are looked up by
// position, so a page of any length costs only the blocks shown.
class MarkHighlighter : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;
    void setMarks(const QList<CountedMark>* marks) { m_marks = marks; }

protected:
    void highlightBlock(const QString& text) override
    {
        if (!m_marks || m_marks->isEmpty())
            return;
        const qsizetype start = currentBlock().position();
        const qsizetype end = start + text.size();
        auto it = std::lower_bound(m_marks->cbegin(), m_marks->cend(), start,
                                   [](const CountedMark& m, qsizetype at) { return m.end <= at; });
        for (; it != m_marks->cend() && it->begin < end; ++it) {
            const qsizetype from = std::max(it->begin, start);
            const qsizetype to = std::min(it->end, end);
            setFormat(int(from - start), int(to - from), formatOf(it->kind));
        }
    }

private:
    static QTextCharFormat formatOf(CountedMark::Kind kind)
    {
        QTextCharFormat format;
        switch (kind) {
        case CountedMark::Kind::Cleaned:
            format.setBackground(QColor(0xff, 0xe8, 0x99));
            break;
        case CountedMark::Kind::StopWord:
            format.setForeground(QColor(0x80, 0x80, 0x80));
            break;
        case CountedMark::Kind::NoWord:
            format.setForeground(QColor(0x80, 0x80, 0x80));
            format.setFontStrikeOut(true);
            break;
        }
        return format;
    }

    const QList<CountedMark>* m_marks = nullptr;
};

namespace {

// Line ends as the editor takes them, one character for one so that the marks keep their
// places: a carriage return before a line feed becomes a blank, a lone one a line feed.
QString displayable(QString text)
{
    char16_t* s = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (s[i] == u'\r')
            s[i] = i + 1 < text.size() && s[i + 1] == u'\n' ? u' ' : u'\n';
    }
    return text;
}

} // namespace

PageTextView::PageTextView(QWidget* parent)
    : QWidget(parent), m_status(new QLabel(this)), m_legend(new QLabel(this)),
      m_counted(new QCheckBox(QStringLiteral("Show words as &counted"), this)),
      m_text(new QPlainTextEdit(this)), m_findBar(new FindBar(*m_text, this)),
      m_highlighter(new MarkHighlighter(m_text->document()))
{
    setObjectName(QStringLiteral("pageTextView"));
    m_status->setObjectName(QStringLiteral("pageStatus"));
    // Addresses and encodings come from servers: plain text only.
    m_status->setTextFormat(Qt::PlainText);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setWordWrap(true);
    m_legend->setObjectName(QStringLiteral("pageLegend"));
    m_legend->setTextFormat(Qt::PlainText);
    m_counted->setObjectName(QStringLiteral("showCounted"));
    m_counted->setChecked(true);
    m_text->setObjectName(QStringLiteral("pageText"));
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setTabStopDistance(m_text->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);

    auto* top = new QHBoxLayout;
    top->addWidget(m_legend, 1);
    top->addWidget(m_counted);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addLayout(top);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_findBar);
    connect(m_counted, &QCheckBox::toggled, this, [this] { refresh(); });
}

PageTextView::~PageTextView()
{
    m_highlighter->setMarks(nullptr);
}

void PageTextView::showPage(const KeptPage& page, const KeptRule& rule, qint64 runBytes)
{
    m_page = page;
    m_status->setText(pageStatusLine(page));
    m_marks.clear();
    if (page.state != KeptPage::Text::Kept) {
        m_page.text = missingTextReason(page, runBytes);
    } else if (page.text.size() <= kMostMarkedChars) {
        m_marks = countedMarks(page.text, rule, page.ignoreCase);
    }
    refresh();
}

bool PageTextView::showSite(const KeptTexts& store, int run, int site)
{
    const std::optional<KeptPage> page = store.page(run, site);
    if (!page)
        return false;
    try {
        showPage(*page, store.rule(run), store.limits().runBytes);
    } catch (const Failure&) {
        return false;
    }
    return true;
}

void PageTextView::setShowCounted(bool counted)
{
    m_counted->setChecked(counted);
}

void PageTextView::refresh()
{
    const bool kept = m_page.state == KeptPage::Text::Kept;
    const bool counted = m_counted->isChecked();
    if (counted) {
        m_shown = asCounted(m_page.text, m_marks);
    } else {
        m_shown.text = m_page.text;
        m_shown.marks = m_marks;
    }
    m_highlighter->setMarks(&m_shown.marks);
    m_text->setPlainText(displayable(m_shown.text));
    m_counted->setEnabled(kept);
    if (!kept)
        m_legend->setText(QString());
    else if (m_page.text.size() > kMostMarkedChars)
        m_legend->setText(QStringLiteral("This page is too long to mark what the count changed."));
    else if (counted)
        m_legend->setText(QStringLiteral("Highlighted: counted in this form. Grey: not counted."));
    else
        m_legend->setText(
            QStringLiteral("Highlighted: counted in another form. Grey: not counted."));
}

QString PageTextView::statusLine() const
{
    return m_status->text();
}

QString PageTextView::shownText() const
{
    return m_text->toPlainText();
}

} // namespace tv
