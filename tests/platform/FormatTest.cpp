#include <Orbalog/DateTime.h>
#include <Orbalog/Exception.h>
#include <Orbalog/Format.h>

#include <QTest>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <variant>
#include <vector>

// Counts the allocations of this thread, so that a test can show a format
// call that allocates nothing.
namespace {
thread_local long gAllocations = 0;
}

void *operator new(std::size_t size)
{
    ++gAllocations;
    if (void *p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

using namespace Orbalog;
using namespace std::string_literals;

// The argument values of a table row; each becomes a FormatArg of its own kind.
using Arg = std::variant<int, unsigned, short, qint64, quint64, double, char, std::string, QString, QByteArray,
                         const void *>;
using Args = std::vector<Arg>;
Q_DECLARE_METATYPE(Args)

namespace {

std::vector<FormatArg> ToFormatArgs(const Args &args)
{
    std::vector<FormatArg> result;
    for (const Arg &arg : args) {
        result.push_back(std::visit([](const auto &value) { return FormatArg(value); }, arg));
    }
    return result;
}

QByteArray Run(const QByteArray &format, const Args &args)
{
    const std::vector<FormatArg> formatArgs = ToFormatArgs(args);
    return QByteArray::fromStdString(
        Format(std::string_view(format.constData(), static_cast<std::size_t>(format.size())), formatArgs));
}

const void *Address(std::uintptr_t value)
{
    return reinterpret_cast<const void *>(value);
}

// An address as the pointer conversion prints it: every digit of a pointer.
QByteArray AddressText(std::uintptr_t value)
{
    return QByteArray::number(static_cast<qulonglong>(value), 16).toUpper().rightJustified(2 * sizeof(void *), '0');
}

void Row(const char *name, const QByteArray &format, const Args &args, const QByteArray &expected)
{
    QTest::newRow(name) << format << args << expected;
}

QByteArray AllBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    return bytes;
}

} // namespace

class FormatTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { SetFormatSettings(TFormatSettings{}); }
    void cleanupTestCase() { SetFormatSettings(TFormatSettings{}); }

    void integers_data();
    void integers() { formats(); }
    void texts_data();
    void texts() { formats(); }
    void floats_data();
    void floats() { formats(); }
    void argumentSelection_data();
    void argumentSelection() { formats(); }
    void dumpLayouts_data();
    void dumpLayouts() { formats(); }
    void errors_data();
    void errors();
    void separatorsFollowSettings();
    void appendsWithoutAllocating();

private:
    static void columns();
    void formats();
};

void FormatTest::columns()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<Args>("args");
    QTest::addColumn<QByteArray>("expected");
}

void FormatTest::formats()
{
    QFETCH(QByteArray, format);
    QFETCH(Args, args);
    QFETCH(QByteArray, expected);
    QCOMPARE(Run(format, args), expected);
}

void FormatTest::integers_data()
{
    columns();
    Row("d zero", "%d", {0}, "0");
    Row("d negative", "%d", {-42}, "-42");
    Row("d int min", "%d", {INT_MIN}, "-2147483648");
    Row("d int64 min", "%d", {std::numeric_limits<qint64>::min()}, "-9223372036854775808");
    Row("d short", "%d", {short(-1)}, "-1");
    Row("d unsigned shows its value", "%d", {4294967295u}, "4294967295");
    Row("d uint64 max", "%d", {std::numeric_limits<quint64>::max()}, "18446744073709551615");
    Row("d width right-aligns", "%6d", {42}, "    42");
    Row("d minus left-justifies", "%-6d|", {42}, "42    |");
    Row("d wider than width", "%2d", {12345}, "12345");
    Row("d zero is a width digit", "%06d", {-42}, "   -42");
    Row("d precision zero-pads after the sign", "%.3d", {-5}, "-005");
    Row("d precision and width", "%6.3d", {-5}, "  -005");
    Row("d precision left", "%-6.3d|", {7}, "007   |");
    Row("d precision zero of zero", "%.0d", {0}, "0");
    Row("d upper-case letter", "%D", {5}, "5");
    Row("u negative int is 32-bit", "%u", {-1}, "4294967295");
    Row("u negative int64 is 64-bit", "%u", {qint64(-1)}, "18446744073709551615");
    Row("u unsigned", "%4u", {7u}, "   7");
    Row("x upper case", "%x", {255}, "FF");
    Row("x letter X", "%X", {171}, "AB");
    Row("x negative int", "%x", {-1}, "FFFFFFFF");
    Row("x negative short", "%x", {short(-2)}, "FFFFFFFE");
    Row("x negative int64", "%x", {qint64(-1)}, "FFFFFFFFFFFFFFFF");
    Row("x uint64", "%x", {quint64(0xDEADBEEFCAFEull)}, "DEADBEEFCAFE");
    Row("x width pads blanks", "%02x", {13}, " D");
    Row("x width four", "%04x", {1}, "   1");
    Row("x precision zero-pads", "%.4x", {255}, "00FF");
    Row("x precision and width", "%8.4x", {255}, "    00FF");
    Row("x left", "%-4x|", {10}, "A   |");
}

