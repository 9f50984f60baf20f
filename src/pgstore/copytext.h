#pragma once
// Rows for COPY FROM STDIN in its text format: one line per row, fields separated by tabs, and in
// a field a backslash, tab, line feed or carriage return written as \\, \t, \n or \r. Nothing
// else needs escaping, so a word can never end its row or turn into COPY's null marker (\N) or
// end-of-data marker (\.).
#include <QByteArray>
#include <QStringView>

namespace tv {

// Appends `text` as one field, in UTF-8. PostgreSQL's text holds no NUL and only valid UTF-8, so
// a NUL and an unpaired surrogate become U+FFFD. (The database method's 255-character cut can
// leave half a pair at a word's end; read back from its SQLite table it shows as U+FFFD too.)
void appendCopyField(QByteArray& out, QStringView text);

// The same rules for a whole value passed as a bound parameter: valid UTF-8 without NUL.
QByteArray parameterText(QStringView text);

} // namespace tv
