#include <Orbalog/TTextSearch.h>

#include <Orbalog/TFileReader.h>

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Orbalog {

namespace {

inline unsigned char Fold(unsigned char Byte) noexcept
{
    return (Byte >= 'A' && Byte <= 'Z') ? Byte | 0x20 : Byte;
}

inline bool IsLetter(unsigned char Byte) noexcept
{
    return Fold(Byte) >= 'a' && Fold(Byte) <= 'z';
}

// How often a byte turns up in typical log text; the search anchors on the
// pattern's least common bytes.
int Commonness(unsigned char Byte) noexcept
{
    if (Byte == ' ')
        return 255;
    if (Byte >= '0' && Byte <= '9')
        return 190;
    if (std::strchr("etaoinsrhldcu", Byte) && Byte)
        return 200;
    if (Byte >= 'a' && Byte <= 'z')
        return 150;
    if (std::strchr("-:./,", Byte) && Byte)
        return 170;
    if (Byte >= 'A' && Byte <= 'Z')
        return 100;
    if (Byte == '\t')
        return 120;
    if (Byte >= 0x80)
        return 40;
    return 60;
}

} // namespace

bool TTextSearch::IsWordByte(unsigned char Byte) noexcept
{
    return Byte >= 0x80 || Byte == '_' || (Byte >= '0' && Byte <= '9') || IsLetter(Byte);
}

TTextSearch::TTextSearch(std::string Pattern, bool MatchCase, bool WholeWord)
    : FPattern(std::move(Pattern))
    , FMatchCase(MatchCase)
    , FWholeWord(WholeWord)
{
    FFolded = FPattern;
    if (!FMatchCase)
        std::transform(FFolded.begin(), FFolded.end(), FFolded.begin(),
                       [](char c) { return char(Fold(static_cast<unsigned char>(c))); });
    auto score = [&](std::size_t i) {
        const unsigned char c = static_cast<unsigned char>(FFolded[i]);
        return Commonness(c);
    };
    for (std::size_t i = 1; i < FFolded.size(); ++i)
        if (score(i) < score(FRare1))
            FRare1 = i;
    FRare2 = FRare1;
    for (std::size_t i = 0; i < FFolded.size(); ++i)
        if (i != FRare1 && (FRare2 == FRare1 || score(i) < score(FRare2)))
            FRare2 = i;
}

bool TTextSearch::Matches(const unsigned char *Data, std::size_t Length, std::size_t At) const
{
    const std::size_t n = FPattern.size();
    if (FMatchCase) {
        if (std::memcmp(Data + At, FPattern.data(), n) != 0)
            return false;
    } else {
        const auto *pattern = reinterpret_cast<const unsigned char *>(FFolded.data());
        for (std::size_t k = 0; k < n; ++k)
            if (Fold(Data[At + k]) != pattern[k])
                return false;
    }
    if (!FWholeWord)
        return true;
    if (At > 0 && IsWordByte(Data[At - 1]))
        return false;
    return At + n >= Length || !IsWordByte(Data[At + n]);
}

std::int64_t TTextSearch::FindIn(const char *Data, std::size_t Length, std::size_t First, std::size_t Limit,
                                 bool Last) const
{
    const std::size_t n = FPattern.size();
    if (n == 0 || Length < n)
        return -1;
    Limit = std::min(Limit, Length - n + 1);
    const auto *data = reinterpret_cast<const unsigned char *>(Data);
    std::int64_t hit = -1;
    std::size_t i = First;
#if defined(__SSE2__)
    const unsigned char c1 = static_cast<unsigned char>(FFolded[FRare1]);
    const unsigned char c2 = static_cast<unsigned char>(FFolded[FRare2]);
    const __m128i want1 = _mm_set1_epi8(char(c1));
    const __m128i want2 = _mm_set1_epi8(char(c2));
    // Setting bit 5 folds exactly the two cases of a letter together.
    const __m128i fold1 = _mm_set1_epi8(!FMatchCase && IsLetter(c1) ? 0x20 : 0);
    const __m128i fold2 = _mm_set1_epi8(!FMatchCase && IsLetter(c2) ? 0x20 : 0);
    for (; i + 16 <= Limit; i += 16) {
        const __m128i x = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + FRare1)), fold1);
        const __m128i y = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + FRare2)), fold2);
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, want1), _mm_cmpeq_epi8(y, want2))));
        for (; mask; mask &= mask - 1) {
            const std::size_t at = i + std::size_t(__builtin_ctz(mask));
            if (Matches(data, Length, at)) {
                if (!Last)
                    return std::int64_t(at);
                hit = std::int64_t(at);
            }
        }
    }
#endif
    for (; i < Limit; ++i)
        if (Matches(data, Length, i)) {
            if (!Last)
                return std::int64_t(i);
            hit = std::int64_t(i);
        }
    return hit;
}

std::int64_t TTextSearch::FindInBlock(const TFileReader &Reader, std::int64_t Low, std::int64_t High, bool Last)
{
    // One byte before and the pattern's length after the block come along,
    // for hits that reach past its end and for the whole-word test.
    const std::size_t n = FPattern.size();
    const std::int64_t base = Low > 0 ? Low - 1 : 0;
    const std::size_t wanted = std::size_t(High - base) + n;
    if (FBuffer.size() < wanted)
        FBuffer.resize(std::max(wanted, BlockSize + n + 1));
    const std::size_t got = Reader.ReadAt(base, FBuffer.data(), wanted);
    const std::int64_t at = FindIn(FBuffer.data(), got, std::size_t(Low - base), std::size_t(High - base), Last);
    return at < 0 ? -1 : base + at;
}

std::int64_t TTextSearch::FindForward(const TFileReader &Reader, std::int64_t From, std::int64_t To)
{
    for (std::int64_t low = std::max<std::int64_t>(From, 0); low < To; low += std::int64_t(BlockSize)) {
        const std::int64_t at = FindInBlock(Reader, low, std::min(To, low + std::int64_t(BlockSize)), false);
        if (at >= 0)
            return at;
    }
    return -1;
}

std::int64_t TTextSearch::FindBackward(const TFileReader &Reader, std::int64_t From, std::int64_t Before)
{
    From = std::max<std::int64_t>(From, 0);
    for (std::int64_t high = Before; high > From; high -= std::int64_t(BlockSize)) {
        const std::int64_t at = FindInBlock(Reader, std::max(From, high - std::int64_t(BlockSize)), high, true);
        if (at >= 0)
            return at;
    }
    return -1;
}

} // namespace Orbalog
