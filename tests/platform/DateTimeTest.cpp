#include <Orbalog/DateTime.h>
#include <Orbalog/Exception.h>

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <cmath>
#include <cstdlib>

using namespace Orbalog;

// Counts the heap blocks taken while Counting is set: every allocation of the
// process (operator new and Qt's containers alike) goes through malloc.
namespace {
std::atomic<bool> Counting{false};
std::atomic<long> Allocations{0};
} // namespace

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void *__libc_malloc(std::size_t);
void *__libc_calloc(std::size_t, std::size_t);
void *__libc_realloc(void *, std::size_t);

void *malloc(std::size_t Size)
{
    if (Counting.load(std::memory_order_relaxed))
        ++Allocations;
    return __libc_malloc(Size);
}

void *calloc(std::size_t Count, std::size_t Size)
{
    if (Counting.load(std::memory_order_relaxed))
        ++Allocations;
    return __libc_calloc(Count, Size);
}

void *realloc(void *Block, std::size_t Size)
{
    if (Counting.load(std::memory_order_relaxed))
        ++Allocations;
    return __libc_realloc(Block, Size);
}
}
constexpr bool CanCountAllocations = true;
#else
constexpr bool CanCountAllocations = false;
#endif

namespace {

TFormatSettings Settings(const QString &Date, const QString &Time)
{
    TFormatSettings s;
    s.ShortDateFormat = Date;
    s.LongTimeFormat = Time;
    return s;
}

QString Text(const std::string &Utf8)
{
    return QString::fromStdString(Utf8);
}

// The serial number of a moment, worked out with Qt's calendar.
TDateTime SerialOf(const QDateTime &Local)
{
    return double(QDate(1899, 12, 30).daysTo(Local.date())) + Local.time().msecsSinceStartOfDay() / 86400000.0;
}

// Moves on by a quarter of a second at every call, without the drift of
// adding doubles.
class TQuarterSecondClock : public TClock
{
public:
    explicit TQuarterSecondClock(TDateTime Day) : FDay(Day) {}
    TDateTime Now() override
    {
        const TDateTime value = FDay + double(FMs) / 86400000.0;
        FMs += 250;
        return value;
    }

private:
    TDateTime FDay;
    std::int64_t FMs = 0;
};

} // namespace

class DateTimeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void encodeDecode_data();
    void encodeDecode();
    void encodeRejectsWhatDoesNotExist_data();
    void encodeRejectsWhatDoesNotExist();

    void format_data();
    void format();
    void dateTimeTextJoinsDateAndTime();
    void everySecondShowsItself();

    void localeSettings_data();
    void localeSettings();
    void everyLocaleRoundTrips();

    void strToDate_data();
    void strToDate();
    void strToDateRejects_data();
    void strToDateRejects();
    void twoDigitYearWindow_data();
    void twoDigitYearWindow();

    void clocks();
    void systemClockIsLocalTime();

    void currentTextRoundsToTheMillisecond();
    void currentTextFollowsClockAndSettings();
    void currentTextDoesNotAllocate();
    void currentTextOfTheSystemClock();

private:
    std::unique_ptr<TFixedClock> FClock;
};

void DateTimeTest::initTestCase()
{
    // Before any clock reading: a zone far from UTC with a half-hour offset.
    qputenv("TZ", "XYZ-5:30");
    QCOMPARE(FormatSettings().ShortDateFormat, SystemFormatSettings().ShortDateFormat);
    QCOMPARE(FormatSettings().LongTimeFormat, SystemFormatSettings().LongTimeFormat);
}

void DateTimeTest::init()
{
    SetFormatSettings(Settings(QStringLiteral("d/M/yyyy"), QStringLiteral("HH:mm:ss")));
    FClock = std::make_unique<TFixedClock>(EncodeDateTime(2026, 3, 15, 12, 0, 0));
    SetClock(FClock.get());
}

void DateTimeTest::cleanup()
{
    SetClock(nullptr);
    FClock.reset();
}

