#include <Orbalog/Exception.h>
#include <Orbalog/TIniFile.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <limits>
#include <memory>

#include <sys/resource.h>

using namespace Orbalog;

namespace {

QByteArray ReadFile(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString &Path, const QByteArray &Data)
{
    QFile file(Path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(Data), Data.size());
}

// ---- helper processes: the test binary started again with --helper ----------

// --helper section FILE NAME START_MS: waits for the agreed moment, then saves
// five rounds of keys of its own section, each through a fresh TIniFile.
int SaveSection(const QString &File, const QString &Name, qint64 StartMs)
{
    while (QDateTime::currentMSecsSinceEpoch() < StartMs)
        ;
    for (int round = 0; round < 5; ++round) {
        TIniFile ini(File);
        ini.WriteInteger(Name, QStringLiteral("Round%1").arg(round), round);
        ini.WriteString(Name, QStringLiteral("Process"), QString::number(QCoreApplication::applicationPid()));
        ini.UpdateFile();
    }
    return 0;
}

// --helper limited FILE: saves a value larger than the file size the process
// may write, so that writing the new file fails part way.
int SaveBeyondLimit(const QString &File)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return 2;
    TIniFile ini(File);
    ini.WriteString(QStringLiteral("App"), QStringLiteral("FileName"), QString(1000, u'x'));
    try {
        ini.UpdateFile();
    } catch (const EInOutError &e) {
        std::printf("%d %s\n", e.ErrorCode(), e.what());
        return 3; // and the destructor tries again, quietly
    }
    return 0;
}

int RunHelper(const QStringList &Args)
{
    if (Args.size() == 6 && Args[2] == u"section")
        return SaveSection(Args[3], Args[4], Args[5].toLongLong());
    if (Args.size() == 4 && Args[2] == u"limited")
        return SaveBeyondLimit(Args[3]);
    return 1;
}

} // namespace

class TIniFileTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void roundTrip_data();
    void roundTrip();
    void fileIsReadableText();
    void lookupsIgnoreCase();
    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void missingFileSectionOrKey();
    void mergeKeepsWhatAPersonWrote();
    void lineBreaksCannotOpenASection();
    void destructorSaves();
    void folderIsCreated();
    void failedUpdateRaises();
    void failedWriteKeepsOldFile();
    void staleReaderKeepsOtherSections();
    void concurrentSavesKeepEverySection();

private:
    std::unique_ptr<QTemporaryDir> FDir;
    QString FPath;
};

void TIniFileTest::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    SetIniDirectory(FDir->path());
    FPath = FDir->filePath(QStringLiteral("ORBALOG.INI"));
}

void TIniFileTest::cleanup()
{
    SetIniDirectory(QString());
    FDir.reset();
}

void TIniFileTest::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("plain") << "Trace.log" << "Trace.log";
    QTest::newRow("path with blanks") << "/tmp/my logs/Trace.log" << "/tmp/my logs/Trace.log";
    QTest::newRow("equals sign inside") << "a=b=c" << "a=b=c";
    QTest::newRow("UTF-8") << "Grüße – 日本" << "Grüße – 日本";
    QTest::newRow("surrounding blanks trimmed") << "  x  " << "x";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("semicolon") << ";not a comment" << ";not a comment";
}

void TIniFileTest::roundTrip()
{
    QFETCH(QString, value);
    QFETCH(QString, readBack);
    {
        TIniFile ini(QStringLiteral("ORBALOG.INI"));
        QCOMPARE(ini.FileName(), FPath);
        ini.WriteString(QStringLiteral("My App"), QStringLiteral("FileName"), value);
        ini.WriteBool(QStringLiteral("My App"), QStringLiteral("AutoReset"), true);
        ini.WriteBool(QStringLiteral("My App"), QStringLiteral("SaveOnError"), false);
        ini.WriteInteger(QStringLiteral("My App"), QStringLiteral("MaxSizeTrace"), std::numeric_limits<int>::min());
        ini.WriteInteger(QStringLiteral("My App"), QStringLiteral("TraceLevel"), -1);
        // The object answers its own writes before they are saved.
        QCOMPARE(ini.ReadString(QStringLiteral("My App"), QStringLiteral("FileName"), QStringLiteral("?")), readBack);
        ini.UpdateFile();
    }
    const TIniFile ini(FPath);
    QCOMPARE(ini.ReadString(QStringLiteral("My App"), QStringLiteral("FileName"), QStringLiteral("?")), readBack);
    QCOMPARE(ini.ReadBool(QStringLiteral("My App"), QStringLiteral("AutoReset"), false), true);
    QCOMPARE(ini.ReadBool(QStringLiteral("My App"), QStringLiteral("SaveOnError"), true), false);
    QCOMPARE(ini.ReadInteger(QStringLiteral("My App"), QStringLiteral("MaxSizeTrace"), 0),
             std::numeric_limits<int>::min());
    QCOMPARE(ini.ReadInteger(QStringLiteral("My App"), QStringLiteral("TraceLevel"), 0), -1);
}