void FormatTest::texts_data()
{
    columns();
    const QString umlauts = QStringLiteral("Gr\u00fc\u00dfe");
    const QString astral = QString::fromUtf8("a\xF0\x9F\x98\x80z");
    const QString loneSurrogate = QStringLiteral("x") + QChar(0xD800) + QStringLiteral("y") + QChar(0xDC00) + QChar(0xD800);
    Row("s", "%s", {"abc"s}, "abc");
    Row("s width", "%5s", {"abc"s}, "  abc");
    Row("s left", "%-5s|", {"abc"s}, "abc  |");
    Row("s precision cuts", "%.2s", {"abc"s}, "ab");
    Row("s precision and width", "%5.2s", {"abc"s}, "   ab");
    Row("s precision longer than text", "%.5s", {"abc"s}, "abc");
    Row("s empty with width", "%3s|", {""s}, "   |");
    Row("s of a char", "%s", {'x'}, "x");
    Row("s of a byte array", "%s", {QByteArray("qb")}, "qb");
    Row("s every byte passes", "[%s]", {QByteArray(AllBytes())}, "[" + AllBytes() + "]");
    Row("s precision counts raw bytes", "%.3s", {QByteArray("\xff\0\x80" "A", 4)}, QByteArray("\xff\0\x80", 3));
    Row("raw bytes in the format", QByteArray("\0\x7f\xff|%s|\x80", 8), {"\xfe"s},
        QByteArray("\0\x7f\xff|\xfe|\x80", 7));
    Row("s QString as UTF-8", "%s", {umlauts}, umlauts.toUtf8());
    Row("s QString beyond the BMP", "%s", {astral}, astral.toUtf8());
    Row("s QString lone surrogate", "%s", {loneSurrogate}, loneSurrogate.toUtf8());
    Row("s QString width counts bytes", "%6s", {QStringLiteral("\u00e4")}, "    \xc3\xa4");
    Row("s QString precision keeps characters whole", "%-4.3s|", {QStringLiteral("\u00e4\u00f6")},
        "\xc3\xa4  |");
    Row("c", "%c", {'A'}, "A");
    Row("c width", "%3c", {'A'}, "  A");
    Row("c left", "%-3c|", {'A'}, "A  |");
    Row("c high byte", "%c", {'\xff'}, "\xff");
    Row("c nul byte", "<%c>", {'\0'}, QByteArray("<\0>", 3));
    Row("p null", "%p", {Address(0)}, AddressText(0));
    Row("p full width", "%p", {Address(0xA41C08)}, AddressText(0xA41C08));
    Row("p all digits used", "%p", {Address(~std::uintptr_t(15))}, AddressText(~std::uintptr_t(15)));
    Row("p width pads blanks", "%20p", {Address(0xA41C08)},
        QByteArray(20 - 2 * int(sizeof(void *)), ' ') + AddressText(0xA41C08));
    Row("p left", "%-20p|", {Address(0xA41C08)},
        AddressText(0xA41C08) + QByteArray(20 - 2 * int(sizeof(void *)), ' ') + "|");
    Row("percent", "100%%", {}, "100%");
    Row("percent then letter", "%%d%d", {1}, "%d1");
    Row("empty format", "", {}, "");
    Row("no conversion", "plain text", {}, "plain text");
    Row("extra arguments are ignored", "%d", {1, 2}, "1");
}

