#include <Orbalog/DateTime.h>

#include <Orbalog/Exception.h>

#include "DatePattern.h"

#include <QLocale>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <mutex>

namespace Orbalog {

using Detail::TDateTimeParts;

namespace {

constexpr std::int64_t MsPerDay = 86400000;
constexpr std::int64_t UnixEpochDays = 25569;        // 1970-01-01
constexpr TDateTime MinDateTime = -693593.0;          // 0001-01-01 00:00
constexpr TDateTime MaxDateTime = 2958466.0;          // 10000-01-01 00:00 (excluded)

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = unsigned((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int &y, int &m, int &d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(std::int64_t(yoe) + era * 400 + (m <= 2));
}

bool IsLeapYear(int y)
{
    return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

int DaysInMonth(int y, int m)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Every decoding goes through the value rounded to the millisecond, so that a
// time encoded as a double never shows the second before it.
std::int64_t ToMilliSeconds(TDateTime Value)
{
    if (!(Value >= MinDateTime && Value < MaxDateTime))
        throw EConvertError("Invalid date and time value");
    return std::llround(Value * double(MsPerDay));
}

TDateTimeParts PartsOfMilliSeconds(std::int64_t Ms)
{
    TDateTimeParts p;
    const std::int64_t day = FloorDiv(Ms, MsPerDay);
    std::int64_t t = Ms - day * MsPerDay;
    CivilFromDays(day - UnixEpochDays, p.Year, p.Month, p.Day);
    p.MilliSecond = int(t % 1000);
    t /= 1000;
    p.Second = int(t % 60);
    t /= 60;
    p.Minute = int(t % 60);
    p.Hour = int(t / 60);
    return p;
}

TDateTimeParts PartsOf(TDateTime Value)
{
    return PartsOfMilliSeconds(ToMilliSeconds(Value));
}

// ---- format settings ------------------------------------------------------

std::atomic<std::uint64_t> SettingsGeneration{1};

TFormatSettings &SettingsInForce()
{
    static TFormatSettings settings = SystemFormatSettings();
    return settings;
}

// A separator of the locale as one byte: a blank of any width is a blank.
char AsciiOr(const QString &Text, char Default)
{
    if (Text.size() != 1)
        return Default;
    if (Text[0].isSpace())
        return ' ';
    return Text[0].unicode() < 0x80 ? char(Text[0].unicode()) : Default;
}

// ---- clock ----------------------------------------------------------------

std::atomic<TClock *> InstalledClock{nullptr};

// The local-time offset and the second it was computed for, in one word:
// second << 20 | (offset + 2^19). Recomputed at most once a second.
std::atomic<std::int64_t> LocalOffsetCache{std::numeric_limits<std::int64_t>::min()};
constexpr int OffsetBits = 20;
constexpr std::int64_t OffsetBias = std::int64_t(1) << (OffsetBits - 1);

std::int64_t LocalOffsetSeconds(std::time_t Second)
{
    const std::int64_t cached = LocalOffsetCache.load(std::memory_order_relaxed);
    if ((cached >> OffsetBits) == std::int64_t(Second))
        return (cached & ((std::int64_t(1) << OffsetBits) - 1)) - OffsetBias;
    static std::once_flag zoneLoaded;
    std::call_once(zoneLoaded, [] { tzset(); });
    std::tm local{};
    std::int64_t offset = 0;
    if (localtime_r(&Second, &local) != nullptr)
        offset = local.tm_gmtoff;
    if (offset > -OffsetBias && offset < OffsetBias)
        LocalOffsetCache.store((std::int64_t(Second) << OffsetBits) | (offset + OffsetBias),
                               std::memory_order_relaxed);
    return offset;
}

TDateTime SystemNow()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    const std::int64_t local = std::int64_t(ts.tv_sec) + LocalOffsetSeconds(ts.tv_sec);
    const double ms = double(local * 1000) + double(ts.tv_nsec) / 1e6;
    return double(UnixEpochDays) + ms / double(MsPerDay);
}

// The current second of the system clock, exact, read cheaply: the coarse
// clock lags the precise one by less than its resolution, so while it is not
// that close to the next second it names the same second. Only near a
// boundary is the precise clock asked.
std::int64_t SystemSecond()
{
    static const long coarseLag = [] {
        timespec res{};
        if (clock_getres(CLOCK_REALTIME_COARSE, &res) != 0 || res.tv_sec != 0)
            return 1000000000L;
        return long(res.tv_nsec);
    }();
    timespec ts{};
    if (coarseLag < 1000000000L && clock_gettime(CLOCK_REALTIME_COARSE, &ts) == 0
        && ts.tv_nsec < 1000000000L - 2 * coarseLag)
        return std::int64_t(ts.tv_sec);
    clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec);
}

// ---- text to date ---------------------------------------------------------

[[noreturn]] void NotADate(std::string_view Text)
{
    throw EConvertError("'" + std::string(Text) + "' is not a valid date");
}

// How the short date pattern lays out a date: the order of its fields, the
// letters it shows as text, and whether text stands before or after the fields.
struct TDateLayout
{
    char Order[3] = {'d', 'M', 'y'};
    QString Letters;
    bool LeadingText = false;
    bool TrailingText = false;
};

bool IsDateField(Detail::TPatternField f)
{
    using Detail::TPatternField;
    return f == TPatternField::Day || f == TPatternField::Month || f == TPatternField::Year;
}

TDateLayout LayoutOf(const QString &Pattern)
{
    TDateLayout layout;
    std::string order;
    bool anyField = false, textAfterField = false;
    Detail::ForEachToken(Pattern, [&](const Detail::TPatternToken &t) {
        if (IsDateField(t.Field)) {
            if (order.find(char(t.Char)) == std::string::npos)
                order += char(t.Char);
            anyField = true;
            textAfterField = false;
            return;
        }
        layout.LeadingText = layout.LeadingText || !anyField;
        textAfterField = true;
        const QString source = Pattern.sliced(t.Begin, t.End - t.Begin);
        for (QChar c : source)
            if (c.isLetter())
                layout.Letters += c;
    });
    layout.TrailingText = textAfterField;
    for (char c : {'d', 'M', 'y'})
        if (order.find(c) == std::string::npos)
            order += c;
    for (int i = 0; i < 3; ++i)
        layout.Order[i] = order[std::size_t(i)];
    return layout;
}

// A year of one or two digits, placed in the hundred years around this one.
int WindowedYear(int Year)
{
    int today, month, day;
    DecodeDate(Date(), today, month, day);
    int year = today - today % 100 + Year;
    if (year < today - 50)
        year += 100;
    else if (year > today + 49)
        year -= 100;
    return year;
}

struct TDateGroups
{
    int Value[3] = {0, 0, 0};
    int Digits[3] = {0, 0, 0};
};

// Splits Text into exactly three groups of digits; false when it does not
// read that way.
bool SplitDate(const QString &Text, const TDateLayout &Layout, TDateGroups &Groups)
{
    int group = -1;
    bool inDigits = false, separatorBefore = false, separatorAfter = false;
    for (QChar c : Text) {
        if (c >= u'0' && c <= u'9') {
            if (!inDigits) {
                if (++group == 3)
                    return false;
                inDigits = true;
            }
            if (++Groups.Digits[group] > 4)
                return false;
            Groups.Value[group] = Groups.Value[group] * 10 + (c.unicode() - u'0');
            continue;
        }
        if (c.isLetter() && !Layout.Letters.contains(c))
            return false;
        inDigits = false;
        if (group < 0)
            separatorBefore = true;
        else if (group == 2)
            separatorAfter = true;
    }
    return group == 2 && (!separatorBefore || Layout.LeadingText) && (!separatorAfter || Layout.TrailingText);
}

} // namespace

// ---- settings ---------------------------------------------------------------

TFormatSettings LocaleFormatSettings(const QLocale &Locale)
{
    TFormatSettings s;
    s.ShortDateFormat = Detail::CleanDatePattern(Locale.dateFormat(QLocale::ShortFormat));
    s.LongTimeFormat = Detail::CleanTimePattern(Locale.timeFormat(QLocale::LongFormat));
    s.DecimalSeparator = AsciiOr(Locale.decimalPoint(), s.DecimalSeparator);
    s.ThousandSeparator = AsciiOr(Locale.groupSeparator(), s.ThousandSeparator);
    const QString currency = Locale.currencySymbol();
    if (!currency.isEmpty())
        s.CurrencyString = currency.toStdString();
    return s;
}

TFormatSettings SystemFormatSettings()
{
    return LocaleFormatSettings(QLocale::system());
}

const TFormatSettings &FormatSettings()
{
    return SettingsInForce();
}

void SetFormatSettings(const TFormatSettings &Settings)
{
    SettingsInForce() = Settings;
    SettingsGeneration.fetch_add(1, std::memory_order_release);
}

// ---- clocks -----------------------------------------------------------------

TClock::~TClock() = default;

TDateTime TSteppingClock::Now()
{
    const TDateTime value = FValue;
    FValue += FStep;
    return value;
}

void SetClock(TClock *Clock)
{
    InstalledClock.store(Clock, std::memory_order_release);
}

TDateTime Now()
{
    TClock *clock = InstalledClock.load(std::memory_order_acquire);
    return clock != nullptr ? clock->Now() : SystemNow();
}

TDateTime Date()
{
    return TDateTime(FloorDiv(ToMilliSeconds(Now()), MsPerDay));
}

// ---- encoding and decoding ----------------------------------------------------

TDateTime EncodeDate(int Year, int Month, int Day)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
        throw EConvertError("Invalid argument to date encode");
    return TDateTime(DaysFromCivil(Year, Month, Day) + UnixEpochDays);
}

