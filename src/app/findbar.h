#pragma once
// A find bar for a read-only text: the text to find, the next and previous match, and how many
// matches there are. Ctrl+F in its window brings the focus to it; Enter finds the next match,
// Shift+Enter the previous one.
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tv {

class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(QPlainTextEdit& text, QWidget* parent = nullptr);

    void setFindText(const QString& text);
    // Selects the next (or previous) match after the cursor, round the end; false when none.
    bool findNext(bool backward = false);
    // "3 of 12", "No match", or "" with nothing to find.
    QString matchText() const;
    int matches() const { return m_matches; }

private:
    void count();

    QPlainTextEdit& m_text;
    QLineEdit* m_find;
    QLabel* m_status;
    int m_matches = 0;
};

} // namespace tv
