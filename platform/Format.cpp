#include <Orbalog/Format.h>

#include <Orbalog/DateTime.h>
#include <Orbalog/Exception.h>

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Floating-point values are rounded from their exact binary value; a value
// lying exactly halfway between two results rounds away from zero (2.25 with
// one decimal gives 2.3, 0.5 with none gives 1), as a person rounding the
// printed digits would. A result whose digits are all zero never carries a
// minus sign ("%.2f" of -0.001 gives 0.00). Float precisions above 18 count as
// 18, the most digits a trace line has any use for.

namespace Orbalog {

FormatArg::FormatArg(const QByteArray &value) noexcept
    : FKind(Kind::Text)
    , FText(value.constData(), static_cast<std::size_t>(value.size()))
{
}

namespace {

using Kind = FormatArg::Kind;

constexpr int MaxFloatDigits = 18;

struct Spec
{
    std::size_t Width = 0;
    int Precision = -1; // none
    bool Left = false;
};

bool IsDigit(char C)
{
    return C >= '0' && C <= '9';
}

bool IsInteger(Kind K)
{
    return K == Kind::Int || K == Kind::UInt || K == Kind::Int64 || K == Kind::UInt64;
}

// Hexadecimal or decimal digits of Value into Buf (at least 20 bytes), upper case.
std::string_view Digits(char *Buf, std::uint64_t Value, int Base)
{
    char *end = std::to_chars(Buf, Buf + 20, Value, Base).ptr;
    if (Base == 16) {
        for (char *p = Buf; p != end; ++p) {
            if (*p >= 'a') {
                *p = static_cast<char>(*p - 'a' + 'A');
            }
        }
    }
    return {Buf, static_cast<std::size_t>(end - Buf)};
}

// ---- Floating point -------------------------------------------------------

// True when X (positive, finite) lies exactly halfway between two multiples
// of 10^R, so that rounding to that unit is a tie. With X = M * 2^E and M odd,
// 2X / 10^R is an odd integer exactly when E = R - 1 and, for R > 0, 5^R
// divides M.
bool IsHalfway(double X, int R)
{
    int exponent = 0;
    const double fraction = std::frexp(X, &exponent);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int zeros = std::countr_zero(mantissa);
    mantissa >>= zeros;
    if (exponent - 53 + zeros != R - 1) {
        return false;
    }
    for (int i = 0; i < R; ++i) {
        if (mantissa % 5 != 0) {
            return false;
        }
        mantissa /= 5;
    }
    return true;
}

// Adds one unit in the last digit of the digits in [First, Last), skipping a
// decimal point. Returns false when the carry ran out of digits (all nines),
// which the caller settles by a leading 1.
bool Increment(char *First, char *Last)
{
    for (char *p = Last; p != First;) {
        --p;
        if (*p == '.') {
            continue;
        }
        if (*p != '9') {
            ++*p;
            return true;
        }
        *p = '0';
    }
    return false;
}

// Significant digits of a value and the decimal exponent of the first.
struct Scientific
{
    char Digits[MaxFloatDigits + 2];
    int Count = 0;
    int Exponent = 0;
};

Scientific ParseScientific(double X, int Count)
{
    char buf[64];
    const char *end = std::to_chars(buf, buf + sizeof buf, X, std::chars_format::scientific, Count - 1).ptr;
    Scientific result;
    const char *p = buf;
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            result.Digits[result.Count++] = *p;
        }
    }
    std::from_chars(p[1] == '+' ? p + 2 : p + 1, end, result.Exponent);
    return result;
}

// X (not negative, finite) rounded to Count significant digits.
Scientific ToScientific(double X, int Count)
{
    Scientific longer = ParseScientific(X, Count + 1);
    if (X == 0 || longer.Digits[Count] != '5' || !IsHalfway(X, longer.Exponent - (Count - 1))) {
        return ParseScientific(X, Count);
    }
    longer.Count = Count; // the longer form is exact: round its tie upwards
    if (!Increment(longer.Digits, longer.Digits + Count)) {
        longer.Digits[0] = '1';
        ++longer.Exponent;
    }
    return longer;
}

