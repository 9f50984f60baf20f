#pragma once
// Shared pieces of the results-output tests: lists built from short tables, and recorders for
// the busy mark and the progress bar.
#include "platform/pointer.h"
#include "platform/progresssink.h"
#include "results/resultsmodel.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace tv::test {

// Each row is "x" (ticked) or "-" (not ticked) followed by its cells.
void fillList(ResultsModel& list, const QStringList& captions, const QList<QStringList>& rows);

class RecordingPointer : public Pointer {
public:
    int pointerMode() const override { return m_mode; }
    void setPointerMode(int mode) override
    {
        m_mode = mode;
        modes << mode;
    }
    QList<int> modes; // every mode set, in order

private:
    int m_mode = PointerDefault;
};

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