TDateTime EncodeTime(int Hour, int Minute, int Second, int MilliSecond)
{
    if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59 || MilliSecond < 0
        || MilliSecond > 999)
        throw EConvertError("Invalid argument to time encode");
    const std::int64_t ms = ((std::int64_t(Hour) * 60 + Minute) * 60 + Second) * 1000 + MilliSecond;
    return double(ms) / double(MsPerDay);
}

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second, int MilliSecond)
{
    return EncodeDate(Year, Month, Day) + EncodeTime(Hour, Minute, Second, MilliSecond);
}

void DecodeDate(TDateTime Value, int &Year, int &Month, int &Day)
{
    const TDateTimeParts p = PartsOf(Value);
    Year = p.Year;
    Month = p.Month;
    Day = p.Day;
}

// ---- texts ------------------------------------------------------------------

std::string DateTimeToStr(TDateTime Value)
{
    const TDateTimeParts p = PartsOf(Value);
    const TFormatSettings &s = FormatSettings();
    std::string text;
    Detail::AppendFormatted(text, s.ShortDateFormat, p);
    text += ' ';
    Detail::AppendFormatted(text, s.LongTimeFormat, p);
    return text;
}

std::string DateToStr(TDateTime Value)
{
    std::string text;
    Detail::AppendFormatted(text, FormatSettings().ShortDateFormat, PartsOf(Value));
    return text;
}

