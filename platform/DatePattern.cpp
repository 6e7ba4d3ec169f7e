#include "DatePattern.h"

namespace Orbalog::Detail {

namespace {

void AppendUtf8(std::string &Out, char32_t C)
{
    if ((C >= 0xD800 && C <= 0xDFFF) || C > 0x10FFFF)
        C = 0xFFFD;
    if (C < 0x80) {
        Out += char(C);
    } else if (C < 0x800) {
        Out += char(0xC0 | (C >> 6));
        Out += char(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += char(0xE0 | (C >> 12));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    } else {
        Out += char(0xF0 | (C >> 18));
        Out += char(0x80 | ((C >> 12) & 0x3F));
        Out += char(0x80 | ((C >> 6) & 0x3F));
        Out += char(0x80 | (C & 0x3F));
    }
}

void AppendNumber(std::string &Out, int Value, int MinDigits)
{
    char digits[12];
    int n = 0;
    unsigned v = unsigned(Value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    for (int i = n; i < MinDigits; ++i)
        Out += '0';
    while (n > 0)
        Out += digits[--n];
}

// The quoted text between Begin and End, with '' standing for one quote.
void AppendQuoted(std::string &Out, const QString &Pattern, qsizetype Begin, qsizetype End)
{
    qsizetype j = Begin + 1;
    while (j < End) {
        const char16_t c = Pattern[j].unicode();
        if (c == u'\'') {
            if (j + 1 < End && Pattern[j + 1] == u'\'') {
                Out += '\'';
                j += 2;
                continue;
            }
            break;
        }
        if (QChar::isHighSurrogate(c) && j + 1 < End && Pattern[j + 1].isLowSurrogate()) {
            AppendUtf8(Out, QChar::surrogateToUcs4(c, Pattern[j + 1].unicode()));
            j += 2;
        } else {
            AppendUtf8(Out, c);
            ++j;
        }
    }
}

void AppendMilliSeconds(std::string &Out, int MilliSecond, bool Full)
{
    if (Full) {
        AppendNumber(Out, MilliSecond, 3);
        return;
    }
    // The fraction of the second without trailing zeros: 500 -> "5", 5 -> "005".
    int digits = 3;
    int value = MilliSecond;
    while (digits > 1 && value % 10 == 0) {
        value /= 10;
        --digits;
    }
    AppendNumber(Out, value, digits);
}

bool ShowsAmPm(const QString &Pattern)
{
    bool found = false;
    ForEachToken(Pattern, [&](const TPatternToken &t) {
        found = found || t.Field == TPatternField::AmPm;
    });
    return found;
}

int Hour12(int Hour)
{
    const int h = Hour % 12;
    return h == 0 ? 12 : h;
}

void AppendToken(std::string &Out, const QString &Pattern, const TPatternToken &t, const TDateTimeParts &p,
                 bool AmPm)
{
    const int width = t.Count >= 2 ? 2 : 1;
    switch (t.Field) {
    case TPatternField::Literal: AppendUtf8(Out, t.Char); break;
    case TPatternField::Quoted: AppendQuoted(Out, Pattern, t.Begin, t.End); break;
    case TPatternField::Day: AppendNumber(Out, p.Day, width); break;
    case TPatternField::Month: AppendNumber(Out, p.Month, width); break;
    case TPatternField::Year: AppendNumber(Out, p.Year, 4); break;
    case TPatternField::Hour: AppendNumber(Out, p.Hour, width); break;
    case TPatternField::Hour12: AppendNumber(Out, AmPm ? Hour12(p.Hour) : p.Hour, width); break;
    case TPatternField::Minute: AppendNumber(Out, p.Minute, width); break;
    case TPatternField::Second: AppendNumber(Out, p.Second, width); break;
    case TPatternField::MilliSecond: AppendMilliSeconds(Out, p.MilliSecond, t.Count >= 3); break;
    case TPatternField::AmPm:
        if (p.Hour < 12)
            Out += t.Upper ? "AM" : "am";
        else
            Out += t.Upper ? "PM" : "pm";
        break;
    case TPatternField::Unknown: Out.append(std::size_t(t.Count), char(t.Char)); break;
    }
}

bool IsBlank(QChar c)
{
    return c.isSpace();
}

void ChopBlanks(QString &s)
{
    while (!s.isEmpty() && IsBlank(s.back()))
        s.chop(1);
}

// Rebuilds Pattern without its unknown letter runs and the blanks next to
// them; with WidenYear every year field becomes "yyyy".
QString WithoutUnknown(const QString &Pattern, bool WidenYear)
{
    QString out;
    bool skipBlanks = false;
    ForEachToken(Pattern, [&](const TPatternToken &t) {
        if (t.Field == TPatternField::Unknown) {
            ChopBlanks(out);
            skipBlanks = true;
            return;
        }
        const bool blank = t.Field == TPatternField::Literal && t.Char < 0x10000 && IsBlank(QChar(char16_t(t.Char)));
        if (blank && skipBlanks && out.isEmpty())
            return;
        skipBlanks = false;
        if (t.Field == TPatternField::Year && WidenYear)
            out += QStringLiteral("yyyy");
        else
            out += QStringView(Pattern).sliced(t.Begin, t.End - t.Begin);
    });
    return out;
}

QString Trimmed(QString s)
{
    s.remove(QStringLiteral("()"));
    s.remove(QStringLiteral("[]"));
    qsizetype b = 0, e = s.size();
    while (b < e && (IsBlank(s[b]) || s[b] == u','))
        ++b;
    while (e > b && (IsBlank(s[e - 1]) || s[e - 1] == u','))
        --e;
    return s.sliced(b, e - b);
}

} // namespace

void AppendFormatted(std::string &Out, const QString &Pattern, const TDateTimeParts &Parts)
{
    const bool amPm = ShowsAmPm(Pattern);
    ForEachToken(Pattern, [&](const TPatternToken &t) { AppendToken(Out, Pattern, t, Parts, amPm); });
}

bool ShowsMilliSeconds(const QString &Pattern)
{
    bool found = false;
    ForEachToken(Pattern, [&](const TPatternToken &t) {
        found = found || t.Field == TPatternField::MilliSecond;
    });
    return found;
}

QString CleanDatePattern(const QString &Pattern)
{
    QString order; // the letters d, M, y in the order the pattern first shows them
    bool names = false;
    ForEachToken(Pattern, [&](const TPatternToken &t) {
        const bool field = t.Field == TPatternField::Day || t.Field == TPatternField::Month
            || t.Field == TPatternField::Year;
        if (!field)
            return;
        if (t.Field != TPatternField::Year && t.Count >= 3)
            names = true;
        if (!order.contains(QChar(char16_t(t.Char))))
            order += QChar(char16_t(t.Char));
    });
    if (!names && order.size() == 3)
        return Trimmed(WithoutUnknown(Pattern, true));
    for (QChar c : {u'd', u'M', u'y'})
        if (!order.contains(c))
            order += c;
    QString out;
    for (QChar c : order) {
        if (!out.isEmpty())
            out += u'/';
        out += c == u'y' ? QStringLiteral("yyyy") : QString(c);
    }
    return out;
}

QString CleanTimePattern(const QString &Pattern)
{
    const QString out = Trimmed(WithoutUnknown(Pattern, false));
    bool hour = false;
    ForEachToken(out, [&](const TPatternToken &t) {
        hour = hour || t.Field == TPatternField::Hour || t.Field == TPatternField::Hour12;
    });
    return hour ? out : QStringLiteral("HH:mm:ss");
}

} // namespace Orbalog::Detail
