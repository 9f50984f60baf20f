#pragma once
// Where a long output reports how far it has got: the window's progress bar, or a recorder.
#include <QString>

namespace tv {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // 0 to 100.
    virtual void setProgressValue(double value) = 0;
    // The bar's caption.
    virtual void setProgressText(const QString& text) = 0;
};

} // namespace tv