void FormatTest::floats_data()
{
    columns();
    const double inf = std::numeric_limits<double>::infinity();
    Row("f default two decimals", "%f", {1.0}, "1.00");
    Row("f zero", "%f", {0.0}, "0.00");
    Row("f negative", "%f", {-1234.5}, "-1234.50");
    Row("f tie rounds away from zero", "%.1f", {2.25}, "2.3");
    Row("f negative tie", "%.1f", {-2.25}, "-2.3");
    Row("f tie of an eighth", "%.2f", {0.125}, "0.13");
    Row("f half to no decimals", "%.0f", {0.5}, "1");
    Row("f two and a half", "%.0f", {2.5}, "3");
    Row("f tie carries into a new digit", "%.0f", {9.5}, "10");
    Row("f tie carries across the point", "%.1f", {9.75}, "9.8");
    Row("f below a tie in binary", "%.2f", {1.005}, "1.00");
    Row("f just below in binary", "%.1f", {9.95}, "9.9");
    Row("f just above in binary carries", "%.1f", {99.95}, "100.0");
    Row("f negative rounding to zero has no sign", "%.2f", {-0.001}, "0.00");
    Row("f negative zero", "%f", {-0.0}, "0.00");
    Row("f width", "%8.3f", {3.14159}, "   3.142");
    Row("f left", "%-8.1f|", {3.14159}, "3.1     |");
    Row("f precision capped at 18", "%.25f", {0.1}, "0.100000000000000006");
    Row("f large", "%.0f", {1e22}, "10000000000000000000000");
    Row("e default", "%e", {1.0}, "1.00000000000000E+000");
    Row("e zero", "%e", {0.0}, "0.00000000000000E+000");
    Row("e negative small", "%e", {-1.5e-10}, "-1.50000000000000E-010");
    Row("e significant digits", "%.3e", {12345.678}, "1.23E+004");
    Row("e tie away from zero", "%.2e", {125.0}, "1.3E+002");
    Row("e negative tie", "%.2e", {-125.0}, "-1.3E+002");
    Row("e tie carries into the exponent", "%.1e", {9.5}, "1E+001");
    Row("e precision zero is one digit", "%.0e", {1234.0}, "1E+003");
    Row("e large exponent", "%e", {1e300}, "1.00000000000000E+300");
    Row("e smallest subnormal", "%e", {5e-324}, "4.94065645841247E-324");
    Row("e width", "%12.3e", {1.0}, "   1.00E+000");
    Row("g large is scientific", "%g", {1e20}, "1E20");
    Row("g small is scientific", "%g", {0.00001}, "1E-5");
    Row("g ten thousandth is fixed", "%g", {0.0001}, "0.0001");
    Row("g fraction", "%g", {1.5}, "1.5");
    Row("g integer", "%g", {100.0}, "100");
    Row("g zero", "%g", {0.0}, "0");
    Row("g negative zero", "%g", {-0.0}, "0");
    Row("g exponent at precision", "%g", {1e15}, "1E15");
    Row("g exponent below precision", "%g", {1e14}, "100000000000000");
    Row("g rounds to precision", "%g", {123456789012345678.0}, "1.23456789012346E17");
    Row("g third", "%g", {1.0 / 3}, "0.333333333333333");
    Row("g negative scientific", "%g", {-2.5e-7}, "-2.5E-7");
    Row("g leading zeros", "%.3g", {0.000123456}, "0.000123");
    Row("g tie carries into scientific", "%.3g", {9995.0}, "1E4");
    Row("g tie on the units", "%.3g", {999.5}, "1E3");
    Row("g tie on the tens", "%.1g", {25.0}, "3E1");
    Row("g fractional tie", "%.2g", {0.125}, "0.13");
    Row("g width", "%8g", {1.5}, "     1.5");
    Row("n thousands", "%n", {1234567.891}, "1,234,567.89");
    Row("n negative", "%.1n", {-1234.5}, "-1,234.5");
    Row("n rounding adds a group", "%n", {999.999}, "1,000.00");
    Row("n no decimals", "%.0n", {1234.0}, "1,234");
    Row("n small", "%n", {123.0}, "123.00");
    Row("n billion", "%n", {1e9}, "1,000,000,000.00");
    Row("n width", "%15n", {1234.5}, "       1,234.50");
    Row("m", "%m", {1234.5}, "$1,234.50");
    Row("m negative", "%m", {-1234.5}, "-$1,234.50");
    Row("m negative rounding to zero", "%m", {-0.001}, "$0.00");
    Row("m width", "%10m", {5.0}, "     $5.00");
    Row("m tie", "%.0m", {2.5}, "$3");
    Row("m left", "%-8m|", {1.0}, "$1.00   |");
    Row("f nan", "%f", {std::numeric_limits<double>::quiet_NaN()}, "NAN");
    Row("e infinity", "%e", {inf}, "INF");
    Row("g negative infinity with width", "%6g", {-inf}, "  -INF");
    Row("n negative infinity", "%n", {-inf}, "-INF");
}

