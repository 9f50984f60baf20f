#pragma once
// Shared pieces of the results-output tests: lists built from short tables, and a recorder for
// the progress bar.
#include "platform/progresssink.h"
#include "results/resultsmodel.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace tv::test {

// Each row is "x" (ticked) or "-" (not ticked) followed by its cells.
void fillList(ResultsModel& list, const QStringList& captions, const QList<QStringList>& rows);

struct ProgressEvent {
    bool isValue = false;
    double value = 0;
    QString text;
};

class RecordingProgress : public ProgressSink {
public:
    void setProgressValue(double value) override;
    void setProgressText(const QString& text) override;

    QList<ProgressEvent> events;
    // Called on every event, e.g. to look at the busy mark while the bar moves.
    std::function<void()> onEvent;
};

} // namespace tv::test
