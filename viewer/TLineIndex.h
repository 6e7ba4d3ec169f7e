#pragma once
// The compact index of a file's line starts. Lines are kept in blocks of 128:
// a block holds the offset of its first line and, in a byte stream, each
// line's length (terminator included) as a variable-length number, so a
// typical log line costs one byte. The stream lives in fixed pages that are
// never moved, which keeps appending cheap and the memory close to the data.
//
// One thread appends while others look lines up; every operation takes the
// index's own lock for a short, bounded time.

#include <Orbalog/OrbalogExport.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Orbalog {

class ORBALOG_EXPORT TLineIndex
{
public:
    static constexpr int LinesPerBlock = 128;

    TLineIndex() = default;
    TLineIndex(const TLineIndex &) = delete;
    TLineIndex &operator=(const TLineIndex &) = delete;

    void Clear();

    // Adds the lines that end at each of Ends (the offset just past a line's
    // terminator, which is where the next line starts), in increasing order
    // and after End().
    void Append(const std::int64_t *Ends, std::size_t Count);

    // Lines whose end is known; they cover the bytes [0, End()).
    std::int64_t Lines() const noexcept { return FLines.load(std::memory_order_acquire); }
    std::int64_t End() const noexcept { return FEnd.load(std::memory_order_acquire); }
    std::int64_t LongestLine() const noexcept { return FLongest.load(std::memory_order_relaxed); }

    // The bytes [Start, Next) of a known line, its terminator included.
    // Returns false for a line that is not (yet) in the index.
    bool Range(std::int64_t Line, std::int64_t &Start, std::int64_t &Next) const;

    // The line that holds byte Offset; Lines() for an offset at or past End().
    std::int64_t LineAt(std::int64_t Offset) const;

    // Bytes the index holds in memory.
    std::size_t MemoryBytes() const;

private:
    struct TBlock
    {
        std::int64_t Start;
        std::uint32_t Page;
        std::uint32_t Position;
    };
    static constexpr std::size_t PageSize = 64 * 1024;
    static constexpr std::size_t MaxBlockBytes = LinesPerBlock * 10;

    void OpenBlock(std::int64_t Start);
    const std::uint8_t *BlockData(const TBlock &Block) const
    {
        return FPages[Block.Page].get() + Block.Position;
    }

    mutable std::mutex FLock;
    std::vector<TBlock> FBlocks;
    std::vector<std::unique_ptr<std::uint8_t[]>> FPages;
    std::size_t FPageUsed = PageSize;
    std::atomic<std::int64_t> FLines{0};
    std::atomic<std::int64_t> FEnd{0};
    std::atomic<std::int64_t> FLongest{0};
};

} // namespace Orbalog
