#include "benchsupport.h"

#include <QElapsedTimer>
#include <algorithm>
#include <malloc.h>
#include <sys/resource.h>

namespace tv::bench {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

void figure(const QString& name, double value, const char* unit, int decimals)
{
    // Flushed line by line, so that a benchmark that stops half-way still shows what it had.
    out() << name << ' ' << QString::number(value, 'f', decimals) << ' ' << unit << Qt::endl;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

double secondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

double bestSeconds(int rounds, const std::function<void()>& work,
                   const std::function<void()>& prepare, qint64 budgetMs)
{
    double best = 1e300;
    QElapsedTimer total;
    total.start();
    for (int round = 0; round < rounds; ++round) {
        if (prepare)
            prepare();
        best = std::min(best, secondsOf(work));
        if (budgetMs >= 0 && round >= 2 && total.elapsed() > budgetMs)
            break;
    }
    return best;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QString corpusFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("TV_CORPUS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStringLiteral(TV_SOURCE_DIR "/../shared/corpus");
}

} // namespace tv::bench
