#pragma once
// A literal byte search through a file, forward or backward, optionally
// ignoring the case of ASCII letters and optionally accepting only hits that
// stand as whole words (no letter, digit, '_' or non-ASCII byte right before
// or after). The scan looks for the pattern's two rarest bytes at their
// distance 16 positions at a time and checks the few candidates in full.

#include <Orbalog/OrbalogExport.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Orbalog {

class TFileReader;

class ORBALOG_EXPORT TTextSearch
{
public:
    static constexpr std::size_t BlockSize = 1024 * 1024;

    TTextSearch(std::string Pattern, bool MatchCase, bool WholeWord);

    const std::string &Pattern() const noexcept { return FPattern; }

    // The first hit that starts in [From, To), or -1.
    std::int64_t FindForward(const TFileReader &Reader, std::int64_t From, std::int64_t To);
    // The last hit that starts in [From, Before), or -1.
    std::int64_t FindBackward(const TFileReader &Reader, std::int64_t From, std::int64_t Before);

    // The first (or, with Last, the last) hit in Data that starts in
    // [First, Limit). Bytes outside Data count as the edge of the text.
    std::int64_t FindIn(const char *Data, std::size_t Length, std::size_t First, std::size_t Limit, bool Last) const;

    static bool IsWordByte(unsigned char Byte) noexcept;

private:
    bool Matches(const unsigned char *Data, std::size_t Length, std::size_t At) const;
    std::int64_t FindInBlock(const TFileReader &Reader, std::int64_t Low, std::int64_t High, bool Last);

    std::string FPattern;
    std::string FFolded;
    bool FMatchCase;
    bool FWholeWord;
    std::size_t FRare1 = 0;
    std::size_t FRare2 = 0;
    std::vector<char> FBuffer;
};

} // namespace Orbalog
