#include <Orbalog/TLineScanner.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Orbalog {

namespace {

#if defined(__SSE2__)
struct TWindowMasks
{
    std::uint64_t Lf;
    std::uint64_t Cr;
};

inline std::uint64_t Bits(__m128i Block, __m128i Byte)
{
    return std::uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(Block, Byte))) & 0xFFFFu;
}

inline TWindowMasks Masks(const char *Data)
{
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Data));
    const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Data + 16));
    const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Data + 32));
    const __m128i b3 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Data + 48));
    return {Bits(b0, lf) | Bits(b1, lf) << 16 | Bits(b2, lf) << 32 | Bits(b3, lf) << 48,
            Bits(b0, cr) | Bits(b1, cr) << 16 | Bits(b2, cr) << 32 | Bits(b3, cr) << 48};
}
#endif

} // namespace

std::size_t TLineScanner::Scan(const char *Data, std::size_t Length, std::int64_t Base,
                               std::vector<std::int64_t> &Ends)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 64 <= Length; i += 64) {
        const TWindowMasks m = Masks(Data + i);
        if ((m.Lf | m.Cr) == 0)
            continue;
        // A CR directly followed by LF is no line end of its own: the LF is.
        std::uint64_t crFollowedByLf = m.Lf >> 1;
        if (m.Cr >> 63) {
            if (i + 64 == Length) {
                std::uint64_t ends = m.Lf | (m.Cr & ~crFollowedByLf & ~(std::uint64_t(1) << 63));
                for (; ends; ends &= ends - 1)
                    Ends.push_back(Base + std::int64_t(i) + __builtin_ctzll(ends) + 1);
                return Length - 1;
            }
            if (Data[i + 64] == '\n')
                crFollowedByLf |= std::uint64_t(1) << 63;
        }
        for (std::uint64_t ends = m.Lf | (m.Cr & ~crFollowedByLf); ends; ends &= ends - 1)
            Ends.push_back(Base + std::int64_t(i) + __builtin_ctzll(ends) + 1);
    }
#endif
    for (; i < Length; ++i) {
        const char c = Data[i];
        if (c == '\n') {
            Ends.push_back(Base + std::int64_t(i) + 1);
        } else if (c == '\r') {
            if (i + 1 == Length)
                return Length - 1;
            if (Data[i + 1] != '\n')
                Ends.push_back(Base + std::int64_t(i) + 1);
        }
    }
    return Length;
}

} // namespace Orbalog