void DateTimeTest::encodeDecode_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("serial");
    QTest::newRow("day zero") << 1899 << 12 << 30 << 0;
    QTest::newRow("the day before") << 1899 << 12 << 29 << -1;
    QTest::newRow("1800") << 1800 << 3 << 1 << -36463;
    QTest::newRow("1900") << 1900 << 1 << 1 << 2;
    QTest::newRow("unix epoch") << 1970 << 1 << 1 << 25569;
    QTest::newRow("2000") << 2000 << 1 << 1 << 36526;
    QTest::newRow("leap day") << 2024 << 2 << 29 << 45351;
    QTest::newRow("2030") << 2030 << 5 << 12 << 47615;
    QTest::newRow("first") << 1 << 1 << 1 << -693593;
    QTest::newRow("last") << 9999 << 12 << 31 << 2958465;
}

void DateTimeTest::encodeDecode()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, serial);
    QCOMPARE(EncodeDate(year, month, day), TDateTime(serial));
    // Any time of that day decodes to that day, the last millisecond included.
    for (TDateTime time : {0.0, EncodeTime(12, 0, 0), EncodeTime(23, 59, 59, 999)}) {
        int y = 0, m = 0, d = 0;
        DecodeDate(EncodeDateTime(year, month, day, 0, 0, 0) + time, y, m, d);
        QCOMPARE(y, year);
        QCOMPARE(m, month);
        QCOMPARE(d, day);
    }
}

void DateTimeTest::encodeRejectsWhatDoesNotExist_data()
{
    QTest::addColumn<QList<int>>("parts"); // year, month, day, hour, minute, second, millisecond
    QTest::newRow("29 February of a common year") << QList<int>{2023, 2, 29, 0, 0, 0, 0};
    QTest::newRow("29 February 1900") << QList<int>{1900, 2, 29, 0, 0, 0, 0};
    QTest::newRow("31 April") << QList<int>{2024, 4, 31, 0, 0, 0, 0};
    QTest::newRow("month 13") << QList<int>{2024, 13, 1, 0, 0, 0, 0};
    QTest::newRow("month 0") << QList<int>{2024, 0, 1, 0, 0, 0, 0};
    QTest::newRow("day 0") << QList<int>{2024, 1, 0, 0, 0, 0, 0};
    QTest::newRow("year 0") << QList<int>{0, 1, 1, 0, 0, 0, 0};
    QTest::newRow("year 10000") << QList<int>{10000, 1, 1, 0, 0, 0, 0};
    QTest::newRow("hour 24") << QList<int>{2024, 1, 1, 24, 0, 0, 0};
    QTest::newRow("minute 60") << QList<int>{2024, 1, 1, 0, 60, 0, 0};
    QTest::newRow("second 60") << QList<int>{2024, 1, 1, 0, 0, 60, 0};
    QTest::newRow("millisecond 1000") << QList<int>{2024, 1, 1, 0, 0, 0, 1000};
    QTest::newRow("negative hour") << QList<int>{2024, 1, 1, -1, 0, 0, 0};
}

void DateTimeTest::encodeRejectsWhatDoesNotExist()
{
    QFETCH(QList<int>, parts);
    QVERIFY_THROWS_EXCEPTION(EConvertError,
                             EncodeDateTime(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], parts[6]));
}