// X (not negative, finite) with Decimals digits after a '.', written into
// Buf (one byte before the digits stays free for a carry into a new digit).
std::string_view ToFixed(double X, int Decimals, char *Buf, std::size_t Size)
{
    char *first = Buf + 1;
    if (X == 0 || !IsHalfway(X, -Decimals)) {
        const char *last = std::to_chars(first, Buf + Size, X, std::chars_format::fixed, Decimals).ptr;
        return {first, static_cast<std::size_t>(last - first)};
    }
    // One digit more is exact and ends in the 5 of the tie: drop it and round up.
    char *last = std::to_chars(first, Buf + Size, X, std::chars_format::fixed, Decimals + 1).ptr;
    last -= Decimals == 0 ? 2 : 1;
    if (!Increment(first, last)) {
        *--first = '1';
    }
    return {first, static_cast<std::size_t>(last - first)};
}

bool AllZero(std::string_view Text)
{
    for (char c : Text) {
        if (c >= '1' && c <= '9') {
            return false;
        }
    }
    return true;
}

// ---- The formatter ----------------------------------------------------------

class Formatter
{
public:
    Formatter(std::string &Out, std::string_view Fmt, FormatArgs Args)
        : FOut(Out)
        , FFmt(Fmt)
        , FArgs(Args)
    {
    }

    void Run();

private:
    [[noreturn]] void Fail() const;
    char Peek() const { return FPos < FFmt.size() ? FFmt[FPos] : '\0'; }
    bool AtCount() const { return IsDigit(Peek()) || Peek() == '*'; }
    const FormatArg &NextArg();
    int ReadCount();
    void SetWidth(Spec &S, int Width);
    void Conversion();
    void Convert(char Type, const Spec &S);

    void Emit(const Spec &S, std::string_view Sign, std::string_view Prefix, std::size_t Zeros,
              std::string_view Body);
    void Emit(const Spec &S, std::string_view Body) { Emit(S, {}, {}, 0, Body); }

    void Integer(char Type, const Spec &S);
    void Text(const Spec &S);
    void QText(const Spec &S, const QString &Value);
    void Char(const Spec &S);
    void Pointer(const Spec &S);
    void Float(char Type, const Spec &S);
    void Exponent(const Spec &S, std::string_view Sign, double Value);
    void General(const Spec &S, std::string_view Sign, double Value);
    void Fixed(char Type, const Spec &S, std::string_view Sign, double Value);

    std::string &FOut;
    std::string_view FFmt;
    FormatArgs FArgs;
    std::size_t FPos = 0;
    std::size_t FNextArg = 0;
};

void Formatter::Fail() const
{
    std::string message = "Format '";
    message.append(FFmt);
    message += "' invalid or incompatible with argument";
    throw EConvertError(std::move(message));
}

void Formatter::Run()
{
    while (FPos < FFmt.size()) {
        const char *start = FFmt.data() + FPos;
        const auto *percent = static_cast<const char *>(std::memchr(start, '%', FFmt.size() - FPos));
        if (percent == nullptr) {
            FOut.append(start, FFmt.size() - FPos);
            return;
        }
        FOut.append(start, static_cast<std::size_t>(percent - start));
        FPos = static_cast<std::size_t>(percent - FFmt.data()) + 1;
        Conversion();
    }
}

const FormatArg &Formatter::NextArg()
{
    if (FNextArg >= FArgs.size()) {
        Fail();
    }
    return FArgs[FNextArg++];
}

// Digits, or '*' taking an integer argument (which may be negative).
int Formatter::ReadCount()
{
    if (Peek() == '*') {
        ++FPos;
        const FormatArg &arg = NextArg();
        const bool isSigned = arg.kind() == Kind::Int || arg.kind() == Kind::Int64;
        if (!IsInteger(arg.kind()) || (isSigned && (arg.asInt() > INT_MAX || arg.asInt() < -INT_MAX))
            || (!isSigned && arg.asUInt() > INT_MAX)) {
            Fail();
        }
        return isSigned ? static_cast<int>(arg.asInt()) : static_cast<int>(arg.asUInt());
    }
    int value = 0;
    for (; IsDigit(Peek()); ++FPos) {
        value = value > (INT_MAX - 9) / 10 ? INT_MAX : value * 10 + (Peek() - '0');
    }
    return value;
}

