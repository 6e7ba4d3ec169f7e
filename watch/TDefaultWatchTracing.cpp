#include <Orbalog/TDefaultWatchTracing.h>
#include <Orbalog/TWatchTracing.h>

#include <Orbalog/Application.h>
#include <Orbalog/TIniFile.h>

namespace Orbalog {

namespace {

// Separator texts shared by every watch tracer of the process, apart from
// the file tracers' own.
TTraceTimeTexts WatchTracerTimes;

const TTracerVariation WatchTracer{
    .TimeTexts = &WatchTracerTimes,
    .NarrowFallBackCounter = true,
    .LoadOnStart = true,
    .TitleOnLoad = false,
};

} // namespace

TDefaultWatchTracing::TDefaultWatchTracing(QWidget *AOwner)
    : TTraceMemo(AOwner)
    , TTracerEngine(this, WatchTracer, this, this)
{
    FTraceLevel = 0; // shows and logs only error and system records until set
    SetAlign(alClient);
    SetAppTitle(ApplicationTitle());
}

TDefaultWatchTracing::~TDefaultWatchTracing() = default;

TWatchTracing::~TWatchTracing() = default;

void TDefaultWatchTracing::SetWatchLevel(quint16 Value)
{
    FWatchLevel = Value;
    OnLevelChange(this);
}

void TDefaultWatchTracing::SetAutoScroll(bool Value)
{
    if (Value == FAutoScroll)
        return;
    if (Value) {
        Lines().BeginUpdate();
        Lines().AddStrings(FHoldLines);
        FHoldLines.Clear();
        Lines().EndUpdate();
    }
    FAutoScroll = Value;
}

bool TDefaultWatchTracing::Shows(int Level) const
{
    return Level <= static_cast<int>(FWatchLevel) && ShowTrace && VisibleFlag();
}

void TDefaultWatchTracing::Show(std::string_view Line, bool Held)
{
    (Held || !FAutoScroll ? FHoldLines : Lines()).Add(Line);
}

void TDefaultWatchTracing::Trim(TTraceLines &List) const
{
    while (List.Count() > LinesStored)
        List.Delete(0);
}

void TDefaultWatchTracing::TrimShown()
{
    if (FAutoScroll) {
        Lines().BeginUpdate();
        Trim(Lines());
        Lines().EndUpdate();
    }
    Trim(FHoldLines);
}

// A dump collects its lines in the hold list and shows them in one batch.
void TDefaultWatchTracing::FinishDump(bool Shown)
{
    if (FAutoScroll) {
        Lines().BeginUpdate();
        if (Shown) {
            Lines().AddStrings(FHoldLines);
            FHoldLines.Clear();
        }
        Trim(Lines());
        Lines().EndUpdate();
    }
    Trim(FHoldLines);
}

void TDefaultWatchTracing::ClearShown()
{
    Lines().Clear();
}

void TDefaultWatchTracing::ReadAfterFileName(const TIniFile &Ini, const QString &Section)
{
    ShowOnStart = Ini.ReadBool(Section, QStringLiteral("ShowOnStart"), ShowOnStart);
}

void TDefaultWatchTracing::ReadAfterTraceLevel(const TIniFile &Ini, const QString &Section)
{
    SetWatchLevel(Low16Bits(Ini.ReadInteger(Section, QStringLiteral("WatchLevel"), FWatchLevel)));
}

void TDefaultWatchTracing::WriteAfterFileName(TIniFile &Ini, const QString &Section) const
{
    Ini.WriteBool(Section, QStringLiteral("ShowOnStart"), ShowOnStart);
}

void TDefaultWatchTracing::WriteAfterTraceLevel(TIniFile &Ini, const QString &Section) const
{
    Ini.WriteInteger(Section, QStringLiteral("WatchLevel"), FWatchLevel);
}

} // namespace Orbalog