void TIniFileTest::fileIsReadableText()
{
    TIniFile ini(FPath);
    ini.WriteString(QStringLiteral("App"), QStringLiteral("FileName"), QStringLiteral("Trace.log"));
    ini.WriteBool(QStringLiteral("App"), QStringLiteral("AutoReset"), true);
    ini.WriteInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 5);
    ini.WriteInteger(QStringLiteral(""), QStringLiteral("TraceLevel"), 7); // a title not yet known
    ini.WriteInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 6);
    ini.UpdateFile();
    QCOMPARE(ReadFile(FPath), QByteArray("[App]\nFileName=Trace.log\nAutoReset=1\nTraceLevel=6\n\n[]\nTraceLevel=7\n"));
}

void TIniFileTest::lookupsIgnoreCase()
{
    WriteFile(FPath, "[MyApp]\nTraceLevel=3\n");
    {
        TIniFile ini(FPath);
        QCOMPARE(ini.ReadInteger(QStringLiteral("MYAPP"), QStringLiteral("tracelevel"), 0), 3);
        ini.WriteInteger(QStringLiteral("myapp"), QStringLiteral("TRACELEVEL"), 4);
        ini.WriteInteger(QStringLiteral("myAPP"), QStringLiteral("WatchLevel"), 2);
    }
    // One section, the key's own spelling kept, the new key at the section's end.
    QCOMPARE(ReadFile(FPath), QByteArray("[MyApp]\nTraceLevel=4\nWatchLevel=2\n"));
}

void TIniFileTest::readInteger_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("42") << 42;
    QTest::newRow("blanks around") << QByteArray("  -17  ") << -17;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("dollar hex") << QByteArray("$1F") << 31;
    QTest::newRow("0x hex") << QByteArray("0X10") << 16;
    QTest::newRow("hex wraps to negative") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("too large: default") << QByteArray("2147483648") << -99;
    QTest::newRow("hex too long: default") << QByteArray("$100000000") << -99;
    QTest::newRow("garbage: default") << QByteArray("abc") << -99;
    QTest::newRow("trailing garbage: default") << QByteArray("12abc") << -99;
    QTest::newRow("fraction: default") << QByteArray("1.5") << -99;
    QTest::newRow("empty: default") << QByteArray("") << -99;
    QTest::newRow("bare prefix: default") << QByteArray("$") << -99;
    QTest::newRow("signed hex: default") << QByteArray("$-1") << -99;
    QTest::newRow("flag: default") << QByteArray("true") << -99;
}

void TIniFileTest::readInteger()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    WriteFile(FPath, "[App]\nValue=" + text + "\n");
    QCOMPARE(TIniFile(FPath).ReadInteger(QStringLiteral("App"), QStringLiteral("Value"), -99), expected);
}

void TIniFileTest::readBool_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("withTrueDefault");
    QTest::addColumn<bool>("withFalseDefault");
    QTest::newRow("1") << QByteArray("1") << true << true;
    QTest::newRow("0") << QByteArray("0") << false << false;
    QTest::newRow("true") << QByteArray("TRUE") << true << true;
    QTest::newRow("false") << QByteArray("False") << false << false;
    QTest::newRow("yes") << QByteArray("yes") << true << true;
    QTest::newRow("no") << QByteArray("No") << false << false;
    QTest::newRow("on") << QByteArray("On") << true << true;
    QTest::newRow("off") << QByteArray("off") << false << false;
    QTest::newRow("other number") << QByteArray("2") << true << true;
    QTest::newRow("hex zero") << QByteArray("$0") << false << false;
    QTest::newRow("garbage") << QByteArray("maybe") << true << false;
    QTest::newRow("empty") << QByteArray("") << true << false;
}