void DateTimeTest::format_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    const TDateTime morning = EncodeDateTime(2026, 3, 5, 9, 4, 7);
    QTest::newRow("short fields") << "d/M/yyyy H:m:s" << morning << "5/3/2026 9:4:7";
    QTest::newRow("padded fields") << "dd/MM/yyyy HH:mm:ss" << morning << "05/03/2026 09:04:07";
    QTest::newRow("two-digit year widened") << "d/M/yy" << EncodeDate(2030, 1, 2) << "2/1/2030";
    QTest::newRow("single y widened") << "d.M.y" << EncodeDate(1930, 1, 2) << "2.1.1930";
    QTest::newRow("small year padded") << "yyyy-MM-dd" << EncodeDate(5, 6, 7) << "0005-06-07";
    QTest::newRow("day name as number") << "dddd d MMM" << morning << "05 5 03";
    QTest::newRow("midnight half past") << "h:mm AP" << EncodeTime(0, 30, 0) << "12:30 AM";
    QTest::newRow("noon") << "h:mm AP" << EncodeTime(12, 0, 0) << "12:00 PM";
    QTest::newRow("afternoon") << "h:mm A" << EncodeTime(13, 5, 0) << "1:05 PM";
    QTest::newRow("lower case") << "hh:mm ap" << EncodeTime(9, 5, 0) << "09:05 am";
    QTest::newRow("h without AM/PM") << "h:mm" << EncodeTime(13, 5, 0) << "13:05";
    QTest::newRow("H with AM/PM") << "HH:mm AP" << EncodeTime(13, 5, 0) << "13:05 PM";
    QTest::newRow("zzz") << "ss.zzz" << EncodeTime(0, 0, 7, 5) << "07.005";
    QTest::newRow("z tenths") << "s.z" << EncodeTime(0, 0, 7, 500) << "7.5";
    QTest::newRow("z hundredths") << "s.z" << EncodeTime(0, 0, 7, 50) << "7.05";
    QTest::newRow("z zero") << "s.z" << EncodeTime(0, 0, 7, 0) << "7.0";
    QTest::newRow("quoted letter") << "HH'h'mm" << morning << "09h04";
    QTest::newRow("quoted quote") << "HH 'o''clock'" << morning << "09 o'clock";
    QTest::newRow("bare quotes") << "''HH''" << morning << "'09'";
    QTest::newRow("quoted pattern letters") << "'dMy Hms' d" << morning << "dMy Hms 5";
    QTest::newRow("unclosed quote") << "d 'at" << morning << "5 at";
    QTest::newRow("non-ASCII literal") << "d.MM.yyyy 'г'." << morning << "5.03.2026 г.";
    QTest::newRow("unquoted CJK") << "H時mm分" << morning << "9時04分";
    QTest::newRow("unknown letter as is") << "HH:mm tt" << morning << "09:04 tt";
}

void DateTimeTest::format()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    SetFormatSettings(Settings(pattern, QStringLiteral("HH")));
    QCOMPARE(Text(DateToStr(value)), expected);
    SetFormatSettings(Settings(QStringLiteral("d"), pattern));
    QCOMPARE(Text(TimeToStr(value)), expected);
}

void DateTimeTest::dateTimeTextJoinsDateAndTime()
{
    SetFormatSettings(Settings(QStringLiteral("dd.MM.yyyy"), QStringLiteral("h:mm:ss AP")));
    QCOMPARE(DateTimeToStr(EncodeDateTime(2030, 12, 31, 23, 59, 58)), std::string("31.12.2030 11:59:58 PM"));
}

// A time held as a double lies a hair below or above its millisecond; the
// text must show the second that was encoded, never the one before.
void DateTimeTest::everySecondShowsItself()
{
    SetFormatSettings(Settings(QStringLiteral("yyyy-MM-dd"), QStringLiteral("HH:mm:ss")));
    for (int year : {1900, 2026, 9999}) {
        const TDateTime day = EncodeDate(year, 12, 31);
        for (int s = 0; s < 86400; ++s) {
            const TDateTime value = day + EncodeTime(s / 3600, s / 60 % 60, s % 60);
            const std::string expected = QString::asprintf("%04d-12-31 %02d:%02d:%02d", year, s / 3600, s / 60 % 60, s % 60)
                                             .toStdString();
            if (DateTimeToStr(value) != expected)
                QFAIL(qPrintable(QStringLiteral("%1 shows %2").arg(Text(expected), Text(DateTimeToStr(value)))));
        }
    }
    SetFormatSettings(Settings(QStringLiteral("d"), QStringLiteral("mm:ss.zzz")));
    const TDateTime day = EncodeDate(2026, 6, 15);
    for (int ms = 0; ms < 600000; ++ms) {
        const TDateTime value = day + EncodeTime(13, ms / 60000, ms / 1000 % 60, ms % 1000);
        const std::string expected = QString::asprintf("%02d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000)
                                         .toStdString();
        if (TimeToStr(value) != expected)
            QFAIL(qPrintable(QStringLiteral("%1 shows %2").arg(Text(expected), Text(TimeToStr(value)))));
    }
}

void DateTimeTest::localeSettings_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::newRow("C: names become numbers, zone dropped") << "C" << "d/M/yyyy" << "HH:mm:ss";
    QTest::newRow("en_US") << "en_US" << "M/d/yyyy" << "h:mm:ss AP";
    QTest::newRow("de_DE") << "de_DE" << "dd.MM.yyyy" << "HH:mm:ss";
    QTest::newRow("ko_KR: trailing text") << "ko_KR" << "yyyy. M. d." << "AP h시 m분 s초";
    QTest::newRow("zh_CN: zone first") << "zh_CN" << "yyyy/M/d" << "HH:mm:ss";
    QTest::newRow("bg_BG: quoted text") << "bg_BG" << "d.MM.yyyy 'г'." << "H:mm:ss 'ч'.";
    QTest::newRow("sv_SE") << "sv_SE" << "yyyy-MM-dd" << "HH:mm:ss";
}

