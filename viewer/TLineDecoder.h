#pragma once
// Turns the bytes of a line into what the viewer shows. Valid UTF-8 shows as
// its characters; any other byte shows as its Latin-1 character (the C1 range
// 0x80..0x9F, which has no visible form, as U+FFFD). A tab advances to the
// next multiple of eight columns; NUL, the other control bytes and DEL show as
// their control pictures (U+2400..U+2421). Every character shown takes one
// column, counted in UTF-16 units.

#include <Orbalog/OrbalogExport.h>

#include <cstddef>
#include <cstdint>

namespace Orbalog {

class ORBALOG_EXPORT TLineDecoder
{
public:
    static constexpr int TabWidth = 8;
    static constexpr std::size_t MaxUnitBytes = 4;

    // One source unit: a byte or a UTF-8 sequence, and what it shows.
    struct TUnit
    {
        int Bytes = 1;
        int Count = 1;         // characters in Chars (0 for a tab)
        char16_t Chars[2] = {}; // the characters shown
        bool Tab = false;
        char16_t Text[2] = {}; // the text the unit stands for when copied
        int TextCount = 1;
    };

    // Decodes the unit at Data; Available bytes are readable from there (at
    // least 1). A UTF-8 sequence cut by the end of Available is invalid.
    static TUnit Next(const unsigned char *Data, std::size_t Available) noexcept;

    // Moves Column over the units that start in Data[0, Length) (Available
    // bytes are readable) and returns the bytes they take. Runs of plain
    // ASCII go 16 bytes at a time.
    static std::size_t Advance(const unsigned char *Data, std::size_t Length, std::size_t Available,
                               std::int64_t &Column) noexcept;

    // Columns the unit takes when it starts at Column.
    static std::int64_t Width(const TUnit &Unit, std::int64_t Column) noexcept
    {
        return Unit.Tab ? TabWidth - Column % TabWidth : Unit.Count;
    }
};

} // namespace Orbalog