std::string TimeToStr(TDateTime Value)
{
    std::string text;
    Detail::AppendFormatted(text, FormatSettings().LongTimeFormat, PartsOf(Value));
    return text;
}

TDateTime StrToDate(std::string_view Text)
{
    const QString text = QString::fromUtf8(Text.data(), qsizetype(Text.size())).trimmed();
    const TDateLayout layout = LayoutOf(FormatSettings().ShortDateFormat);
    TDateGroups groups;
    if (!SplitDate(text, layout, groups))
        NotADate(Text);
    int year = 0, month = 0, day = 0;
    for (int i = 0; i < 3; ++i) {
        const int value = groups.Value[i], digits = groups.Digits[i];
        switch (layout.Order[i]) {
        case 'd':
            if (digits > 2)
                NotADate(Text);
            day = value;
            break;
        case 'M':
            if (digits > 2)
                NotADate(Text);
            month = value;
            break;
        default: year = digits <= 2 ? WindowedYear(value) : value; break;
        }
    }
    try {
        return EncodeDate(year, month, day);
    } catch (const EConvertError &) {
        NotADate(Text);
    }
}

// Keys of texts taken from the system clock's seconds, kept apart from the
// local-time keys of other clocks.
constexpr std::int64_t SystemKeyTag = std::int64_t(1) << 62;

const std::string &CurrentDateTimeText()
{
    struct TCache
    {
        std::string Text;
        std::int64_t Key = std::numeric_limits<std::int64_t>::min();
        std::uint64_t Generation = 0;
        bool ShowsMilliSeconds = false;
    };
    // Initial-exec: the cache is reached without a call into the dynamic
    // linker at every record.
    static thread_local TCache cache __attribute__((tls_model("initial-exec")));

    const std::uint64_t generation = SettingsGeneration.load(std::memory_order_acquire);
    const TFormatSettings &s = FormatSettings();
    if (generation != cache.Generation)
        cache.ShowsMilliSeconds = Detail::ShowsMilliSeconds(s.ShortDateFormat)
            || Detail::ShowsMilliSeconds(s.LongTimeFormat);
    // With the system clock and a text to the second, the second alone
    // (before the local offset) tells whether the text has changed.
    const bool systemSeconds = !cache.ShowsMilliSeconds && InstalledClock.load(std::memory_order_acquire) == nullptr;
    if (systemSeconds && generation == cache.Generation && cache.Key == SystemSecond() + SystemKeyTag)
        return cache.Text;

    std::int64_t ms = 0;
    std::int64_t key = 0;
    if (systemSeconds) {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        key = std::int64_t(ts.tv_sec) + SystemKeyTag;
        ms = (std::int64_t(ts.tv_sec) + LocalOffsetSeconds(ts.tv_sec)) * 1000 + ts.tv_nsec / 1000000
             + std::int64_t(UnixEpochDays) * MsPerDay;
    } else {
        ms = ToMilliSeconds(Now());
        key = cache.ShowsMilliSeconds ? ms : FloorDiv(ms, 1000);
    }
    if (key == cache.Key && generation == cache.Generation)
        return cache.Text;

    const TDateTimeParts p = PartsOfMilliSeconds(ms);
    cache.Text.clear();
    Detail::AppendFormatted(cache.Text, s.ShortDateFormat, p);
    cache.Text += ' ';
    Detail::AppendFormatted(cache.Text, s.LongTimeFormat, p);
    cache.Key = key;
    cache.Generation = generation;
    return cache.Text;
}

} // namespace Orbalog
