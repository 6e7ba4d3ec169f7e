#pragma once
// Building blocks of the lines tracers write: blank-padded numbers, separator
// lines, cuts. Internal to the engine.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace Orbalog::TraceLines {

inline constexpr std::string_view LogSeparatorPrefix = "------  ";
inline constexpr std::string_view ErrorSeparatorPrefix = "------ ------ ";
inline constexpr std::string_view SeparatorSuffix = " ------";
// Fixed parts of a log separator line and of a log record prefix, as counted
// by the size estimate.
inline constexpr int SeparatorOverhead = 15;
inline constexpr int RecordOverhead = 8;

// Value in decimal, right-aligned in Width columns with blanks.
inline void AppendNumber(std::string &Out, std::int32_t Value, std::size_t Width)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    if (length < Width)
        Out.append(Width - length, ' ');
    Out.append(digits, length);
}

// Value in upper-case hexadecimal, right-aligned in Width columns with blanks.
inline void AppendHex(std::string &Out, std::uint32_t Value, std::size_t Width)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    char digits[8];
    std::size_t length = 0;
    do {
        digits[7 - length++] = hex[Value & 15u];
        Value >>= 4;
    } while (Value != 0);
    if (length < Width)
        Out.append(Width - length, ' ');
    Out.append(digits + 8 - length, length);
}

inline void Separator(std::string &Out, std::string_view Prefix, std::string_view DateTime)
{
    Out.assign(Prefix);
    Out += DateTime;
    Out += SeparatorSuffix;
}

// "%6d  ", the prefix of a log record, into a small buffer of its own.
struct RecordPrefix
{
    char Text[24];
    std::size_t Length;

    explicit RecordPrefix(std::int32_t Number)
    {
        char digits[16];
        const auto length = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, Number).ptr - digits);
        const std::size_t pad = length < 6 ? 6 - length : 0;
        for (std::size_t i = 0; i < pad; ++i)
            Text[i] = ' ';
        for (std::size_t i = 0; i < length; ++i)
            Text[pad + i] = digits[i];
        Text[pad + length] = ' ';
        Text[pad + length + 1] = ' ';
        Length = pad + length + 2;
    }
    std::string_view View() const { return {Text, Length}; }
};

// "%6d  " and the message: a log record (and a displayed one).
inline void RecordLine(std::string &Out, std::int32_t Number, std::string_view Message)
{
    Out.assign(RecordPrefix(Number).View());
    Out += Message;
}

// "%6d:%6d " and the message: an error-file record.
inline void ErrorRecordLine(std::string &Out, std::int32_t ErrorLine, std::int32_t Record, std::string_view Message)
{
    Out.clear();
    AppendNumber(Out, ErrorLine, 6);
    Out += ':';
    AppendNumber(Out, Record, 6);
    Out += ' ';
    Out += Message;
}

inline void CutTo(std::string &Line, std::size_t Length)
{
    if (Line.size() > Length)
        Line.resize(Length);
}

// The same, but never through the middle of a UTF-8 sequence, so a long
// caption or buffer name does not leave a broken character at the end.
inline void CutTextTo(std::string &Line, std::size_t Length)
{
    if (Line.size() <= Length)
        return;
    std::size_t cut = Length;
    const auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(Line[i]) & 0xC0u) == 0x80u; };
    std::size_t back = 0;
    while (cut > 0 && continuation(cut) && back < 3) {
        --cut;
        ++back;
    }
    if (back == 3 && continuation(cut))
        cut = Length; // not UTF-8 after all: cut where asked
    Line.resize(cut);
}

} // namespace Orbalog::TraceLines
