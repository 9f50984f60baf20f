#pragma once
// "Copy Results To Clipboard": the ticked rows as column-aligned text on the clipboard.
#include <QString>

namespace tv {

class Desktop;
class Dialogs;
class ResultRows;

// How often clearing or setting the clipboard is tried before giving up.
constexpr int kClipboardAttempts = 1000;

// The confirmation shown after every copy.
QString copiedToClipboardMessage();

// One line per ticked row: every cell but the last padded with spaces to its column's widest
// text (all rows, ticked or not; captions do not count) and followed by TAB, the last cell
// without trailing spaces, CR LF after every line. Throws Failure when a cell cannot be read.
QString clipboardText(const ResultRows& list);

// Puts clipboardText() on the clipboard; a list without rows leaves the clipboard as it was.
// Throws Failure when a cell cannot be read.
void copyAlignedResults(const ResultRows& list, Desktop& desktop);

// Empties the clipboard, trying up to kClipboardAttempts times; gives whether it was emptied.
bool clearClipboardRetrying(Desktop& desktop);
// Puts the text on the clipboard in its plain-text format, trying up to kClipboardAttempts
// times; gives whether it was placed.
bool setClipboardTextRetrying(Desktop& desktop, const QString& text);

// The command: copies the list and shows the confirmation, also when nothing was copied.
// Failures are reported.
void copyResultsToClipboard(const ResultRows& list, Dialogs& dialogs, Desktop& desktop);

} // namespace tv