// A negative width (from '*') left-justifies.
void Formatter::SetWidth(Spec &S, int Width)
{
    S.Left = S.Left || Width < 0;
    S.Width = static_cast<std::size_t>(Width < 0 ? -Width : Width);
}

// Reads "[index:][-][width][.precision]type" after a '%' and converts.
void Formatter::Conversion()
{
    if (Peek() == '%') {
        FOut += '%';
        ++FPos;
        return;
    }
    Spec spec;
    bool haveWidth = false;
    if (AtCount()) {
        const int count = ReadCount();
        if (Peek() == ':') {
            ++FPos;
            if (count < 0 || static_cast<std::size_t>(count) >= FArgs.size()) {
                Fail();
            }
            FNextArg = static_cast<std::size_t>(count);
        } else {
            SetWidth(spec, count);
            haveWidth = true;
        }
    }
    if (!haveWidth) {
        if (Peek() == '-') {
            spec.Left = true;
            ++FPos;
        }
        if (AtCount()) {
            SetWidth(spec, ReadCount());
        }
    }
    if (Peek() == '.') {
        ++FPos;
        spec.Precision = AtCount() ? ReadCount() : 0;
        spec.Precision = spec.Precision < 0 ? -1 : spec.Precision;
    }
    if (FPos >= FFmt.size()) {
        Fail();
    }
    char type = FFmt[FPos++];
    type = type >= 'A' && type <= 'Z' ? static_cast<char>(type - 'A' + 'a') : type;
    Convert(type, spec);
}

void Formatter::Convert(char Type, const Spec &S)
{
    switch (Type) {
    case 'd':
    case 'u':
    case 'x':
        return Integer(Type, S);
    case 's':
        return Text(S);
    case 'c':
        return Char(S);
    case 'p':
        return Pointer(S);
    case 'e':
    case 'f':
    case 'g':
    case 'n':
    case 'm':
        return Float(Type, S);
    default:
        Fail();
    }
}

// Sign, Prefix, Zeros zero digits and Body, blank-padded to the width.
void Formatter::Emit(const Spec &S, std::string_view Sign, std::string_view Prefix, std::size_t Zeros,
                     std::string_view Body)
{
    const std::size_t length = Sign.size() + Prefix.size() + Zeros + Body.size();
    const std::size_t pad = S.Width > length ? S.Width - length : 0;
    if (!S.Left) {
        FOut.append(pad, ' ');
    }
    FOut.append(Sign);
    FOut.append(Prefix);
    FOut.append(Zeros, '0');
    FOut.append(Body);
    if (S.Left) {
        FOut.append(pad, ' ');
    }
}

// d: signed (unsigned kinds print their value); u: negative values as their
// 32- or 64-bit unsigned pattern; x: the same pattern in upper-case hex.
void Formatter::Integer(char Type, const Spec &S)
{
    const FormatArg &arg = NextArg();
    if (!IsInteger(arg.kind())) {
        Fail();
    }
    std::uint64_t magnitude = 0;
    bool negative = false;
    if (arg.kind() == Kind::UInt || arg.kind() == Kind::UInt64) {
        magnitude = arg.asUInt();
    } else {
        const std::int64_t value = arg.asInt();
        negative = Type == 'd' && value < 0;
        if (negative) {
            magnitude = 0 - static_cast<std::uint64_t>(value);
        } else if (arg.kind() == Kind::Int) {
            magnitude = static_cast<std::uint32_t>(value);
        } else {
            magnitude = static_cast<std::uint64_t>(value);
        }
    }
    char buf[20];
    const std::string_view digits = Digits(buf, magnitude, Type == 'x' ? 16 : 10);
    const auto precision = static_cast<std::size_t>(S.Precision < 0 ? 0 : S.Precision);
    const std::size_t zeros = precision > digits.size() ? precision - digits.size() : 0;
    Emit(S, negative ? "-" : "", {}, zeros, digits);
}

void Formatter::Text(const Spec &S)
{
    const FormatArg &arg = NextArg();
    std::string_view text;
    const char single = arg.kind() == Kind::Char ? arg.asChar() : '\0';
    switch (arg.kind()) {
    case Kind::Text:
        text = arg.asText();
        break;
    case Kind::Char:
        text = std::string_view(&single, 1);
        break;
    case Kind::QText:
        return QText(S, arg.asQText());
    default:
        Fail();
    }
    if (S.Precision >= 0 && text.size() > static_cast<std::size_t>(S.Precision)) {
        text = text.substr(0, static_cast<std::size_t>(S.Precision));
    }
    Emit(S, text);
}