void FormatTest::argumentSelection_data()
{
    columns();
    Row("index", "%1:s %0:s", {"a"s, "b"s}, "b a");
    Row("index then next", "%1:s %s", {"a"s, "b"s, "c"s}, "b c");
    Row("index repeats", "%0:s%0:s%s", {"a"s, "b"s}, "aab");
    Row("index with width", "%1:6d|", {1, 2}, "     2|");
    Row("index with left", "%0:-4d|", {7}, "7   |");
    Row("star width", "%*d", {5, 42}, "   42");
    Row("star width left", "%-*d|", {5, 42}, "42   |");
    Row("negative star width left-justifies", "%*d|", {-5, 42}, "42   |");
    Row("star width unsigned", "%*d", {5u, 1}, "    1");
    Row("star precision", "%.*f", {1, 2.25}, "2.3");
    Row("star width and precision", "%*.*s", {6, 2, "abcdef"s}, "    ab");
    Row("negative star precision is none", "%.*d", {-1, 5}, "5");
    Row("star index", "%*:s", {1, "a"s}, "a");
}

void FormatTest::dumpLayouts_data()
{
    columns();
    const QByteArray hexPart = " 48 65[6C 6C 6F  D  A  0 41 42 43 44 45 46 47 48";
    Row("header", "%6d  %s: %s[%p]", {7, "Receive"s, "Frame"s, Address(0xA41C08)},
        "     7  Receive: Frame[" + AddressText(0xA41C08) + "]");
    Row("error header", "%6d:%6d  %s: %s[%p]", {3, 1234567, "Receive"s, "Frame"s, Address(0xA41C08)},
        "     3:1234567  Receive: Frame[" + AddressText(0xA41C08) + "]");
    Row("range", "        Range: %d [%xh] to %d [%xh], Mark at: %d [%xh]", {2, 2, 19, 19, 17, 17},
        "        Range: 2 [2h] to 19 [13h], Mark at: 17 [11h]");
    Row("range with negative from", "        Range: %d [%xh] to %d [%xh], Mark at: %d [%xh]",
        {-1, -1, 19, 19, 17, 17}, "        Range: -1 [FFFFFFFFh] to 19 [13h], Mark at: 17 [11h]");
    Row("dump row", "        %04x-%s %s", {0, hexPart.toStdString(), "Hello...ABCDEFGH"s},
        "           0-" + hexPart + " Hello...ABCDEFGH");
    Row("dump row index in hex", "        %04x-%s %s", {0x1A, " 30"s, "0"s}, "          1A- 30 0");
    Row("hex byte", "%02x", {0x0D}, " D");
    Row("error record prefix", "%6d:%6d ", {1, 2}, "     1:     2 ");
}

