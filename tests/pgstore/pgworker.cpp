// A counting worker for the tests, in a process of its own so that it can be killed: it records
// the sample pages of its shard into a run, and can stop at a chosen row to be killed there.
//   pgworker --database URL --run NAME --shard K/N --pages COUNT
//            [--hang-at ROW [--inside]]  print "hanging" at that row (with its words sent and
//                                        not committed when --inside) and wait to be killed
//            [--pause-after N]           print "paused" after N pages, go on after a line of input
//            [--retries R --wait-ms W]   the retry policy for a lost connection
// Prints "stored N" at the end; a store failure goes to standard error with exit status 3.
#include "pgstore/serveraddress.h"
#include "samplepages.h"

#include <QString>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

using namespace tv;

namespace {

[[noreturn]] void waitToBeKilled()
{
    std::puts("hanging");
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}

} // namespace

int main(int argc, char** argv)
{
    QString address;
    QString run;
    QString shardText = QStringLiteral("1/1");
    int pageCount = 0;
    int hangAt = 0;
    bool inside = false;
    int pauseAfter = 0;
    StoreSettings settings;
    settings.applicationName = QStringLiteral("tallyvane-test-worker");
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const auto next = [&] {
            return i + 1 < argc ? QString::fromLocal8Bit(argv[++i]) : QString();
        };
        if (arg == u"--database")
            address = next();
        else if (arg == u"--run")
            run = next();
        else if (arg == u"--shard")
            shardText = next();
        else if (arg == u"--pages")
            pageCount = next().toInt();
        else if (arg == u"--hang-at")
            hangAt = next().toInt();
        else if (arg == u"--inside")
            inside = true;
        else if (arg == u"--pause-after")
            pauseAfter = next().toInt();
        else if (arg == u"--retries")
            settings.retry.retries = next().toInt();
        else if (arg == u"--wait-ms")
            settings.retry.firstWait = std::chrono::milliseconds(next().toInt());
    }
    // Read: from here on the process list shows stars for the password.
    hidePasswordsInArguments(argc, argv);
    QString error;
    const std::optional<Shard> shard = parseShard(shardText, error);
    if (address.isEmpty() || run.isEmpty() || pageCount <= 0 || !shard) {
        std::fprintf(stderr, "pgworker: bad arguments %s\n", qPrintable(error));
        return 2;
    }
    settings.address = address;
    try {
        const std::vector<PageRecord> pages = test::samplePages(pageCount);
        PgWordStore store(settings);
        store.joinRun({run, test::sampleSites(pages), QStringLiteral("ignore case")}, *shard);
        int stored = 0;
        for (const int row : store.rowsToCount()) {
            const PageRecord& page = pages[size_t(row - 1)];
            if (row == hangAt) {
                if (inside) {
                    store.beginPage(row);
                    store.addWords(page.words);
                }
                waitToBeKilled();
            }
            stored += store.recordPage(page) == PgWordStore::Recorded::Stored;
            if (stored == pauseAfter) {
                std::puts("paused");
                std::fflush(stdout);
                std::string line;
                std::getline(std::cin, line);
            }
        }
        std::printf("stored %d\n", stored);
    } catch (const StoreError& failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.description()));
        return 3;
    }
    return 0;
}
