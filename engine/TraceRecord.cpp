#include "TraceLines.h"
#include "TraceScratch.h"

#include <Orbalog/TTraceDisplay.h>

namespace Orbalog {

using namespace TraceLines;

TTracerEngine::Scratch &TTracerEngine::EnterScratch()
{
    if (FDepth == FScratch.size())
        FScratch.push_back(std::make_unique<Scratch>());
    return *FScratch[FDepth++];
}

namespace {

// Leaves the nesting level however the call ends.
template<class Leave>
class ScopeExit
{
public:
    explicit ScopeExit(Leave leave) : FLeave(leave) {}
    ~ScopeExit() { FLeave(); }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

private:
    Leave FLeave;
};

} // namespace

void TTracerEngine::TraceArgs(int Level, std::string_view Fmt, FormatArgs Args)
{
    if (!FFilesOpen)
        return;
    if (CheckDisableDate())
        return;
    CheckAutoRestart(Level);

    RecordText text(EnterScratch(), Fmt, Args);
    ScopeExit leave([this] { LeaveScratch(); });
    if (FDisplay && FDisplay->Shows(Level))
        ShowRecord(text);
    if (Level < 1)
        CopyRecordToErrorFile(Level, text);
    if (Level > static_cast<int>(FTraceLevel))
        return;
    LogRecord(text);
}

void TTracerEngine::ShowRecord(RecordText &Text)
{
    std::string &line = Text.Line();
    const std::string &now = CurrentDateTimeText();
    if (now != FVariation.TimeTexts->Watch) {
        FVariation.TimeTexts->Watch = now;
        Separator(line, LogSeparatorPrefix, now);
        FDisplay->Show(line, false);
    }
    RecordLine(line, FRecordCount, Text.Message());
    FDisplay->Show(line, false);
    FDisplay->TrimShown();
}

void TTracerEngine::CopyRecordToErrorFile(int Level, RecordText &Text)
{
    WriteSeparator(FErrorFile, FVariation.TimeTexts->Error, ErrorSeparatorPrefix, false);
    std::string &line = Text.Line();
    ErrorRecordLine(line, FErrorLineCount, FRecordCount, Text.Message());
    FErrorFile.WriteLn(line);
    ++FErrorLineCount;
    if (Level == 0)
        ++FErrorCount;
    OnTraceError(FSender);
}

void TTracerEngine::LogRecord(RecordText &Text)
{
    WriteSeparator(FTraceFile, FVariation.TimeTexts->Trace, LogSeparatorPrefix, true);
    const std::string &message = Text.Message();
    FTraceFile.WriteLn(RecordPrefix(FRecordCount).View(), message);
    Grow(static_cast<qint64>(message.size()) + RecordOverhead);
    ++FRecordCount;
    AddFallBackLines(1);
    AfterLogged();
}

// The policies, the optional flush and OnTrace, after a record reached the log.
void TTracerEngine::AfterLogged()
{
    CheckAutoReset();
    CheckAutoStop();
    if (AlwaysCommit)
        CommitTrace();
    OnTrace(FSender);
}

// Writes a time separator line when the date-and-time text differs from the
// last one written to this kind of output; a log separator counts towards
// the size estimate.
void TTracerEngine::WriteSeparator(TTextFile &File, std::string &Last, std::string_view Prefix, bool Count)
{
    const std::string &now = CurrentDateTimeText();
    if (now == Last)
        return;
    Last = now;
    Scratch &work = *FScratch[FDepth - 1];
    Separator(work.Line, Prefix, now);
    File.WriteLn(work.Line);
    if (Count)
        Grow(static_cast<qint64>(now.size()) + SeparatorOverhead);
}

} // namespace Orbalog
