#pragma once
// What every benchmark shares: its "name value unit" lines, the memory of the process, timing,
// and where the page corpus lives.
#include <QString>
#include <QTextStream>
#include <functional>
#include <vector>

namespace tv::bench {

// Standard output, for the lines that are not figures (a skipped run, a page's name).
QTextStream& out();
// Prints "name value unit", the value with `decimals` places.
void figure(const QString& name, double value, const char* unit, int decimals = 3);

// Peak resident memory of the process so far, in megabytes.
double peakMegabytes();
// Bytes the heap has handed out and not taken back.
qint64 heapInUse();

// Seconds one call of `work` takes.
double secondsOf(const std::function<void()>& work);
// The least time of `rounds` calls of `work`, in seconds: a shared machine only ever adds time.
// `prepare` runs before each call, off the clock. With `budgetMs` >= 0 the rounds end early
// once three are done and that many milliseconds have gone by in all.
double bestSeconds(int rounds, const std::function<void()>& work,
                   const std::function<void()>& prepare = {}, qint64 budgetMs = -1);
// The middle value (the mean of the two middle ones for an even count); 0 for none.
double median(std::vector<double> values);

// The page corpus: TV_CORPUS, or ../shared/corpus next to the repository.
QString corpusFolder();

} // namespace tv::bench