void FormatTest::errors_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<Args>("args");
    QTest::newRow("missing argument") << QByteArray("%d") << Args{};
    QTest::newRow("second argument missing") << QByteArray("%s %d") << Args{"a"s};
    QTest::newRow("d of text") << QByteArray("%d") << Args{"x"s};
    QTest::newRow("d of float") << QByteArray("%d") << Args{1.5};
    QTest::newRow("d of char") << QByteArray("%d") << Args{'c'};
    QTest::newRow("x of pointer") << QByteArray("%x") << Args{Address(1)};
    QTest::newRow("u of QString") << QByteArray("%u") << Args{QStringLiteral("1")};
    QTest::newRow("s of integer") << QByteArray("%s") << Args{1};
    QTest::newRow("s of pointer") << QByteArray("%s") << Args{Address(1)};
    QTest::newRow("f of integer") << QByteArray("%f") << Args{1};
    QTest::newRow("e of text") << QByteArray("%e") << Args{"1.5"s};
    QTest::newRow("c of text") << QByteArray("%c") << Args{"x"s};
    QTest::newRow("c of integer") << QByteArray("%c") << Args{65};
    QTest::newRow("p of integer") << QByteArray("%p") << Args{1};
    QTest::newRow("p of text") << QByteArray("%p") << Args{"abc"s};
    QTest::newRow("unknown conversion") << QByteArray("%q") << Args{1};
    QTest::newRow("blank is no flag") << QByteArray("% d") << Args{1};
    QTest::newRow("plus is no flag") << QByteArray("%+d") << Args{1};
    QTest::newRow("percent after minus") << QByteArray("%-%") << Args{};
    QTest::newRow("percent at the end") << QByteArray("abc%") << Args{};
    QTest::newRow("end after width") << QByteArray("%5") << Args{1};
    QTest::newRow("end after point") << QByteArray("%5.") << Args{1};
    QTest::newRow("end after minus") << QByteArray("%-") << Args{1};
    QTest::newRow("end after index") << QByteArray("%1:") << Args{1, 2};
    QTest::newRow("index out of range") << QByteArray("%2:d") << Args{1, 2};
    QTest::newRow("star index negative") << QByteArray("%*:d") << Args{-1, 5};
    QTest::newRow("star of text") << QByteArray("%*d") << Args{"x"s, 1};
    QTest::newRow("star of float") << QByteArray("%*d") << Args{1.5, 1};
    QTest::newRow("star without argument") << QByteArray("%*d") << Args{};
    QTest::newRow("star beyond int") << QByteArray("%.*f") << Args{quint64(1) << 40, 1.0};
    QTest::newRow("star of int min") << QByteArray("%*d") << Args{INT_MIN, 1};
}

void FormatTest::errors()
{
    QFETCH(QByteArray, format);
    QFETCH(Args, args);
    try {
        Run(format, args);
        QFAIL("no EConvertError raised");
    } catch (const EConvertError &error) {
        QCOMPARE(QByteArray::fromStdString(error.Message()),
                 "Format '" + format + "' invalid or incompatible with argument");
    }
}

void FormatTest::separatorsFollowSettings()
{
    TFormatSettings settings;
    settings.DecimalSeparator = ',';
    settings.ThousandSeparator = '.';
    settings.CurrencyString = "EUR ";
    SetFormatSettings(settings);
    QCOMPARE(Format("%n", {1234567.891}), "1.234.567,89"s);
    QCOMPARE(Format("%m", {-1234.5}), "-EUR 1.234,50"s);
    QCOMPARE(Format("%f", {1234.5}), "1234,50"s);
    QCOMPARE(Format("%.3e", {12345.678}), "1,23E+004"s);
    QCOMPARE(Format("%g", {1.5}), "1,5"s);
    QCOMPARE(Format("%g", {2.5e-7}), "2,5E-7"s);

    settings.ThousandSeparator = '\0'; // no grouping
    SetFormatSettings(settings);
    QCOMPARE(Format("%n", {1234567.891}), "1234567,89"s);
}

void FormatTest::appendsWithoutAllocating()
{
    const std::string caption = "Receive";
    const QString name = QStringLiteral("Fr\u00e4me");
    std::string out = "prefix ";
    out.reserve(256);
    const char *storage = out.data();
    const long before = gAllocations;
    const FormatArg header[] = {7, caption, name, Address(0xA41C08)};
    const FormatArg values[] = {-1, 13, "ab", 2.25, 1e20, 1234.5};
    FormatTo(out, "%6d  %s: %s[%p]", header);
    FormatTo(out, " %x %02x %-5s| %.1f %g %n", values);
    const long allocations = gAllocations - before;
    QCOMPARE(allocations, 0L);
    QCOMPARE(static_cast<const void *>(out.data()), static_cast<const void *>(storage));
    QCOMPARE(QByteArray::fromStdString(out), "prefix      7  Receive: Fr\xc3\xa4me[" + AddressText(0xA41C08)
                                                 + "] FFFFFFFF  D ab   | 2.3 1E20 1,234.50");
}

QTEST_GUILESS_MAIN(FormatTest)
#include "FormatTest.moc"
