#include <Orbalog/TTracerEngine.h>
#include "TraceScratch.h"

#include <Orbalog/FileNames.h>
#include <Orbalog/TComponent.h>
#include <Orbalog/TTraceDisplay.h>
#include <Orbalog/TTracerExtraKeys.h>

#include <limits>

namespace Orbalog {

namespace {

constexpr std::string_view StartMarker = "<<<<<< Start Tracing >>>>>>";
constexpr std::string_view RestartMarker = "<<<<<< Restart Tracing >>>>>>";
constexpr std::string_view EndMarker = "<<<<<< End Tracing >>>>>>";

constexpr std::string_view BannerText =
    "=========== Orbalog Tracer  -  by the Orbalog developers  -  Version 1.0 =======";
static_assert(BannerText.size() == 80, "the banner is one line of 80 characters");

// Sets a flag for the life of a scope, restoring the previous value.
class FlagScope
{
public:
    explicit FlagScope(bool &Flag) : FFlag(Flag), FPrevious(Flag) { FFlag = true; }
    ~FlagScope() { FFlag = FPrevious; }
    FlagScope(const FlagScope &) = delete;
    FlagScope &operator=(const FlagScope &) = delete;

private:
    bool &FFlag;
    bool FPrevious;
};

} // namespace

const std::string_view TTracerEngine::Banner = BannerText;

TTraceDisplay::~TTraceDisplay() = default;
TTracerExtraKeys::~TTracerExtraKeys() = default;

TTracerEngine::TTracerEngine(QObject *Sender, const TTracerVariation &Variation, TTraceDisplay *Display,
                             TTracerExtraKeys *ExtraKeys)
    : FSender(Sender)
    , FVariation(Variation)
    , FDisplay(Display)
    , FExtraKeys(ExtraKeys)
{
}

// The text files flush and close themselves: no buffered record of a run
// still active is lost, and no end marker is written.
TTracerEngine::~TTracerEngine() = default;

void TTracerEngine::StartTrace()
{
    if (IsDesigning(FSender))
        return; // a component on a form in the designer only holds its values
    if (FVariation.LoadOnStart)
        Load();
    SetFileName(FileName);
    StartTracing(FTraceLevel);
}

void TTracerEngine::RestartTrace()
{
    if (IsDesigning(FSender))
        return;
    if (FVariation.LoadOnStart)
        Load();
    SetFileName(FileName);
    if (FileExists(FTracePath))
        RestartTracing(FTraceLevel);
    else
        StartTracing(FTraceLevel);
}

void TTracerEngine::StopTrace()
{
    if (!FFilesOpen)
        return;
    Trace(-1, "%s", EndMarker);
    CommitTrace();
    // The end marker may have met the disable date, which closed both files.
    if (FFilesOpen)
        CloseTrace();
    FTracePath.clear();
}

void TTracerEngine::CommitTrace()
{
    if (!FFilesOpen)
        return;
    FTraceFile.Flush();
    FErrorFile.Flush();
}

void TTracerEngine::SetFileName(const QString &Value)
{
    QString name = Value;
    if (ExtractFileName(name).isEmpty())
        name = QStringLiteral("trace.log");
    if (ExtractFileExt(name).isEmpty())
        name = ChangeFileExt(name, QStringLiteral(".LOG"));
    FTracePath = ExpandFileName(name);
    FErrorPath = ExpandFileName(ChangeFileExt(name, QStringLiteral(".ERR")));
    OnStart(FSender);
}

void TTracerEngine::AssignFiles()
{
    FTraceFile.Assign(FTracePath);
    FErrorFile.Assign(FErrorPath);
    FFilesOpen = true;
}

void TTracerEngine::StartTracing(quint16 Level)
{
    if (!FFilesOpen)
        AssignFiles();
    FTraceFile.Rewrite();
    FErrorFile.Rewrite();
    FRecordCount = 0;
    FErrorLineCount = 0;
    FErrorCount = 0;
    FEstimatedSize = 0;
    if (FDisplay)
        FDisplay->ClearShown();
    {
        // However small MaxSizeTrace is, a fresh start never resets itself.
        FlagScope fresh(FStartingFresh);
        Trace(-1, "%s", Banner);
        Trace(-1, "%s", StartMarker);
    }
    SetTraceLevel(Level);
}

void TTracerEngine::RestartTracing(quint16 Level)
{
    if (!FFilesOpen) {
        FEstimatedSize = GetTraceSize();
        AssignFiles();
    }
    FTraceFile.Append();
    FErrorFile.Append();
    Trace(-1, "%s", Banner);
    Trace(-1, "%s", RestartMarker);
    SetTraceLevel(Level);
}

void TTracerEngine::CloseTrace()
{
    FTraceFile.Close();
    FErrorFile.Close();
    FFilesOpen = false;
}

void TTracerEngine::SetTraceLevel(quint16 Value)
{
    FTraceLevel = Value;
    OnLevelChange(FSender);
}

QString TTracerEngine::GetTraceFileSize() const
{
    return QString::number(FEstimatedSize);
}

qint32 TTracerEngine::GetTraceSize() const
{
    if (FTracePath.isEmpty())
        return 0;
    const std::int64_t size = FileSizeBySearch(FTracePath);
    if (size < 0)
        return 0;
    // A log past 2 GiB reads as the largest size the estimate can hold
    // rather than as a wrapped, negative one.
    return static_cast<qint32>(std::min<std::int64_t>(size, std::numeric_limits<qint32>::max()));
}

QString TTracerEngine::GetFileName() const
{
    return FTracePath.isEmpty() ? QString() : ExpandFileName(FTracePath);
}

QString TTracerEngine::GetDiskSpace() const
{
    // The path is already a full one; no path asks for the current folder.
    const QString folder = FTracePath.isEmpty() ? QString() : ExtractFileDir(FTracePath);
    return QString::number(DiskFree(folder));
}

} // namespace Orbalog
