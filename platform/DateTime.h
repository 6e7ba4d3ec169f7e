#pragma once
// Dates and times: a settable clock, the date-and-time texts of trace files and
// the date conversions of the disable date.
//
// A TDateTime counts days since 1899-12-30; its fraction is the time of day.
// Texts follow the format settings: a short date pattern and a long time
// pattern in Qt's pattern letters (d dd M MM yyyy, H HH h hh m mm s ss z zzz,
// AP ap, text in single quotes). Years are always written with four digits;
// h and hh count 1..12 when the pattern shows AP or ap, as in Qt.

#include <Orbalog/OrbalogExport.h>

#include <QString>

#include <string>
#include <string_view>

class QLocale;

namespace Orbalog {

using TDateTime = double;

struct ORBALOG_EXPORT TFormatSettings
{
    QString ShortDateFormat = QStringLiteral("dd/MM/yyyy");
    QString LongTimeFormat = QStringLiteral("HH:mm:ss");
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    std::string CurrencyString = "$";
};

// The user's settings from the system locale, with any two-digit year pattern
// widened to four digits.
ORBALOG_EXPORT TFormatSettings SystemFormatSettings();
// The same for any locale. Day and month names become numbers (the locale's
// order kept, "/" between); time zones and letters the texts cannot show are
// left out of the time.
ORBALOG_EXPORT TFormatSettings LocaleFormatSettings(const QLocale &Locale);
// The settings in force (the system's until an application or a test sets its own).
ORBALOG_EXPORT const TFormatSettings &FormatSettings();
ORBALOG_EXPORT void SetFormatSettings(const TFormatSettings &Settings);

class ORBALOG_EXPORT TClock
{
public:
    virtual ~TClock();
    virtual TDateTime Now() = 0;
};

// Always answers the same moment until set to another.
class ORBALOG_EXPORT TFixedClock : public TClock
{
public:
    explicit TFixedClock(TDateTime Value) : FValue(Value) {}
    void Set(TDateTime Value) { FValue = Value; }
    TDateTime Now() override { return FValue; }

private:
    TDateTime FValue;
};

// Answers Start, then moves on by Step at every call.
class ORBALOG_EXPORT TSteppingClock : public TClock
{
public:
    TSteppingClock(TDateTime Start, TDateTime Step) : FValue(Start), FStep(Step) {}
    TDateTime Now() override;

private:
    TDateTime FValue;
    TDateTime FStep;
};

// Installs the clock Now() asks (not owned); nullptr restores the system clock.
ORBALOG_EXPORT void SetClock(TClock *Clock);

ORBALOG_EXPORT TDateTime Now();
ORBALOG_EXPORT TDateTime Date(); // today, without a time part

// Raise EConvertError for a date or time that does not exist.
ORBALOG_EXPORT TDateTime EncodeDate(int Year, int Month, int Day);
ORBALOG_EXPORT TDateTime EncodeTime(int Hour, int Minute, int Second, int MilliSecond = 0);
ORBALOG_EXPORT TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second,
                                        int MilliSecond = 0);
ORBALOG_EXPORT void DecodeDate(TDateTime Value, int &Year, int &Month, int &Day);

ORBALOG_EXPORT std::string DateTimeToStr(TDateTime Value); // short date, a blank, long time
ORBALOG_EXPORT std::string DateToStr(TDateTime Value);     // short date
ORBALOG_EXPORT std::string TimeToStr(TDateTime Value);     // long time

// Parses a date in the short date format: day, month and year in the order the
// pattern gives them, separated by any non-digits. A year of one or two digits
// falls in the hundred years around today (so "30" is 2030 in 2026). A text
// that is no date raises EConvertError "'Text' is not a valid date".
ORBALOG_EXPORT TDateTime StrToDate(std::string_view Text);

// DateTimeToStr(Now()) for the trace hot path: the text is formatted again
// only when the clock has moved past what the text shows (once a second with
// the usual formats) or the format settings have changed.
ORBALOG_EXPORT const std::string &CurrentDateTimeText();

} // namespace Orbalog
