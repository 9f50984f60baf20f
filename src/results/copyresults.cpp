#include "results/copyresults.h"

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "results/alignedtext.h"
#include "results/resultrows.h"
#include "results/rowwalk.h"

namespace tv {

QString copiedToClipboardMessage()
{
    return QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                          "you normally type and press Ctrl+V to paste the clipboard.");
}

QString clipboardText(const ResultRows& list)
{
    if (list.rows() == 0)
        return {};
    const QList<qsizetype> widths = columnWidths(list, false);
    QString text;
    QString line;
    QStringList cells;
    RowWalk walk(list);
    while (walk.next()) {
        if (!walk.isChecked())
            continue;
        if (!walk.readCells(cells))
            break; // never a line of a row that went away half-read
        clipboardLine(line, cells, widths);
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

void copyAlignedResults(const ResultRows& list, Desktop& desktop)
{
    if (list.rows() == 0)
        return;
    const QString text = clipboardText(list);
    clearClipboardRetrying(desktop);
    setClipboardTextRetrying(desktop, text);
}

bool clearClipboardRetrying(Desktop& desktop)
{
    // Another program may hold the clipboard for a moment; a refusal is simply tried again.
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        if (desktop.clearClipboard())
            return true;
    }
    return false;
}

bool setClipboardTextRetrying(Desktop& desktop, const QString& text)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        if (desktop.setClipboardText(text))
            return true;
    }
    return false;
}

void copyResultsToClipboard(const ResultRows& list, Dialogs& dialogs, Desktop& desktop)
{
    Guard g(clickLocation(control::copyResults));
    g.run(100, [&] { copyAlignedResults(list, desktop); });
    g.run(102, [&] { dialogs.information(copiedToClipboardMessage()); });
}

} // namespace tv
