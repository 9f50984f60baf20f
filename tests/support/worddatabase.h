#pragma once
// Word databases for tests: the shape of the template the program copies (one table tbWords
// with one text column Word), made in a folder of the test's own.
#include <QString>
#include <QStringList>

namespace tv::test {

// Creates `folder`/`name` with an empty tbWords (plus `extraSql`, run after it); returns the path.
QString makeWordDatabase(const QString& folder, const QString& name = QStringLiteral("dbData.mdb"),
                         const QStringList& extraSql = {});
// The words stored in tbWords, in row order.
QStringList storedWords(const QString& path);

} // namespace tv::test
