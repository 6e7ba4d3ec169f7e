#include "TraceLines.h"
#include "TraceScratch.h"

#include <Orbalog/TTraceDisplay.h>

namespace Orbalog {

using namespace TraceLines;

void TTracerEngine::TraceArgs(int Level, std::string_view Fmt, FormatArgs Args)
{
    if (!FFilesOpen)
        return;
    if (CheckDisableDate())
        return;
    CheckAutoRestart(Level);

    ScratchScope scope(*this);
    RecordText text(CurrentScratch(), Fmt, Args);
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
    ShowSeparator(FVariation.TimeTexts->Watch, false);
    std::string &line = Text.Line();
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

// A time separator is due when the date-and-time text differs from the last
// one produced for this kind of output; Last then takes the text and Line the
// separator line.
bool TTracerEngine::SeparatorDue(std::string &Last, std::string &Line, std::string_view Prefix)
{
    const std::string &now = CurrentDateTimeText();
    if (now == Last)
        return false;
    Last = now;
    Separator(Line, Prefix, now);
    return true;
}

// A separator written to a file; a log separator counts towards the estimate.
void TTracerEngine::WriteSeparator(TTextFile &File, std::string &Last, std::string_view Prefix, bool Count)
{
    std::string &line = CurrentScratch().Line;
    if (!SeparatorDue(Last, line, Prefix))
        return;
    File.WriteLn(line);
    if (Count)
        Grow(static_cast<qint64>(Last.size()) + SeparatorOverhead);
}

// A separator for the display, in the log's form.
void TTracerEngine::ShowSeparator(std::string &Last, bool Held)
{
    std::string &line = CurrentScratch().Line;
    if (SeparatorDue(Last, line, LogSeparatorPrefix))
        FDisplay->Show(line, Held);
}

} // namespace Orbalog
