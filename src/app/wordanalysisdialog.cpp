#include "app/wordanalysisdialog.h"

#include "platform/dialogs.h"
#include "platform/failure.h"
#include "words/stoplist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tv {

namespace {

QSpinBox* makeCount(QWidget* parent, const char* name, const QString& off)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, 1000000000);
    // 0 leaves the filter off, and says so.
    box->setSpecialValueText(off);
    return box;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

WordAnalysisDialog::WordAnalysisDialog(const WordAnalysisChoice& choice, Dialogs& dialogs,
                                       QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("wordAnalysisDialog"));
    setWindowTitle(QStringLiteral("Word Analysis"));
    auto* form = new QFormLayout;

    m_rule = new QComboBox(this);
    m_rule->setObjectName(QStringLiteral("wordRule"));
    m_rule->addItem(QStringLiteral("Pieces between blanks (the program's own rule)"));
    m_rule->addItem(QStringLiteral("Unicode words (any script, punctuation removed)"));
    form->addRow(QStringLiteral("&Words:"), m_rule);

    m_languages = new QListWidget(this);
    m_languages->setObjectName(QStringLiteral("stopLanguages"));
    for (const QString& name : StopList::builtinNames()) {
        auto* item = new QListWidgetItem(name.left(1).toUpper() + name.mid(1), m_languages);
        item->setData(Qt::UserRole, name);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_languages->setMaximumHeight(m_languages->sizeHintForRow(0) * 5 + 4);
    form->addRow(QStringLiteral("&Stop words:"), m_languages);

    m_stopFile = new QLineEdit(this);
    m_stopFile->setObjectName(QStringLiteral("stopFile"));
    m_stopFile->setPlaceholderText(QStringLiteral("a file of your own, one word per line"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("browseStopFile"));
    connect(browse, &QPushButton::clicked, this, &WordAnalysisDialog::browseStopFile);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_stopFile);
    fileRow->addWidget(browse);
    auto* fileLabel = new QLabel(QStringLiteral("Own &list:"), this);
    fileLabel->setBuddy(m_stopFile);
    form->addRow(fileLabel, fileRow);

    m_phrases = new QComboBox(this);
    m_phrases->setObjectName(QStringLiteral("phraseLength"));
    m_phrases->addItems({QStringLiteral("Single words"), QStringLiteral("Two-word phrases"),
                         QStringLiteral("Three-word phrases")});
    form->addRow(QStringLiteral("&Count:"), m_phrases);

    m_minCount = makeCount(this, "minimumCount", QStringLiteral("any"));
    form->addRow(QStringLiteral("Minimum c&ount:"), m_minCount);
    m_minLength = makeCount(this, "minimumLength", QStringLiteral("any"));
    form->addRow(QStringLiteral("Minimum le&ngth:"), m_minLength);
    m_top = makeCount(this, "topRows", QStringLiteral("all rows"));
    form->addRow(QStringLiteral("Most &frequent only:"), m_top);

    m_share =
        makeCheck(this, "shareColumn", QStringLiteral("S&hare column (percent of the words)"));
    m_pages = makeCheck(this, "pagesColumn",
                        QStringLiteral("&Pages column (pages a word is on; one count for all)"));
    m_pageTable =
        makeCheck(this, "wordByPageTable", QStringLiteral("Keep a word by page &table for export"));

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &WordAnalysisDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &WordAnalysisDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            [this] { setChoice(WordAnalysisChoice()); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_share);
    layout->addWidget(m_pages);
    layout->addWidget(m_pageTable);
    layout->addWidget(buttons);
    setChoice(choice);
}

WordAnalysisChoice WordAnalysisDialog::choice() const
{
    WordAnalysisChoice c;
    c.rule = m_rule->currentIndex() == 1 ? WordRule::Unicode : WordRule::Classic;
    for (int i = 0; i < m_languages->count(); ++i) {
        const QListWidgetItem* item = m_languages->item(i);
        if (item->checkState() == Qt::Checked)
            c.stopLanguages << item->data(Qt::UserRole).toString();
    }
    c.stopFile = m_stopFile->text().trimmed();
    c.phraseLength = m_phrases->currentIndex() + 1;
    c.minCount = m_minCount->value();
    c.minLength = m_minLength->value();
    c.top = m_top->value();
    c.withShare = m_share->isChecked();
    c.withPages = m_pages->isChecked();
    c.keepPageTable = m_pageTable->isChecked();
    return c;
}

void WordAnalysisDialog::setChoice(const WordAnalysisChoice& c)
{
    m_rule->setCurrentIndex(c.rule == WordRule::Unicode ? 1 : 0);
    for (int i = 0; i < m_languages->count(); ++i) {
        QListWidgetItem* item = m_languages->item(i);
        item->setCheckState(c.stopLanguages.contains(item->data(Qt::UserRole).toString())
                                ? Qt::Checked
                                : Qt::Unchecked);
    }
    m_stopFile->setText(c.stopFile);
    m_phrases->setCurrentIndex(qBound(1, c.phraseLength, 3) - 1);
    m_minCount->setValue(int(qMin<qint64>(c.minCount, m_minCount->maximum())));
    m_minLength->setValue(int(qMin<qint64>(c.minLength, m_minLength->maximum())));
    m_top->setValue(int(qMin<qint64>(c.top, m_top->maximum())));
    m_share->setChecked(c.withShare);
    m_pages->setChecked(c.withPages);
    m_pageTable->setChecked(c.keepPageTable);
}

void WordAnalysisDialog::accept()
{
    const QString file = m_stopFile->text().trimmed();
    if (!file.isEmpty()) {
        try {
            StopList::fromFile(file);
        } catch (const Failure& failure) {
            m_dialogs.information(failure.description());
            return;
        }
    }
    QDialog::accept();
}

void WordAnalysisDialog::browseStopFile()
{
    const QStringList files = m_dialogs.openFileNames(
        QStringLiteral("Stop Words"), QStringLiteral("Text Files (*.txt);;All Files (*)"));
    if (!files.isEmpty())
        m_stopFile->setText(files.first());
}

} // namespace tv
