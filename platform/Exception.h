#pragma once
// The exception family every Orbalog operation raises. Nothing in the library
// catches these: they reach whoever called the public operation.

#include <Orbalog/OrbalogExport.h>

#include <exception>
#include <string>

namespace Orbalog {

class ORBALOG_EXPORT Exception : public std::exception
{
public:
    explicit Exception(std::string message);
    ~Exception() override;

    const std::string &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A failed open, write, flush or close of a text file. ErrorCode is the
// operating system's errno (or one of the codes below for faults the library
// detects itself); the message names the file and the reason.
class ORBALOG_EXPORT EInOutError : public Exception
{
public:
    static constexpr int FileNotAssigned = 102;
    static constexpr int FileNotOpen = 103;

    EInOutError(int errorCode, std::string message);
    ~EInOutError() override;

    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};

// A text that is no valid value (a date, a number) or a format string that
// does not fit its arguments.
class ORBALOG_EXPORT EConvertError : public Exception
{
public:
    using Exception::Exception;
    ~EConvertError() override;
};

// An index outside the range of the data it addresses.
class ORBALOG_EXPORT ERangeError : public Exception
{
public:
    using Exception::Exception;
    ~ERangeError() override;
};

} // namespace Orbalog