// Encodes the character at P (one or two UTF-16 units) as UTF-8 into Buf,
// advances P and returns the byte count. A lone surrogate becomes '?', as in
// QString::toUtf8.
int NextUtf8(const char16_t *&P, const char16_t *End, char *Buf)
{
    char32_t c = *P++;
    if (c >= 0xD800 && c <= 0xDFFF) {
        if (c <= 0xDBFF && P != End && *P >= 0xDC00 && *P <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (*P++ - 0xDC00);
        } else {
            c = '?';
        }
    }
    if (c < 0x80) {
        Buf[0] = static_cast<char>(c);
        return 1;
    }
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static constexpr unsigned char Lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = length - 1; i > 0; --i) {
        Buf[i] = static_cast<char>(0x80 | (c & 0x3F));
        c >>= 6;
    }
    Buf[0] = static_cast<char>(Lead[length] | c);
    return length;
}

// A QString goes out as UTF-8, encoded straight into the output. A precision
// limits the bytes but never splits a character.
void Formatter::QText(const Spec &S, const QString &Value)
{
    const auto *first = reinterpret_cast<const char16_t *>(Value.utf16());
    const char16_t *last = first + Value.size();
    const auto limit = S.Precision < 0 ? SIZE_MAX : static_cast<std::size_t>(S.Precision);
    std::size_t bytes = 0;
    const char16_t *end = first;
    char buf[4];
    for (const char16_t *p = first; p != last;) {
        const auto n = static_cast<std::size_t>(NextUtf8(p, last, buf));
        if (bytes + n > limit) {
            break;
        }
        bytes += n;
        end = p;
    }
    const std::size_t pad = S.Width > bytes ? S.Width - bytes : 0;
    if (!S.Left) {
        FOut.append(pad, ' ');
    }
    for (const char16_t *p = first; p != end;) {
        FOut.append(buf, static_cast<std::size_t>(NextUtf8(p, end, buf)));
    }
    if (S.Left) {
        FOut.append(pad, ' ');
    }
}

void Formatter::Char(const Spec &S)
{
    const FormatArg &arg = NextArg();
    if (arg.kind() != Kind::Char) {
        Fail();
    }
    const char single = arg.asChar();
    Emit(S, std::string_view(&single, 1));
}

// The address in upper-case hex at the full width of a pointer.
void Formatter::Pointer(const Spec &S)
{
    const FormatArg &arg = NextArg();
    if (arg.kind() != Kind::Pointer) {
        Fail();
    }
    const auto address = reinterpret_cast<std::uintptr_t>(const_cast<const void *>(arg.asPointer()));
    char buf[20];
    const std::string_view digits = Digits(buf, address, 16);
    Emit(S, {}, {}, 2 * sizeof(void *) - digits.size(), digits);
}

void Formatter::Float(char Type, const Spec &S)
{
    const FormatArg &arg = NextArg();
    if (arg.kind() != Kind::Float) {
        Fail();
    }
    const double value = arg.asFloat();
    const std::string_view sign = std::signbit(value) ? "-" : "";
    if (std::isnan(value)) {
        return Emit(S, "NAN");
    }
    if (std::isinf(value)) {
        return Emit(S, sign, {}, 0, "INF");
    }
    if (Type == 'e') {
        return Exponent(S, sign, std::fabs(value));
    }
    if (Type == 'g') {
        return General(S, sign, std::fabs(value));
    }
    Fixed(Type, S, sign, std::fabs(value));
}