void DateTimeTest::localeSettings()
{
    QFETCH(QString, locale);
    QFETCH(QString, date);
    QFETCH(QString, time);
    const TFormatSettings s = LocaleFormatSettings(locale == u"C" ? QLocale::c() : QLocale(locale));
    QCOMPARE(s.ShortDateFormat, date);
    QCOMPARE(s.LongTimeFormat, time);
}

// Whatever the user's locale, the date written back parses to the same day
// with a four-digit year, and the time shows hours, minutes and seconds
// without a zone.
void DateTimeTest::everyLocaleRoundTrips()
{
    const QList<QLocale> locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                           QLocale::AnyTerritory);
    QVERIFY(locales.size() > 100);
    for (const QLocale &locale : locales) {
        const TFormatSettings s = LocaleFormatSettings(locale);
        SetFormatSettings(s);
        const QString where = locale.name() + u' ' + s.ShortDateFormat + QStringLiteral(" / ") + s.LongTimeFormat;
        for (int year : {2030, 2004}) {
            const TDateTime date = EncodeDate(year, year == 2030 ? 5 : 11, year == 2030 ? 12 : 3);
            const std::string text = DateToStr(date);
            QVERIFY2(text.find(std::to_string(year)) != std::string::npos, qPrintable(where));
            QVERIFY2(StrToDate(text) == date, qPrintable(where + u' ' + Text(text)));
        }
        const std::string time = TimeToStr(EncodeTime(13, 47, 58));
        QVERIFY2(time.find("47") != std::string::npos && time.find("58") != std::string::npos,
                 qPrintable(where + u' ' + Text(time)));
        QString unquoted = s.LongTimeFormat;
        unquoted.remove(QRegularExpression(QStringLiteral("'[^']*'")));
        QVERIFY2(!unquoted.contains(u't'), qPrintable(where));
    }
}

void DateTimeTest::strToDate_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    const QDate may12(2030, 5, 12);
    QTest::newRow("plain") << "d/M/yyyy" << "12/5/2030" << may12;
    QTest::newRow("surrounding blanks") << "d/M/yyyy" << " \t12/5/2030  " << may12;
    QTest::newRow("other separators") << "d/M/yyyy" << "12-05 . 2030" << may12;
    QTest::newRow("month first") << "M/d/yyyy" << "5/12/2030" << may12;
    QTest::newRow("year first") << "yyyy-MM-dd" << "2030-05-12" << may12;
    QTest::newRow("trailing text of the pattern") << "yyyy. M. d." << "2030. 5. 12." << may12;
    QTest::newRow("letters of the pattern") << "d.MM.yyyy 'г'." << "12.05.2030 г." << may12;
    QTest::newRow("leap day") << "d/M/yyyy" << "29/2/2024" << QDate(2024, 2, 29);
    QTest::newRow("three-digit year as is") << "d/M/yyyy" << "1/2/999" << QDate(999, 2, 1);
    QTest::newRow("four-digit year as is") << "d/M/yyyy" << "1/2/0030" << QDate(30, 2, 1);
    QTest::newRow("two-digit year") << "d/M/yyyy" << "12/5/30" << may12;
    QTest::newRow("one-digit year") << "d/M/yyyy" << "1/1/5" << QDate(2005, 1, 1);
}

void DateTimeTest::strToDate()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    SetFormatSettings(Settings(pattern, QStringLiteral("HH:mm:ss")));
    QCOMPARE(StrToDate(text.toStdString()), EncodeDate(expected.year(), expected.month(), expected.day()));
}

