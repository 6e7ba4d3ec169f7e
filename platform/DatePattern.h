#pragma once
// Date and time patterns in Qt's letters, taken apart into tokens, written out
// for a moment, and cleaned of what the formatter cannot show. Internal to the
// platform layer.

#include <QString>

#include <cstdint>
#include <string>

namespace Orbalog::Detail {

// A moment taken apart; every field is in its valid range.
struct TDateTimeParts
{
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
};

enum class TPatternField {
    Literal,     // one character outside quotes (Char)
    Quoted,      // text in single quotes, Begin..End including the quotes
    Day,         // d, dd (longer runs show two digits)
    Month,       // M, MM (longer runs show two digits)
    Year,        // any run of y: always four digits
    Hour,        // H, HH
    Hour12,      // h, hh: 1..12 when the pattern shows AM/PM, else as H
    Minute,      // m, mm
    Second,      // s, ss
    MilliSecond, // z (without trailing zeros), zzz (three digits)
    AmPm,        // AP or A (upper case), ap or a (lower case)
    Unknown,     // any other ASCII letter run: written as it stands
};

struct TPatternToken
{
    TPatternField Field = TPatternField::Literal;
    int Count = 1;      // run length of the letter
    char32_t Char = 0;  // the literal character, or the letter of the run
    bool Upper = false; // AmPm: upper case
    qsizetype Begin = 0, End = 0;
};

// Calls Visit(const TPatternToken &) for every token of Pattern, in order.
template <typename TVisitor>
void ForEachToken(const QString &Pattern, TVisitor &&Visit);

// Appends the moment in Pattern to Out as UTF-8. Allocates only when Out
// must grow.
void AppendFormatted(std::string &Out, const QString &Pattern, const TDateTimeParts &Parts);

// The pattern shows milliseconds (z or zzz).
bool ShowsMilliSeconds(const QString &Pattern);

// A locale's short date pattern made fit for the formatter and the parser:
// day and month as numbers, the year widened to four digits, in the locale's
// order; a pattern without all three falls back to d/M/yyyy in that order.
QString CleanDatePattern(const QString &Pattern);
// A locale's long time pattern without time zones and other letters the
// formatter does not know (with the blanks and empty brackets they leave);
// "HH:mm:ss" when no hour is left.
QString CleanTimePattern(const QString &Pattern);

// ---------------------------------------------------------------------------

inline bool IsAsciiLetter(char16_t C)
{
    return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z');
}

inline TPatternField FieldOfLetter(char16_t C)
{
    switch (C) {
    case u'd': return TPatternField::Day;
    case u'M': return TPatternField::Month;
    case u'y': return TPatternField::Year;
    case u'H': return TPatternField::Hour;
    case u'h': return TPatternField::Hour12;
    case u'm': return TPatternField::Minute;
    case u's': return TPatternField::Second;
    case u'z': return TPatternField::MilliSecond;
    case u'A':
    case u'a': return TPatternField::AmPm;
    default: return TPatternField::Unknown;
    }
}

template <typename TVisitor>
void ForEachToken(const QString &Pattern, TVisitor &&Visit)
{
    const qsizetype n = Pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = Pattern[i].unicode();
        TPatternToken t;
        t.Begin = i;
        if (c == u'\'') {
            if (i + 1 < n && Pattern[i + 1] == u'\'') {
                t.Char = U'\'';
                i += 2;
            } else {
                t.Field = TPatternField::Quoted;
                ++i;
                while (i < n) {
                    if (Pattern[i] == u'\'') {
                        if (i + 1 < n && Pattern[i + 1] == u'\'') {
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    ++i;
                }
            }
        } else if (IsAsciiLetter(c)) {
            t.Field = FieldOfLetter(c);
            t.Char = c;
            if (t.Field == TPatternField::AmPm) {
                t.Upper = c == u'A';
                ++i;
                if (i < n && (Pattern[i] == u'P' || Pattern[i] == u'p'))
                    ++i;
            } else {
                while (i < n && Pattern[i] == c)
                    ++i;
                t.Count = int(i - t.Begin);
            }
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && Pattern[i + 1].isLowSurrogate()) {
            t.Char = QChar::surrogateToUcs4(c, Pattern[i + 1].unicode());
            i += 2;
        } else {
            t.Char = c;
            ++i;
        }
        t.End = i;
        Visit(static_cast<const TPatternToken &>(t));
    }
}

} // namespace Orbalog::Detail
