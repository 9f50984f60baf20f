#pragma once
// "Word Analysis...": the dialog where the user picks the word rule, stop words, phrases, the
// filters and the extra columns of the next counts.
#include "app/wordanalysis.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace tv {

class Dialogs;

class WordAnalysisDialog : public QDialog {
    Q_OBJECT
public:
    // `dialogs` asks for the stop list file and tells what is wrong with it.
    WordAnalysisDialog(const WordAnalysisChoice& choice, Dialogs& dialogs,
                       QWidget* parent = nullptr);

    WordAnalysisChoice choice() const;
    void setChoice(const WordAnalysisChoice& choice);

    // Accepts only a stop list file that can be read; tells why not otherwise.
    void accept() override;

private:
    void browseStopFile();

    Dialogs& m_dialogs;
    QComboBox* m_rule = nullptr;
    QListWidget* m_languages = nullptr;
    QLineEdit* m_stopFile = nullptr;
    QComboBox* m_phrases = nullptr;
    QSpinBox* m_minCount = nullptr;
    QSpinBox* m_minLength = nullptr;
    QSpinBox* m_top = nullptr;
    QCheckBox* m_share = nullptr;
    QCheckBox* m_pages = nullptr;
    QCheckBox* m_pageTable = nullptr;
};

} // namespace tv