void DateTimeTest::strToDateRejects_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "d/M/yyyy" << "";
    QTest::newRow("blanks") << "d/M/yyyy" << "   ";
    QTest::newRow("missing year") << "d/M/yyyy" << "12/5";
    QTest::newRow("a field too many") << "d/M/yyyy" << "12/5/2030/1";
    QTest::newRow("31 April") << "d/M/yyyy" << "31/4/2030";
    QTest::newRow("29 February 2023") << "d/M/yyyy" << "29/2/2023";
    QTest::newRow("day 0") << "d/M/yyyy" << "0/5/2030";
    QTest::newRow("month 13") << "d/M/yyyy" << "12/13/2030";
    QTest::newRow("year 0") << "d/M/yyyy" << "1/1/0000";
    QTest::newRow("month name") << "d/M/yyyy" << "12/May/2030";
    QTest::newRow("trailing letter") << "d/M/yyyy" << "12/5/2030x";
    QTest::newRow("five-digit year") << "d/M/yyyy" << "12/5/20301";
    QTest::newRow("three-digit day") << "d/M/yyyy" << "012/5/2030";
    QTest::newRow("leading text the pattern lacks") << "d/M/yyyy" << "/12/5/2030";
    QTest::newRow("trailing text the pattern lacks") << "d/M/yyyy" << "12/5/2030.";
    QTest::newRow("order of the pattern") << "M/d/yyyy" << "13/5/2030";
}

void DateTimeTest::strToDateRejects()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    SetFormatSettings(Settings(pattern, QStringLiteral("HH:mm:ss")));
    try {
        StrToDate(text.toStdString());
        QFAIL("no error raised");
    } catch (const EConvertError &e) {
        QCOMPARE(Text(e.Message()), u'\'' + text + QStringLiteral("' is not a valid date"));
    }
}

void DateTimeTest::twoDigitYearWindow_data()
{
    QTest::addColumn<int>("thisYear");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("2026: 30") << 2026 << "1/1/30" << 2030;
    QTest::newRow("2026: 75, last of the window") << 2026 << "1/1/75" << 2075;
    QTest::newRow("2026: 76, first of the window") << 2026 << "1/1/76" << 1976;
    QTest::newRow("2026: 00") << 2026 << "1/1/00" << 2000;
    QTest::newRow("2090: 30") << 2090 << "1/1/30" << 2130;
    QTest::newRow("2090: 40") << 2090 << "1/1/40" << 2040;
    QTest::newRow("2000: 49") << 2000 << "1/1/49" << 2049;
    QTest::newRow("2000: 50") << 2000 << "1/1/50" << 1950;
}

void DateTimeTest::twoDigitYearWindow()
{
    QFETCH(int, thisYear);
    QFETCH(QString, text);
    QFETCH(int, expected);
    FClock->Set(EncodeDateTime(thisYear, 7, 1, 10, 0, 0));
    int year = 0, month = 0, day = 0;
    DecodeDate(StrToDate(text.toStdString()), year, month, day);
    QCOMPARE(year, expected);
}

void DateTimeTest::clocks()
{
    const TDateTime start = EncodeDateTime(2026, 3, 15, 23, 59, 59);
    TSteppingClock stepping(start, EncodeTime(0, 0, 1));
    SetClock(&stepping);
    QCOMPARE(Now(), start);
    QCOMPARE(DateTimeToStr(Now()), std::string("16/3/2026 00:00:00"));
    QCOMPARE(Date(), EncodeDate(2026, 3, 16));

    TFixedClock fixed(start);
    SetClock(&fixed);
    QCOMPARE(Now(), start);
    QCOMPARE(Now(), start);
    QCOMPARE(Date(), EncodeDate(2026, 3, 15));
    // The date follows the rounded moment: half a millisecond before midnight is midnight.
    fixed.Set(EncodeDate(2026, 3, 16) - 0.4 / 86400000.0);
    QCOMPARE(Date(), EncodeDate(2026, 3, 16));
    fixed.Set(EncodeDate(2026, 3, 16) - 0.6 / 86400000.0);
    QCOMPARE(Date(), EncodeDate(2026, 3, 15));
}

