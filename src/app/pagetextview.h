#pragma once
// The text a count saw for one site, read-only: as counted (each cleaned word in the form it was
// counted in, marked) or as the page had it (the words the count changed marked), with a find
// bar and the page's status line: its address after redirects, encoding, bytes and words.
#include "keep/countedmarks.h"
#include "keep/keptpage.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPlainTextEdit;

namespace tv {

class FindBar;
class KeptTexts;
class MarkHighlighter;

class PageTextView : public QWidget {
    Q_OBJECT
public:
    // Pages with more characters than this are shown without marks.
    static constexpr qsizetype kMostMarkedChars = qsizetype(8) << 20;

    explicit PageTextView(QWidget* parent = nullptr);
    ~PageTextView() override;

    // Shows a site's record: its text (when kept) split by `rule`; a page without text shows
    // why, from its record and the run's text limit `runBytes`.
    void showPage(const KeptPage& page, const KeptRule& rule, qint64 runBytes);
    // Shows site `site` (from 1) of run `run` as `store` kept it; false, and nothing changed,
    // when the store holds no such site or run.
    bool showSite(const KeptTexts& store, int run, int site);
    // Words shown as counted (the default) or as written in the page.
    void setShowCounted(bool counted);

    QString statusLine() const;
    QString shownText() const;
    // The marks of the text shown, in its own positions.
    const QList<CountedMark>& shownMarks() const { return m_shown.marks; }
    FindBar& findBar() { return *m_findBar; }

private:
    void refresh();

    QLabel* m_status;
    QLabel* m_legend;
    QCheckBox* m_counted;
    QPlainTextEdit* m_text;
    FindBar* m_findBar;
    MarkHighlighter* m_highlighter;
    KeptPage m_page;
    QList<CountedMark> m_marks; // in the page's own text
    CountedText m_shown;
};

} // namespace tv