// e: "d.dddE+ddd" with Precision significant digits (15 by default).
void Formatter::Exponent(const Spec &S, std::string_view Sign, double Value)
{
    const int count = S.Precision < 0 ? 15 : std::clamp(S.Precision, 1, MaxFloatDigits);
    const Scientific sci = ToScientific(Value, count);
    char buf[MaxFloatDigits + 16];
    char *p = buf;
    *p++ = sci.Digits[0];
    if (count > 1) {
        *p++ = FormatSettings().DecimalSeparator;
        p = std::copy(sci.Digits + 1, sci.Digits + count, p);
    }
    *p++ = 'E';
    *p++ = sci.Exponent < 0 ? '-' : '+';
    const int exponent = std::abs(sci.Exponent);
    *p++ = static_cast<char>('0' + exponent / 100);
    *p++ = static_cast<char>('0' + exponent / 10 % 10);
    *p++ = static_cast<char>('0' + exponent % 10);
    const std::string_view body(buf, static_cast<std::size_t>(p - buf));
    Emit(S, Value == 0 ? "" : Sign, {}, 0, body);
}

// g: the shorter of fixed and scientific with Precision significant digits
// (15 by default), without trailing zeros; scientific ("1.5E-5", "1E20") when
// the exponent is below -4 or not below the precision.
void Formatter::General(const Spec &S, std::string_view Sign, double Value)
{
    const int count = S.Precision < 0 ? 15 : std::clamp(S.Precision, 1, MaxFloatDigits);
    const Scientific sci = ToScientific(Value, count);
    int digits = sci.Count;
    while (digits > 0 && sci.Digits[digits - 1] == '0') {
        --digits;
    }
    if (digits == 0) {
        return Emit(S, "0");
    }
    const char separator = FormatSettings().DecimalSeparator;
    const int x = sci.Exponent;
    char buf[MaxFloatDigits + 16];
    char *p = buf;
    auto put = [&p](const char *First, const char *Last) { p = std::copy(First, Last, p); };
    if (x < -4 || x >= count) {
        *p++ = sci.Digits[0];
        if (digits > 1) {
            *p++ = separator;
            put(sci.Digits + 1, sci.Digits + digits);
        }
        *p++ = 'E';
        p = std::to_chars(p, buf + sizeof buf, x).ptr;
    } else if (x < 0) {
        *p++ = '0';
        *p++ = separator;
        p = std::fill_n(p, -x - 1, '0');
        put(sci.Digits, sci.Digits + digits);
    } else {
        const int whole = x + 1;
        put(sci.Digits, sci.Digits + std::min(digits, whole));
        p = std::fill_n(p, std::max(0, whole - digits), '0');
        if (digits > whole) {
            *p++ = separator;
            put(sci.Digits + whole, sci.Digits + digits);
        }
    }
    Emit(S, Sign, {}, 0, std::string_view(buf, static_cast<std::size_t>(p - buf)));
}

// f: fixed with Precision decimals (2 by default); n adds thousands
// separators; m is n with the currency string before the digits.
void Formatter::Fixed(char Type, const Spec &S, std::string_view Sign, double Value)
{
    const int decimals = S.Precision < 0 ? 2 : std::min(S.Precision, MaxFloatDigits);
    char fixed[330 + MaxFloatDigits];
    const std::string_view number = ToFixed(Value, decimals, fixed, sizeof fixed);
    const TFormatSettings &settings = FormatSettings();
    const char thousands = Type == 'f' ? '\0' : settings.ThousandSeparator;
    const std::size_t point = number.size() - (decimals > 0 ? static_cast<std::size_t>(decimals) + 1 : 0);
    char buf[460 + MaxFloatDigits];
    char *p = buf;
    for (std::size_t i = 0; i < point; ++i) {
        if (thousands != '\0' && i > 0 && (point - i) % 3 == 0) {
            *p++ = thousands;
        }
        *p++ = number[i];
    }
    if (decimals > 0) {
        *p++ = settings.DecimalSeparator;
        p = std::copy(number.begin() + static_cast<std::ptrdiff_t>(point) + 1, number.end(), p);
    }
    Emit(S, AllZero(number) ? "" : Sign, Type == 'm' ? std::string_view(settings.CurrencyString) : "", 0,
         std::string_view(buf, static_cast<std::size_t>(p - buf)));
}

} // namespace

void FormatTo(std::string &Out, std::string_view Fmt, FormatArgs Args)
{
    Formatter(Out, Fmt, Args).Run();
}

std::string Format(std::string_view Fmt, FormatArgs Args)
{
    std::string result;
    result.reserve(Fmt.size() + 32);
    FormatTo(result, Fmt, Args);
    return result;
}

} // namespace Orbalog
