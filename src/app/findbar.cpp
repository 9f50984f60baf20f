#include "findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextDocument>

namespace tv {

namespace {

// Matches in the text, counted up to a bound: a huge page must not stall each keystroke.
constexpr int kMostCounted = 100000;

class FindEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void(bool)> onEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter) {
            onEnter(event->modifiers() & Qt::ShiftModifier);
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

FindBar::FindBar(QPlainTextEdit& text, QWidget* parent)
    : QWidget(parent), m_text(text), m_find(new FindEdit(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("findBar"));
    m_find->setObjectName(QStringLiteral("findText"));
    m_find->setPlaceholderText(QStringLiteral("Find in the text"));
    m_find->setClearButtonEnabled(true);
    m_status->setObjectName(QStringLiteral("findStatus"));
    auto* label = new QLabel(QStringLiteral("&Find:"), this);
    label->setBuddy(m_find);
    auto* previous = new QPushButton(QStringLiteral("&Previous"), this);
    auto* next = new QPushButton(QStringLiteral("&Next"), this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_find, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_status);

    static_cast<FindEdit*>(m_find)->onEnter = [this](bool backward) { findNext(backward); };
    connect(m_find, &QLineEdit::textChanged, this, [this] {
        count();
        QTextCursor start = m_text.textCursor();
        start.setPosition(start.selectionStart());
        m_text.setTextCursor(start);
        if (!m_find->text().isEmpty())
            findNext();
    });
    connect(next, &QPushButton::clicked, this, [this] { findNext(false); });
    connect(previous, &QPushButton::clicked, this, [this] { findNext(true); });
    auto* focus = new QShortcut(QKeySequence::Find, parent ? parent : this);
    connect(focus, &QShortcut::activated, this, [this] {
        m_find->setFocus();
        m_find->selectAll();
    });
}

void FindBar::setFindText(const QString& text)
{
    m_find->setText(text);
}

bool FindBar::findNext(bool backward)
{
    const QString wanted = m_find->text();
    if (wanted.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextDocument* document = m_text.document();
    QTextCursor found = document->find(wanted, m_text.textCursor(), flags);
    if (found.isNull()) {
        QTextCursor wrap(document);
        if (backward)
            wrap.movePosition(QTextCursor::End);
        found = document->find(wanted, wrap, flags);
    }
    if (found.isNull()) {
        m_status->setText(matchText());
        return false;
    }
    m_text.setTextCursor(found);
    m_text.centerCursor();
    m_status->setText(matchText());
    return true;
}

void FindBar::count()
{
    m_matches = 0;
    const QString wanted = m_find->text();
    if (!wanted.isEmpty()) {
        QTextCursor at(m_text.document());
        while (m_matches < kMostCounted) {
            at = m_text.document()->find(wanted, at);
            if (at.isNull())
                break;
            ++m_matches;
        }
    }
    m_status->setText(matchText());
}

QString FindBar::matchText() const
{
    if (m_find->text().isEmpty())
        return {};
    if (m_matches == 0)
        return QStringLiteral("No match");
    const QTextCursor cursor = m_text.textCursor();
    if (!cursor.hasSelection())
        return QStringLiteral("%1 matches").arg(m_matches);
    // Which match is selected: the matches before it, counted from the start.
    int before = 1;
    QTextCursor at(m_text.document());
    while (before < m_matches) {
        at = m_text.document()->find(m_find->text(), at);
        if (at.isNull() || at.selectionStart() >= cursor.selectionStart())
            break;
        ++before;
    }
    return QStringLiteral("%1 of %2").arg(before).arg(m_matches);
}

} // namespace tv
