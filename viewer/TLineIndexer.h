#pragma once
// Builds a file's line index in the background. Start scans the first block
// at once, so the first screen can be shown, and hands the rest to a worker
// thread that reads the file in blocks and appends to the index as it goes.
// Progress is signalled a few times a second; Settled is signalled once the
// worker has reached the end of the file. Waiting for a line or for the end
// is possible from any other thread.

#include <Orbalog/OrbalogExport.h>

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace Orbalog {

class TFileReader;
class TLineIndex;

class ORBALOG_EXPORT TLineIndexer : public QObject
{
    Q_OBJECT

public:
    static constexpr std::size_t BlockSize = 1024 * 1024;
    static constexpr std::size_t FirstBlockSize = 256 * 1024;

    explicit TLineIndexer(QObject *Parent = nullptr);
    ~TLineIndexer() override;

    // Clears Index and starts indexing the file Reader holds. Both must
    // outlive the run (Stop ends it).
    void Start(const TFileReader &Reader, TLineIndex &Index);
    void Stop();

    bool IsSettled() const noexcept { return FSettled.load(std::memory_order_acquire); }
    // Bytes scanned so far; past the last line end lies the unfinished tail.
    std::int64_t ScannedBytes() const noexcept { return FScanned.load(std::memory_order_acquire); }
    // The file size seen when the run settled.
    std::int64_t SettledSize() const noexcept { return FSettledSize.load(std::memory_order_acquire); }

    // Blocks until the index holds more than Line lines or the run settled.
    void WaitForLine(std::int64_t Line);
    // Blocks until the index covers byte Offset or the run settled.
    void WaitForOffset(std::int64_t Offset);
    void WaitUntilSettled();

Q_SIGNALS:
    void Progress(qint64 Lines, qint64 Bytes);
    void Settled(qint64 Lines);

private:
    bool ScanBlock(std::size_t Length); // false once the end of the file is reached
    void Run();
    void Settle();
    void Notify();

    const TFileReader *FReader = nullptr;
    TLineIndex *FIndex = nullptr;
    std::vector<char> FBuffer;
    std::vector<std::int64_t> FEnds;
    std::thread FWorker;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FSettled{true};
    std::atomic<std::int64_t> FScanned{0};
    std::atomic<std::int64_t> FSettledSize{0};
    std::mutex FWaitLock;
    std::condition_variable FWaitSignal;
};

} // namespace Orbalog