void TIniFileTest::readBool()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, withTrueDefault);
    QFETCH(bool, withFalseDefault);
    WriteFile(FPath, "[App]\nFlag = " + text + "\n");
    const TIniFile ini(FPath);
    QCOMPARE(ini.ReadBool(QStringLiteral("App"), QStringLiteral("Flag"), true), withTrueDefault);
    QCOMPARE(ini.ReadBool(QStringLiteral("App"), QStringLiteral("Flag"), false), withFalseDefault);
}

void TIniFileTest::missingFileSectionOrKey()
{
    {
        const TIniFile ini(FPath);
        QCOMPARE(ini.ReadString(QStringLiteral("App"), QStringLiteral("FileName"), QStringLiteral("d")), u"d");
        QCOMPARE(ini.ReadInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 9), 9);
    }
    QVERIFY2(!QFile::exists(FPath), "reading alone created the file");

    WriteFile(FPath, "TraceLevel=1\n[Other]\nTraceLevel=2\n[App]\nFileName=x\n");
    const TIniFile ini(FPath);
    QCOMPARE(ini.ReadInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 9), 9);
    QCOMPARE(ini.ReadInteger(QStringLiteral("None"), QStringLiteral("TraceLevel"), 9), 9);
    QCOMPARE(ini.ReadInteger(QStringLiteral(""), QStringLiteral("TraceLevel"), 9), 9); // lines before any section
    QCOMPARE(ini.ReadBool(QStringLiteral("App"), QStringLiteral("AutoReset"), true), true);
}

void TIniFileTest::mergeKeepsWhatAPersonWrote()
{
    WriteFile(FPath,
              "; tracing settings\n"
              "# edited by hand\n"
              "\n"
              "[App]\n"
              "  FileName = old.log   \n"
              "; keep this\n"
              "this line is no key\n"
              "AutoReset=0\n"
              "\n"
              "; about the next section\n"
              "[Other App]\n"
              "TraceLevel=3\n");
    {
        TIniFile ini(QStringLiteral("ORBALOG.INI"));
        QCOMPARE(ini.ReadString(QStringLiteral("App"), QStringLiteral("filename"), QString()), u"old.log");
        ini.WriteString(QStringLiteral("App"), QStringLiteral("FileName"), QStringLiteral("new.log"));
        ini.WriteBool(QStringLiteral("App"), QStringLiteral("AlwaysCommit"), true);
        ini.WriteInteger(QStringLiteral("Third"), QStringLiteral("TraceLevel"), 1);
        ini.UpdateFile();
    }
    QCOMPARE(ReadFile(FPath), QByteArray("; tracing settings\n"
                                         "# edited by hand\n"
                                         "\n"
                                         "[App]\n"
                                         "  FileName = new.log\n"
                                         "; keep this\n"
                                         "this line is no key\n"
                                         "AutoReset=0\n"
                                         "AlwaysCommit=1\n"
                                         "\n"
                                         "; about the next section\n"
                                         "[Other App]\n"
                                         "TraceLevel=3\n"
                                         "\n"
                                         "[Third]\n"
                                         "TraceLevel=1\n"));

    // A file written on another system keeps its line ends, its byte order
    // mark and lines that are no UTF-8.
    WriteFile(FPath, "\xEF\xBB\xBF[App]\r\n; caf\xE9\r\nAutoReset=0\r\n");
    {
        TIniFile ini(FPath);
        QCOMPARE(ini.ReadBool(QStringLiteral("App"), QStringLiteral("AutoReset"), true), false);
        ini.WriteBool(QStringLiteral("App"), QStringLiteral("AutoReset"), true);
    }
    QCOMPARE(ReadFile(FPath), QByteArray("\xEF\xBB\xBF[App]\r\n; caf\xE9\r\nAutoReset=1\r\n"));
}

void TIniFileTest::lineBreaksCannotOpenASection()
{
    {
        TIniFile ini(FPath);
        ini.WriteString(QStringLiteral("App"), QStringLiteral("FileName"), QStringLiteral("a\n[Evil]\r\nTraceLevel=0"));
    }
    const TIniFile ini(FPath);
    QCOMPARE(ini.ReadInteger(QStringLiteral("Evil"), QStringLiteral("TraceLevel"), 5), 5);
    QCOMPARE(ini.ReadString(QStringLiteral("App"), QStringLiteral("FileName"), QString()), u"a [Evil]  TraceLevel=0");
}

