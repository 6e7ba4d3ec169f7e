#pragma once
// Format: printf-like formatting with the rules trace files depend on.
//
//   %[index:][-][width][.precision]type      type: d u x e f g n m p s c
//
// - A width pads with blanks, never zeros; '-' pads on the right instead.
// - A precision pads integers (d u x) with leading zeros to that many digits,
//   gives the digits after the decimal point for f n m, the significant digits
//   for e g, and the largest number of characters taken from a text for s.
// - '*' as index, width or precision takes the value from the next integer
//   argument; a negative width from '*' left-justifies.
// - 'index:' (for example %0:s) continues from the argument of that index.
// - d prints signed values, u and x the 32- or 64-bit unsigned pattern of a
//   negative one. e gives "d.dddE+ddd" (15 significant digits by default), f
//   two decimals by default, g the shorter of fixed and scientific without
//   trailing zeros ("1.5", "1E20", "1E-5"), n groups thousands, m is n after
//   the currency string. The separators come from FormatSettings(). A tie
//   rounds away from zero; all-zero digits carry no minus sign.
// - s takes text (a QString as UTF-8, whose characters are never split by a
//   precision) or a char; c takes a char. Every byte passes unchanged.
// - Hexadecimal digits are upper case; x of a negative 32-bit value shows its
//   32-bit two's complement, of a negative 64-bit value its 64 bits.
// - p prints an address as upper-case hexadecimal digits at the pointer's full
//   width (16 in a 64-bit build).
// - %% is a literal percent sign.
// An argument list that does not fit the format (a missing argument, a type
// the conversion does not take, an unknown conversion) raises EConvertError
// with a message that names the format string.
//
// Text is UTF-8 bytes throughout; QString arguments are converted to UTF-8.

#include <Orbalog/OrbalogExport.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

class QString;
class QByteArray;

namespace Orbalog {

class FormatArg
{
public:
    enum class Kind : std::uint8_t { Int, UInt, Int64, UInt64, Float, Char, Text, QText, Pointer };

    template<class T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
    constexpr FormatArg(T value) noexcept // NOLINT: implicit by design
    {
        if constexpr (std::is_signed_v<T>) {
            if constexpr (sizeof(T) <= 4) {
                FKind = Kind::Int;
            } else {
                FKind = Kind::Int64;
            }
            FInt = static_cast<std::int64_t>(value);
        } else {
            if constexpr (sizeof(T) <= 4) {
                FKind = Kind::UInt;
            } else {
                FKind = Kind::UInt64;
            }
            FUInt = static_cast<std::uint64_t>(value);
        }
    }
    FormatArg(bool) = delete; // a flag is no number: say what it should print
    constexpr FormatArg(char value) noexcept : FKind(Kind::Char), FChar(value) {}
    constexpr FormatArg(double value) noexcept : FKind(Kind::Float), FFloat(value) {}
    constexpr FormatArg(float value) noexcept : FKind(Kind::Float), FFloat(value) {}
    constexpr FormatArg(long double value) noexcept : FKind(Kind::Float), FFloat(static_cast<double>(value)) {}
    constexpr FormatArg(const char *value) noexcept
        : FKind(Kind::Text), FText(value ? std::string_view(value) : std::string_view())
    {
    }
    constexpr FormatArg(char *value) noexcept : FormatArg(static_cast<const char *>(value)) {}
    constexpr FormatArg(std::string_view value) noexcept : FKind(Kind::Text), FText(value) {}
    FormatArg(const std::string &value) noexcept : FKind(Kind::Text), FText(value) {}
    FormatArg(const QString &value) noexcept : FKind(Kind::QText), FQText(&value) {}
    ORBALOG_EXPORT FormatArg(const QByteArray &value) noexcept;
    template<class T>
        requires(!std::is_same_v<std::remove_cv_t<T>, char>)
    constexpr FormatArg(T *value) noexcept // NOLINT: any object pointer prints as an address
        : FKind(Kind::Pointer), FPointer(static_cast<const volatile void *>(value))
    {
    }
    constexpr FormatArg(std::nullptr_t) noexcept : FKind(Kind::Pointer), FPointer(nullptr) {}

    Kind kind() const noexcept { return FKind; }
    std::int64_t asInt() const noexcept { return FInt; }
    std::uint64_t asUInt() const noexcept { return FUInt; }
    double asFloat() const noexcept { return FFloat; }
    char asChar() const noexcept { return FChar; }
    std::string_view asText() const noexcept { return FText; }
    const QString &asQText() const noexcept { return *FQText; }
    const volatile void *asPointer() const noexcept { return FPointer; }

private:
    Kind FKind;
    union {
        std::int64_t FInt;
        std::uint64_t FUInt;
        double FFloat;
        char FChar;
        std::string_view FText;
        const QString *FQText;
        const volatile void *FPointer;
    };
};

using FormatArgs = std::span<const FormatArg>;

// Appends the formatted text to Out. Out keeps its capacity, so a caller that
// reuses one buffer formats without allocating. On EConvertError, Out may hold
// part of the result.
ORBALOG_EXPORT void FormatTo(std::string &Out, std::string_view Fmt, FormatArgs Args);

ORBALOG_EXPORT std::string Format(std::string_view Fmt, FormatArgs Args);

inline std::string Format(std::string_view Fmt, std::initializer_list<FormatArg> Args)
{
    return Format(Fmt, FormatArgs(Args.begin(), Args.size()));
}

} // namespace Orbalog
