#include <Orbalog/TLineIndex.h>

#include <algorithm>

namespace Orbalog {

namespace {

inline std::uint64_t ReadNumber(const std::uint8_t *&Data)
{
    std::uint64_t value = *Data & 0x7F;
    int shift = 7;
    while (*Data++ & 0x80) {
        value |= std::uint64_t(*Data & 0x7F) << shift;
        shift += 7;
    }
    return value;
}

inline std::uint8_t *WriteNumber(std::uint8_t *Out, std::uint64_t Value)
{
    while (Value >= 0x80) {
        *Out++ = std::uint8_t(Value | 0x80);
        Value >>= 7;
    }
    *Out++ = std::uint8_t(Value);
    return Out;
}

} // namespace

void TLineIndex::Clear()
{
    std::lock_guard guard(FLock);
    std::vector<TBlock>().swap(FBlocks);
    std::vector<std::unique_ptr<std::uint8_t[]>>().swap(FPages);
    FPageUsed = PageSize;
    FLines.store(0, std::memory_order_release);
    FEnd.store(0, std::memory_order_release);
    FLongest.store(0, std::memory_order_relaxed);
}

void TLineIndex::OpenBlock(std::int64_t Start)
{
    if (FPageUsed + MaxBlockBytes > PageSize) {
        FPages.push_back(std::make_unique<std::uint8_t[]>(PageSize));
        FPageUsed = 0;
    }
    FBlocks.push_back({Start, std::uint32_t(FPages.size() - 1),
                       std::uint32_t(FPageUsed)});
}

void TLineIndex::Append(const std::int64_t *Ends, std::size_t Count)
{
    std::lock_guard guard(FLock);
    std::int64_t lines = FLines.load(std::memory_order_relaxed);
    std::int64_t end = FEnd.load(std::memory_order_relaxed);
    std::int64_t longest = FLongest.load(std::memory_order_relaxed);
    std::uint8_t *out = FPages.empty() ? nullptr : FPages.back().get() + FPageUsed;
    for (std::size_t i = 0; i < Count; ++i) {
        if (lines % LinesPerBlock == 0) {
            OpenBlock(end);
            out = FPages.back().get() + FPageUsed;
        }
        const std::int64_t length = Ends[i] - end;
        longest = std::max(longest, length);
        std::uint8_t *next = WriteNumber(out, std::uint64_t(length));
        FPageUsed += std::size_t(next - out);
        out = next;
        end = Ends[i];
        ++lines;
    }
    FLongest.store(longest, std::memory_order_relaxed);
    FEnd.store(end, std::memory_order_release);
    FLines.store(lines, std::memory_order_release);
}

bool TLineIndex::Range(std::int64_t Line, std::int64_t &Start, std::int64_t &Next) const
{
    if (Line < 0 || Line >= Lines())
        return false;
    std::lock_guard guard(FLock);
    const TBlock &block = FBlocks[std::size_t(Line / LinesPerBlock)];
    const std::uint8_t *data = BlockData(block);
    std::int64_t start = block.Start;
    for (std::int64_t i = Line % LinesPerBlock; i > 0; --i)
        start += std::int64_t(ReadNumber(data));
    Start = start;
    Next = start + std::int64_t(ReadNumber(data));
    return true;
}

std::int64_t TLineIndex::LineAt(std::int64_t Offset) const
{
    std::lock_guard guard(FLock);
    const std::int64_t lines = FLines.load(std::memory_order_relaxed);
    if (Offset >= FEnd.load(std::memory_order_relaxed))
        return lines;
    if (Offset <= 0)
        return 0;
    auto after = std::upper_bound(FBlocks.begin(), FBlocks.end(), Offset,
                                  [](std::int64_t value, const TBlock &block) { return value < block.Start; });
    const std::size_t blockIndex = std::size_t(after - FBlocks.begin()) - 1;
    const std::uint8_t *data = BlockData(FBlocks[blockIndex]);
    std::int64_t line = std::int64_t(blockIndex) * LinesPerBlock;
    std::int64_t start = FBlocks[blockIndex].Start;
    for (;;) {
        start += std::int64_t(ReadNumber(data));
        if (Offset < start || line + 1 >= lines)
            return line;
        ++line;
    }
}

std::size_t TLineIndex::MemoryBytes() const
{
    std::lock_guard guard(FLock);
    return FBlocks.capacity() * sizeof(TBlock) + FPages.capacity() * sizeof(FPages[0]) + FPages.size() * PageSize;
}

} // namespace Orbalog
