// Which download starts next: list order, the run's and each host's limits, urgent downloads,
// and the pause of the byte budget.
#include "fetch/downloadqueue.h"
#include "support/testenv.h"

#include <QCoreApplication>

namespace {

// Every download that may start now, in the order they start.
QList<quint64> takeAll(tv::DownloadQueue& queue, bool paused = false)
{
    QList<quint64> ids;
    while (const auto id = queue.takeNext(paused))
        ids << *id;
    return ids;
}

} // namespace

class TestDownloadQueue : public QObject {
    Q_OBJECT
private slots:
    void listOrderAcrossHosts();
    void hostLimitLetsOtherHostsThrough();
    void runLimit();
    void urgentGoesFirstPastFullOrPausedRun();
    void urgentStillKeepsTheHostLimit();
    void pausedRunStartsNothingAhead();
    void removedDownloadNeverStarts();
};

void TestDownloadQueue::listOrderAcrossHosts()
{
    tv::DownloadQueue queue(10, 6);
    queue.add(1, "c", 30);
    queue.add(2, "a", 10);
    queue.add(3, "b", 20);
    queue.add(4, "a", 5);
    QCOMPARE(takeAll(queue), (QList<quint64>{4, 2, 3, 1}));
    QCOMPARE(queue.running(), 4);
    QCOMPARE(queue.runningOn("a"), 2);
}

void TestDownloadQueue::hostLimitLetsOtherHostsThrough()
{
    tv::DownloadQueue queue(10, 2);
    for (quint64 id = 1; id <= 4; ++id)
        queue.add(id, "slow", qint64(id));
    queue.add(5, "other", 5);
    QCOMPARE(takeAll(queue), (QList<quint64>{1, 2, 5}));
    QCOMPARE(queue.runningOn("slow"), 2);
    queue.finished(5);
    QCOMPARE(takeAll(queue), QList<quint64>{});
    queue.finished(2);
    QCOMPARE(takeAll(queue), QList<quint64>{3});
    queue.finished(1);
    QCOMPARE(takeAll(queue), QList<quint64>{4});
    QCOMPARE(queue.queued(), 0);
}

void TestDownloadQueue::runLimit()
{
    tv::DownloadQueue queue(2, 6);
    for (quint64 id = 1; id <= 5; ++id)
        queue.add(id, QStringLiteral("h%1").arg(id), qint64(id));
    QCOMPARE(takeAll(queue), (QList<quint64>{1, 2}));
    queue.finished(1);
    QCOMPARE(takeAll(queue), QList<quint64>{3});
    queue.finished(2);
    queue.finished(3);
    QCOMPARE(takeAll(queue), (QList<quint64>{4, 5}));
}

void TestDownloadQueue::urgentGoesFirstPastFullOrPausedRun()
{
    tv::DownloadQueue queue(1, 6);
    queue.add(1, "a", 1);
    queue.add(2, "b", 2);
    queue.add(3, "c", 3);
    QCOMPARE(takeAll(queue), QList<quint64>{1});
    // The run ahead is full and paused, yet the page waited for starts.
    queue.makeUrgent(3);
    QCOMPARE(takeAll(queue, true), QList<quint64>{3});
    QCOMPARE(queue.running(), 2);
    queue.finished(1);
    queue.finished(3);
    QCOMPARE(takeAll(queue), QList<quint64>{2});
}

void TestDownloadQueue::urgentStillKeepsTheHostLimit()
{
    tv::DownloadQueue queue(10, 1);
    queue.add(1, "a", 1);
    queue.add(2, "a", 2);
    QCOMPARE(takeAll(queue), QList<quint64>{1});
    queue.makeUrgent(2);
    QCOMPARE(takeAll(queue), QList<quint64>{});
    queue.finished(1);
    QCOMPARE(takeAll(queue, true), QList<quint64>{2});
}

void TestDownloadQueue::pausedRunStartsNothingAhead()
{
    tv::DownloadQueue queue(10, 6);
    queue.add(1, "a", 1);
    queue.add(2, "b", 2);
    QCOMPARE(takeAll(queue, true), QList<quint64>{});
    QCOMPARE(takeAll(queue, false), (QList<quint64>{1, 2}));
}

void TestDownloadQueue::removedDownloadNeverStarts()
{
    tv::DownloadQueue queue(10, 1);
    queue.add(1, "a", 1);
    queue.add(2, "a", 2);
    queue.add(3, "a", 3);
    queue.remove(1);
    queue.makeUrgent(3);
    queue.remove(3);
    QVERIFY(!queue.isQueued(1));
    QCOMPARE(takeAll(queue), QList<quint64>{2});
    queue.finished(2);
    QCOMPARE(takeAll(queue), QList<quint64>{});
    QCOMPARE(queue.running(), 0);
}

TV_TEST_MAIN(TestDownloadQueue, QCoreApplication)
#include "test_downloadqueue.moc"
