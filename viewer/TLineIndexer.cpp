#include <Orbalog/TLineIndexer.h>

#include <Orbalog/TFileReader.h>
#include <Orbalog/TLineIndex.h>
#include <Orbalog/TLineScanner.h>

#include <algorithm>
#include <chrono>

namespace Orbalog {

TLineIndexer::TLineIndexer(QObject *Parent)
    : QObject(Parent)
{
}

TLineIndexer::~TLineIndexer()
{
    Stop();
}

void TLineIndexer::Start(const TFileReader &Reader, TLineIndex &Index)
{
    Stop();
    FReader = &Reader;
    FIndex = &Index;
    FIndex->Clear();
    FScanned.store(0, std::memory_order_release);
    FSettledSize.store(0, std::memory_order_release);
    FSettled.store(false, std::memory_order_release);
    FStop.store(false, std::memory_order_release);
    FBuffer.resize(BlockSize);
    FEnds.reserve(BlockSize / 16);
    if (!ScanBlock(FirstBlockSize)) {
        Settle();
        return;
    }
    FWorker = std::thread([this] { Run(); });
}

void TLineIndexer::Stop()
{
    FStop.store(true, std::memory_order_release);
    if (FWorker.joinable())
        FWorker.join();
    if (!IsSettled()) {
        // A stopped run counts as settled so that no waiter blocks on it.
        FSettled.store(true, std::memory_order_release);
        Notify();
    }
}

bool TLineIndexer::ScanBlock(std::size_t Length)
{
    const std::int64_t position = FScanned.load(std::memory_order_relaxed);
    const std::int64_t size = FReader->Size();
    if (position >= size)
        return false;
    const std::size_t wanted = std::size_t(std::min<std::int64_t>(std::int64_t(Length), size - position));
    const std::size_t got = FReader->ReadAt(position, FBuffer.data(), wanted);
    if (got == 0)
        return false;
    FEnds.clear();
    const std::size_t consumed = TLineScanner::Scan(FBuffer.data(), got, position, FEnds);
    FIndex->Append(FEnds.data(), FEnds.size());
    FScanned.store(position + std::int64_t(consumed), std::memory_order_release);
    Notify();
    // A CR left over as the last byte of the file stays unfinished.
    return consumed == got || position + std::int64_t(got) < size;
}

void TLineIndexer::Run()
{
    using Clock = std::chrono::steady_clock;
    auto lastReport = Clock::now();
    while (!FStop.load(std::memory_order_acquire)) {
        if (!ScanBlock(BlockSize))
            break;
        const auto now = Clock::now();
        if (now - lastReport >= std::chrono::milliseconds(100)) {
            lastReport = now;
            Q_EMIT Progress(FIndex->Lines(), FScanned.load(std::memory_order_relaxed));
        }
    }
    if (!FStop.load(std::memory_order_acquire))
        Settle();
}

void TLineIndexer::Settle()
{
    FSettledSize.store(FReader->Size(), std::memory_order_release);
    FSettled.store(true, std::memory_order_release);
    Notify();
    Q_EMIT Progress(FIndex->Lines(), FScanned.load(std::memory_order_relaxed));
    Q_EMIT Settled(FIndex->Lines());
}

void TLineIndexer::Notify()
{
    std::lock_guard guard(FWaitLock);
    FWaitSignal.notify_all();
}

void TLineIndexer::WaitForLine(std::int64_t Line)
{
    std::unique_lock guard(FWaitLock);
    FWaitSignal.wait(guard, [&] { return IsSettled() || (FIndex && FIndex->Lines() > Line); });
}

void TLineIndexer::WaitForOffset(std::int64_t Offset)
{
    std::unique_lock guard(FWaitLock);
    FWaitSignal.wait(guard, [&] { return IsSettled() || (FIndex && FIndex->End() > Offset); });
}

void TLineIndexer::WaitUntilSettled()
{
    std::unique_lock guard(FWaitLock);
    FWaitSignal.wait(guard, [&] { return IsSettled(); });
}

} // namespace Orbalog
