#include <Orbalog/TLineDecoder.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Orbalog {

namespace {

inline bool IsContinuation(unsigned char Byte) noexcept
{
    return (Byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at Data and its code point; 0 when the
// bytes there are no valid sequence (overlong forms and surrogates included).
int Utf8Sequence(const unsigned char *Data, std::size_t Available, char32_t &Code) noexcept
{
    const unsigned char lead = Data[0];
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        Code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        Code = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        Code = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (std::size_t(length) > Available || Data[1] < low || Data[1] > high)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!IsContinuation(Data[i]))
            return 0;
        Code = (Code << 6) | (Data[i] & 0x3F);
    }
    return length;
}

} // namespace

TLineDecoder::TUnit TLineDecoder::Next(const unsigned char *Data, std::size_t Available) noexcept
{
    TUnit unit;
    const unsigned char byte = Data[0];
    if (byte < 0x80) {
        unit.Text[0] = byte;
        if (byte == '\t') {
            unit.Tab = true;
            unit.Count = 0;
        } else if (byte < 0x20) {
            unit.Chars[0] = char16_t(0x2400 + byte);
        } else if (byte == 0x7F) {
            unit.Chars[0] = char16_t(0x2421);
        } else {
            unit.Chars[0] = byte;
        }
        return unit;
    }
    char32_t code = 0;
    const int length = Utf8Sequence(Data, Available, code);
    if (length == 0) {
        unit.Chars[0] = byte < 0xA0 ? char16_t(0xFFFD) : char16_t(byte);
        unit.Text[0] = unit.Chars[0];
        return unit;
    }
    unit.Bytes = length;
    if (code >= 0x10000) {
        code -= 0x10000;
        unit.Chars[0] = char16_t(0xD800 + (code >> 10));
        unit.Chars[1] = char16_t(0xDC00 + (code & 0x3FF));
        unit.Count = 2;
    } else {
        unit.Chars[0] = (code >= 0x80 && code < 0xA0) ? char16_t(0xFFFD) : char16_t(code);
    }
    unit.Text[0] = unit.Chars[0];
    unit.Text[1] = unit.Chars[1];
    unit.TextCount = unit.Count;
    return unit;
}

std::size_t TLineDecoder::Advance(const unsigned char *Data, std::size_t Length, std::size_t Available,
                                  std::int64_t &Column) noexcept
{
    std::size_t i = 0;
    while (i < Length) {
#if defined(__SSE2__)
        if (i + 16 <= Length) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(Data + i));
            const __m128i tab = _mm_cmpeq_epi8(block, _mm_set1_epi8('\t'));
            if (_mm_movemask_epi8(_mm_or_si128(block, tab)) == 0) {
                Column += 16;
                i += 16;
                continue;
            }
        }
#endif
        const TUnit unit = Next(Data + i, Available - i);
        Column += Width(unit, Column);
        i += std::size_t(unit.Bytes);
    }
    return i;
}

} // namespace Orbalog
