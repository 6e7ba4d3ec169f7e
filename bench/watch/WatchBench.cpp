// Records per second of a visible watch tracer that shows and logs every
// record, against the file tracer alone writing the same records and against a
// QPlainTextEdit keeping the last 100 lines through appendPlainText.
//
//     QT_QPA_PLATFORM=offscreen orbalog-bench-watch [RECORDS]    (default 1,000,000)
//
// The event loop runs between bursts of records, as in an application that
// traces a burst and returns to its loop. The control repaints at most once per
// turn and some sixty times a second, so the cost of a paint (some 100 us for
// a screen of text in the software rasterizer) is shared by the records of the
// bursts in between. The figures are given for bursts of 1000 and 10,000
// records; memory in use is reported after the runs.

#include <Orbalog/TTracing.h>
#include <Orbalog/TWatchTracing.h>

#include "../PinToOneCore.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <malloc.h>

namespace {

long Burst = 1000;

double seconds(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long long heapInUse()
{
    return static_cast<long long>(mallinfo2().uordblks);
}

double watchRun(const QString &path, long records, long long &heapGrowth)
{
    Orbalog::TWatchTracing watch;
    watch.resize(640, 400);
    watch.show();
    watch.FileName = path;
    watch.SetTraceLevel(1);
    watch.SetWatchLevel(1);
    watch.LinesStored = 100;
    watch.StartTrace();
    QApplication::processEvents();
    const long long before = heapInUse();
    const double s = seconds([&] {
        for (long i = 0; i < records; ++i) {
            watch.Trace(1, "Hello logger: msg number %d", int(i));
            if (i % Burst == Burst - 1)
                QApplication::processEvents();
        }
        QApplication::processEvents();
    });
    heapGrowth = heapInUse() - before;
    watch.StopTrace();
    return s;
}

double fileRun(const QString &path, long records)
{
    Orbalog::TTracing tracer;
    tracer.FileName = path;
    tracer.StartTrace();
    const double s = seconds([&] {
        for (long i = 0; i < records; ++i)
            tracer.Trace(1, "Hello logger: msg number %d", int(i));
    });
    tracer.StopTrace();
    return s;
}

double plainTextRun(long records)
{
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.setMaximumBlockCount(100);
    edit.resize(640, 400);
    edit.show();
    QApplication::processEvents();
    return seconds([&] {
        for (long i = 0; i < records; ++i) {
            edit.appendPlainText(QStringLiteral("%1  Hello logger: msg number %2").arg(i, 6).arg(i));
            if (i % Burst == Burst - 1)
                QApplication::processEvents();
        }
        QApplication::processEvents();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    PinToOneCore();
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    const long plainRecords = std::max(1000L, records / 50);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("watch.log"));

    long long growth = 0, smallGrowth = 0;
    for (long burst : {1000L, 10000L}) {
        Burst = burst;
        double watch = 1e300, file = 1e300, plain = 1e300;
        for (int round = 0; round < 3; ++round) {
            long long g = 0;
            watch = std::min(watch, watchRun(log, records, g));
            growth = std::max(growth, g);
            file = std::min(file, fileRun(log, records));
            plain = std::min(plain, plainTextRun(plainRecords));
        }
        const double watchRate = records / watch, fileRate = records / file, plainRate = plainRecords / plain;
        std::printf("event loop every %ld records:\n", burst);
        std::printf("  watch tracer, shown and logged %10.0f rec/s\n", watchRate);
        std::printf("  file tracer alone              %10.0f rec/s   watch/file  %6.2fx (target >= 0.5)\n",
                    fileRate, watchRate / fileRate);
        std::printf("  QPlainTextEdit, 100 blocks     %10.0f lines/s watch/plain %6.1fx (target >= 50)\n",
                    plainRate, watchRate / plainRate);
    }
    watchRun(log, records / 10, smallGrowth);
    std::printf("heap growth over a run: %lld bytes for %ld records, %lld bytes for %ld records\n", growth, records,
                smallGrowth, records / 10);
    return 0;
}