void DateTimeTest::systemClockIsLocalTime()
{
    SetClock(nullptr);
    // TZ is five and a half hours east of UTC (initTestCase).
    const TDateTime expected = SerialOf(QDateTime::currentDateTimeUtc().addSecs(5 * 3600 + 1800));
    const TDateTime now = Now();
    QVERIFY2(std::fabs(now - expected) < 2.0 / 86400, qPrintable(Text(DateTimeToStr(now))));
    QCOMPARE(Date(), std::floor(Now()));
    for (int i = 0; i < 1000; ++i) {
        const TDateTime later = Now();
        QVERIFY(later >= now);
    }
}

void DateTimeTest::currentTextRoundsToTheMillisecond()
{
    const TDateTime value = EncodeDate(2026, 3, 15) + EncodeTime(12, 0, 5);
    for (TDateTime v : {value, std::nextafter(value, 0.0), std::nextafter(value, 1e9)}) {
        FClock->Set(v);
        QCOMPARE(CurrentDateTimeText(), std::string("15/3/2026 12:00:05"));
    }
}

void DateTimeTest::currentTextFollowsClockAndSettings()
{
    FClock->Set(EncodeDateTime(2026, 3, 15, 12, 0, 5));
    QCOMPARE(CurrentDateTimeText(), std::string("15/3/2026 12:00:05"));
    FClock->Set(EncodeDateTime(2026, 3, 15, 12, 0, 5, 999));
    QCOMPARE(CurrentDateTimeText(), std::string("15/3/2026 12:00:05"));
    FClock->Set(EncodeDateTime(2026, 3, 15, 12, 0, 6));
    QCOMPARE(CurrentDateTimeText(), std::string("15/3/2026 12:00:06"));

    // New settings show at once, even within the same second.
    SetFormatSettings(Settings(QStringLiteral("yyyy-MM-dd"), QStringLiteral("HH:mm:ss.zzz")));
    QCOMPARE(CurrentDateTimeText(), std::string("2026-03-15 12:00:06.000"));
    // With milliseconds shown, every millisecond counts.
    FClock->Set(EncodeDateTime(2026, 3, 15, 12, 0, 6, 1));
    QCOMPARE(CurrentDateTimeText(), std::string("2026-03-15 12:00:06.001"));
    FClock->Set(EncodeDateTime(2026, 3, 15, 12, 0, 6, 2));
    QCOMPARE(CurrentDateTimeText(), std::string("2026-03-15 12:00:06.002"));
    SetFormatSettings(Settings(QStringLiteral("yyyy-MM-dd"), QStringLiteral("HH:mm:ss")));
    QCOMPARE(CurrentDateTimeText(), std::string("2026-03-15 12:00:06"));
}

void DateTimeTest::currentTextDoesNotAllocate()
{
    if (!CanCountAllocations)
        QSKIP("allocations cannot be counted under the address sanitizer");
    TQuarterSecondClock clock(EncodeDateTime(2026, 3, 15, 12, 0, 0));
    SetClock(&clock);
    std::string last = CurrentDateTimeText();
    last.reserve(64);
    int changes = 0;
    Allocations = 0;
    Counting = true;
    for (int i = 0; i < 4000; ++i) {
        const std::string &text = CurrentDateTimeText();
        if (text != last) {
            ++changes;
            last = text;
        }
    }
    Counting = false;
    QCOMPARE(Allocations.load(), 0L);
    QCOMPARE(changes, 1000); // once a second, over 1000 seconds
    QCOMPARE(last, std::string("15/3/2026 12:16:40"));
}

// The system clock takes its own quick path to the second: the text must be
// the one the clock's moment converts to.
void DateTimeTest::currentTextOfTheSystemClock()
{
    SetClock(nullptr);
    for (int i = 0; i < 3; ++i) {
        const std::string before = DateTimeToStr(Now());
        const std::string text = CurrentDateTimeText();
        const std::string after = DateTimeToStr(Now());
        QVERIFY2(text == before || text == after, text.c_str());
        QTest::qWait(400);
    }
}

QTEST_GUILESS_MAIN(DateTimeTest)
#include "DateTimeTest.moc"
