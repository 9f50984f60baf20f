#include "copylist.h"

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/guard.h"
#include "platform/windowcontrols.h"
#include "platform/yield.h"
#include "results/resultsmodel.h"

#include <QList>
#include <algorithm>

namespace tv {

QString copiedToClipboardMessage()
{
    return QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                          "you normally type and press Ctrl+V to paste the clipboard.");
}

QString properlySpacedClipboardText(const ResultsModel& list)
{
    const int columns = list.columns();
    const int rows = list.rows();
    if (rows == 0)
        return {};

    // Other commands run while this one yields and may remove rows: after each yield the loops
    // stop at what is left instead of failing on a row that is gone.
    auto hasRow = [&](int r) { return r <= list.rows(); };
    auto hasColumn = [&](int c) { return c <= list.columns(); };

    QList<qsizetype> widths(columns, 0);
    for (int c = 1; c <= columns && hasColumn(c); ++c) {
        qsizetype w = 0;
        for (int r = 1; r <= rows; ++r) {
            Yield();
            if (!hasRow(r) || !hasColumn(c))
                break;
            w = std::max(w, list.cell(r, c).size());
        }
        widths[c - 1] = w;
    }

    QString text;
    for (int r = 1; r <= rows; ++r) {
        Yield();
        if (!hasRow(r))
            break;
        if (!list.isChecked(r))
            continue;
        const qsizetype lineStart = text.size();
        bool whole = true;
        for (int c = 1; c <= columns && whole; ++c) {
            Yield();
            whole = hasRow(r) && hasColumn(c);
            if (!whole)
                break;
            const QString cell = list.cell(r, c);
            text += cell;
            if (cell.size() < widths[c - 1])
                text.resize(text.size() + (widths[c - 1] - cell.size()), u' ');
            text += u'\t';
        }
        if (!whole) {
            text.truncate(lineStart); // never a line of a row that went away half-read
            break;
        }
        // The last cell loses its TAB and every space it ends with. The previous line's CR LF
        // or the TAB before the last cell stops the trimming.
        if (columns > 0)
            text.chop(1);
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == u' ')
            --end;
        text.truncate(end);
        text += QStringLiteral("\r\n");
    }
    return text;
}

void CopyListviewProperlySpaced(const ResultsModel& list, Desktop& desktop)
{
    if (list.rows() == 0)
        return;
    const QString text = properlySpacedClipboardText(list);
    ClearClipboard(desktop);
    SetClipboardText(desktop, text);
}

void ClearClipboard(Desktop& desktop)
{
    // Another program may hold the clipboard for a moment; a refusal is simply tried again.
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        try {
            if (desktop.clearClipboard())
                return;
        } catch (...) {
        }
    }
}

bool SetClipboardText(Desktop& desktop, const QString& text)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        try {
            if (desktop.setClipboardText(text))
                return true;
        } catch (...) {
        }
    }
    return false;
}

void copyResultsToClipboard(const ResultsModel& list, Dialogs& dialogs, Desktop& desktop)
{
    Guard g(clickLocation(control::copyResults));
    g.run(100, [&] { CopyListviewProperlySpaced(list, desktop); });
    g.run(102, [&] { dialogs.information(copiedToClipboardMessage()); });
}

} // namespace tv
