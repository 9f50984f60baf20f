#include "resultsfixture.h"

namespace tv::test {

void fillList(ResultsModel& list, const QStringList& captions, const QList<QStringList>& rows)
{
    list.clearRows();
    list.clearColumns();
    for (const QString& caption : captions)
        list.addColumn(caption, 1500);
    for (const QStringList& row : rows) {
        list.append(row.value(1), row.value(2), row.value(3));
        list.setChecked(list.rows(), row.value(0) == QStringLiteral("x"));
    }
}

void RecordingProgress::setProgressValue(double value)
{
    events.append({true, value, QString()});
    if (onEvent)
        onEvent();
}

void RecordingProgress::setProgressText(const QString& text)
{
    events.append({false, 0, text});
    if (onEvent)
        onEvent();
}

} // namespace tv::test
