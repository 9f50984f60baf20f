#pragma once
// Handing control to the window system from inside long loops.
#include <chrono>

namespace tv {

// Processes pending events, but at most once per interval of work (about 15 ms), so that a
// per-word call costs nothing measurable while the window stays responsive.
void yieldToWindow();
// Processes pending events now, whatever the interval.
void yieldNow();
// For tests and benchmarks: the least time between two batches of event processing.
void setYieldInterval(std::chrono::milliseconds interval);

} // namespace tv
