// Records per second of the file tracer against spdlog's single-threaded
// basic file sink, writing the same records in the same run.
//
//     orbalog-bench-tracing [RECORDS]        (default 2,000,000)
//
// Also counts heap allocations on the trace path, and compares the committed
// case with one write system call per record.

#include <Orbalog/TTracing.h>

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include "../PinToOneCore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <new>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::size_t gNews = 0;

double seconds(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Result
{
    double orbalog;
    double peer;
};

// Runs both sides in turn a few times and keeps each side's best time, so a
// burst of other work on the machine does not decide a ratio.
Result bestOf(const std::function<double()> &orbalog, const std::function<double()> &peer)
{
    Result best{1e300, 1e300};
    for (int round = 0; round < 3; ++round) {
        best.orbalog = std::min(best.orbalog, orbalog());
        best.peer = std::min(best.peer, peer());
    }
    return best;
}

void print(const char *name, long records, Result r, const char *peer)
{
    std::printf("%-34s Orbalog %10.0f rec/s   %-18s %10.0f rec/s   ratio %5.2fx\n", name, records / r.orbalog, peer,
                records / r.peer, r.peer / r.orbalog);
}

std::shared_ptr<spdlog::logger> fileLogger(const std::string &path, bool flushEach)
{
    auto logger = std::make_shared<spdlog::logger>(
        "bench", std::make_shared<spdlog::sinks::basic_file_sink_st>(path, true));
    if (flushEach)
        logger->flush_on(spdlog::level::info);
    return logger;
}

template<class Record>
double traceRun(const QString &path, bool commit, long records, Record record)
{
    Orbalog::TTracing tracer;
    tracer.FileName = path;
    tracer.AlwaysCommit = commit;
    tracer.StartTrace();
    const double s = seconds([&] {
        for (long i = 0; i < records; ++i)
            record(tracer, i);
    });
    tracer.StopTrace();
    return s;
}

template<class Record>
double spdlogRun(const std::string &path, bool flushEach, long records, Record record)
{
    auto logger = fileLogger(path, flushEach);
    const double s = seconds([&] {
        for (long i = 0; i < records; ++i)
            record(*logger, i);
    });
    logger->flush();
    return s;
}

// One write(2) of a record-sized line per record: the floor for a committed record.
double writeRun(const std::string &path, long records, std::size_t length)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string line(length, 'x');
    const double s = seconds([&] {
        for (long i = 0; i < records; ++i)
            if (::write(fd, line.data(), line.size()) < 0)
                std::abort();
    });
    ::close(fd);
    return s;
}

void allocationsPerRecord(const QString &path)
{
    Orbalog::TTracing tracer;
    tracer.FileName = path;
    tracer.StartTrace();
    const std::string text(400, 't');
    for (int i = 0; i < 1000; ++i)
        tracer.Trace(1, "Hello logger: msg number %d", i); // warm up
    const std::size_t news = gNews;
    const auto heap = mallinfo2().uordblks;
    const long records = 200000;
    for (long i = 0; i < records; ++i) {
        tracer.Trace(1, "Hello logger: msg number %d", int(i));
        tracer.Trace(2, "%s", text);
    }
    std::printf("heap on the trace path: %zu operator new calls, %+lld bytes in use over %ld records\n",
                gNews - news, static_cast<long long>(mallinfo2().uordblks) - static_cast<long long>(heap),
                2 * records);
    tracer.StopTrace();
}

} // namespace

void *operator new(std::size_t size)
{
    ++gNews;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PinToOneCore();
    const long records = argc > 1 ? std::atol(argv[1]) : 2000000;
    const long committed = records / 20;
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("bench.log"));
    const std::string peer = dir.filePath(QStringLiteral("spdlog.log")).toStdString();
    const std::string text(400, 'x');
    std::printf("%ld records per buffered case, %ld per committed case; spdlog with its default pattern\n", records,
                committed);

    const Result shortRecord = bestOf(
        [&] {
            return traceRun(log, false, records,
                            [](auto &t, long i) { t.Trace(1, "Hello logger: msg number %d", int(i)); });
        },
        [&] {
            return spdlogRun(peer, false, records,
                             [](auto &l, long i) { l.info("Hello logger: msg number {}", i); });
        });
    print("short message, one integer", records, shortRecord, "spdlog basic_st");

    const Result longRecord = bestOf(
        [&] { return traceRun(log, false, records, [&](auto &t, long) { t.Trace(1, "%s", text); }); },
        [&] { return spdlogRun(peer, false, records, [&](auto &l, long) { l.info("{}", text); }); });
    print("400-byte text", records, longRecord, "spdlog basic_st");

    const auto committedTrace = [&] {
        return traceRun(log, true, committed,
                         [](auto &t, long i) { t.Trace(1, "Hello logger: msg number %d", int(i)); });
    };
    const Result commit = bestOf(committedTrace, [&] {
        return spdlogRun(peer, true, committed, [](auto &l, long i) { l.info("Hello logger: msg number {}", i); });
    });
    print("every record committed", committed, commit, "spdlog flush_on");

    // The same committed records against one write(2) of a record's length each.
    const Result floor = bestOf(committedTrace, [&] { return writeRun(peer, committed, 41); });
    std::printf("%-34s Orbalog %8.3f us/rec   one write(2)       %8.3f us/rec   ratio %5.2fx\n",
                "committed record vs write(2)", floor.orbalog / committed * 1e6, floor.peer / committed * 1e6,
                floor.orbalog / floor.peer);
    allocationsPerRecord(log);
    return 0;
}
