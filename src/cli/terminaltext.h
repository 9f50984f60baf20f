#pragma once
// Text that came from servers, pages or list files, made safe to show on a terminal: a control
// character there would move the cursor, recolour or retitle the window, or hide what was
// written, so it is shown as an escape instead (ESC as \x1b).
#include "results/controlescape.h"

#include <QString>
#include <QStringView>
#include <memory>

namespace tv {

class ResultRows;

bool hasControlCharacters(QStringView text);

// Every control character escaped: tab, line feed and carriage return as \t, \n and \r, the
// others as \xHH. The result is one line.
QString escapeControls(QStringView text);
// Lines for standard error: the same, but line feeds (the lines' own ends) and tabs stay.
QString terminalLines(QStringView text);

// The rows as seen through escapeControls (captions and cells), or nullptr when nothing in them
// needs escaping. The view reads `rows`, which must outlive it.
std::unique_ptr<ResultRows> escapedForTerminal(const ResultRows& rows);

} // namespace tv