void TIniFileTest::destructorSaves()
{
    {
        TIniFile ini(QStringLiteral("ORBALOG.INI"));
        ini.WriteInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 12);
    }
    QCOMPARE(TIniFile(QStringLiteral("ORBALOG.INI")).ReadInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 0),
             12);
}

void TIniFileTest::folderIsCreated()
{
    const QString folder = FDir->filePath(QStringLiteral("a/b/c"));
    SetIniDirectory(folder);
    {
        TIniFile ini(QStringLiteral("ORBALOG.INI"));
        QCOMPARE(ini.FileName(), folder + QStringLiteral("/ORBALOG.INI"));
        ini.WriteInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 3);
        ini.UpdateFile();
    }
    QCOMPARE(ReadFile(folder + QStringLiteral("/ORBALOG.INI")), QByteArray("[App]\nTraceLevel=3\n"));
}

void TIniFileTest::failedUpdateRaises()
{
    // A folder below a regular file can never be made, not even by root.
    const QString plain = FDir->filePath(QStringLiteral("file.txt"));
    WriteFile(plain, "keep me\n");
    const QString name = plain + QStringLiteral("/sub/ORBALOG.INI");
    TIniFile ini(name);
    ini.WriteInteger(QStringLiteral("App"), QStringLiteral("TraceLevel"), 3);
    try {
        ini.UpdateFile();
        QFAIL("no error raised");
    } catch (const EInOutError &e) {
        QCOMPARE(e.ErrorCode(), ENOTDIR);
        QVERIFY2(QString::fromStdString(e.Message()).contains(name), e.what());
    }
    QCOMPARE(ReadFile(plain), QByteArray("keep me\n"));
}

void TIniFileTest::failedWriteKeepsOldFile()
{
    const QByteArray old = "[App]\nFileName=old.log\n";
    WriteFile(FPath, old);
    QProcess helper;
    helper.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--helper"), QStringLiteral("limited"), FPath});
    QVERIFY(helper.waitForFinished(30000));
    const QByteArray report = helper.readAllStandardOutput();
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 3);
    QVERIFY2(report.startsWith(QByteArray::number(EFBIG) + ' '), report.constData());
    QVERIFY2(report.contains(FPath.toUtf8()), report.constData());
    QCOMPARE(ReadFile(FPath), old);
    // No half-written temporary file is left behind; only the lock file is new.
    QCOMPARE(QDir(FDir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("ORBALOG.INI"), QStringLiteral("ORBALOG.INI.lock")}));
}

// Two objects read the same file before either saves: the save of the second
// must not bring back the file as it was before the first.
void TIniFileTest::staleReaderKeepsOtherSections()
{
    TIniFile first(FPath);
    TIniFile second(FPath);
    first.WriteInteger(QStringLiteral("First"), QStringLiteral("TraceLevel"), 1);
    second.WriteInteger(QStringLiteral("Second"), QStringLiteral("TraceLevel"), 2);
    first.UpdateFile();
    second.UpdateFile();
    const TIniFile after(FPath);
    QCOMPARE(after.ReadInteger(QStringLiteral("First"), QStringLiteral("TraceLevel"), 0), 1);
    QCOMPARE(after.ReadInteger(QStringLiteral("Second"), QStringLiteral("TraceLevel"), 0), 2);
}

void TIniFileTest::concurrentSavesKeepEverySection()
{
    constexpr int Processes = 12;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 2000;
    std::vector<std::unique_ptr<QProcess>> helpers;
    for (int i = 0; i < Processes; ++i) {
        helpers.push_back(std::make_unique<QProcess>());
        helpers.back()->start(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--helper"), QStringLiteral("section"), FPath,
                               QStringLiteral("App%1").arg(i), QString::number(start)});
    }
    for (auto &helper : helpers) {
        QVERIFY(helper->waitForFinished(60000));
        QCOMPARE(helper->exitCode(), 0);
    }
    const QByteArray text = ReadFile(FPath);
    QCOMPARE(text.count("\n["), qsizetype(Processes - 1)); // every section once
    const TIniFile ini(FPath);
    for (int i = 0; i < Processes; ++i)
        for (int round = 0; round < 5; ++round)
            QVERIFY2(ini.ReadInteger(QStringLiteral("App%1").arg(i), QStringLiteral("Round%1").arg(round), -1) == round,
                     qPrintable(QStringLiteral("App%1 lost Round%2").arg(i).arg(round)));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1 && args[1] == u"--helper")
        return RunHelper(args);
    TIniFileTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "TIniFileTest.moc"
