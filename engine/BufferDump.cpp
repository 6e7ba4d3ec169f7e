#include "TraceLines.h"
#include "TraceScratch.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TTraceDisplay.h>

namespace Orbalog {

using namespace TraceLines;

namespace {

constexpr std::string_view ColumnHeader = "               0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F";
static_assert(ColumnHeader.size() == 61);
constexpr std::size_t LineLimit = 80;
constexpr std::size_t HexPartWidth = 48;
constexpr int DumpOverhead = 63;

char Marker(qint32 Index, qint32 FromIndex, qint32 MarkIndex)
{
    if (Index == MarkIndex)
        return '|';
    return Index == FromIndex ? '[' : ' ';
}

void AppendByte(std::string &Part, std::string &Text, unsigned char Byte, char Mark)
{
    Part += Mark;
    AppendHex(Part, Byte, 2);
    Text += Byte < 32 ? '.' : static_cast<char>(Byte);
}

// "        %04x-%s %s": row index, hex part, text part; cut to 80 characters.
void RowLine(std::string &Out, qint32 Row, std::string_view Part, std::string_view Text)
{
    Out.assign(8, ' ');
    AppendHex(Out, static_cast<std::uint32_t>(Row), 4);
    Out += '-';
    Out += Part;
    Out += ' ';
    Out += Text;
    CutTo(Out, LineLimit);
}

} // namespace

void TTracerEngine::TraceBuffer(int Level, std::string_view Caption, std::string_view BufferName,
                                std::span<const std::byte> Buffer, qint32 FromIndex, qint32 ToIndex,
                                qint32 MarkIndex)
{
    if (ToIndex >= 0 && static_cast<std::size_t>(ToIndex) >= Buffer.size())
        throw ERangeError("TraceBuffer: ToIndex " + std::to_string(ToIndex) + " lies beyond the "
                          + std::to_string(Buffer.size()) + " bytes of " + std::string(BufferName));
    TraceBuffer(Level, Caption, BufferName, static_cast<const void *>(Buffer.data()), FromIndex, ToIndex, MarkIndex);
}

void TTracerEngine::TraceBuffer(int Level, std::string_view Caption, std::string_view BufferName, const void *Buffer,
                                qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex)
{
    if (!FFilesOpen)
        return;
    if (Buffer == nullptr && ToIndex >= 0)
        throw ERangeError("TraceBuffer: no buffer to dump up to index " + std::to_string(ToIndex) + " of "
                          + std::string(BufferName));
    if (CheckDisableDate())
        return;
    CheckAutoRestart(Level);
    ScratchScope scope(*this);
    DumpBuffer(Level, Caption, BufferName, static_cast<const unsigned char *>(Buffer), FromIndex, ToIndex,
               MarkIndex);
}

void TTracerEngine::DumpBuffer(int Level, std::string_view Caption, std::string_view BufferName,
                               const unsigned char *Buffer, qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex)
{
    if (Level == 0)
        CopyDumpToErrorFile(Caption, BufferName, Buffer);

    const bool toDisplay = FDisplay && FDisplay->Shows(Level);
    Scratch &work = CurrentScratch();
    if (toDisplay)
        ShowSeparator(FVariation.TimeTexts->BufferWatch, true);
    const bool toLog = Level <= static_cast<int>(FTraceLevel);
    if (toLog) {
        WriteSeparator(FTraceFile, FVariation.TimeTexts->BufferTrace, LogSeparatorPrefix, true);
        Grow(DumpOverhead);
        AddFallBackLines(3);
    }
    if (toLog || toDisplay) {
        work.Line.clear();
        const FormatArg header[] = {FRecordCount, Caption, BufferName, static_cast<const void *>(Buffer)};
        FormatTo(work.Line, "%6d  %s: %s[%p]", header);
        CutTextTo(work.Line, LineLimit);
        if (toLog) {
            FTraceFile.WriteLn(work.Line);
            Grow(static_cast<qint64>(work.Line.size()));
            ++FRecordCount;
        }
        if (toDisplay)
            FDisplay->Show(work.Line, true);

        work.Line.clear();
        const FormatArg range[] = {FromIndex, FromIndex, ToIndex, ToIndex, MarkIndex, MarkIndex};
        FormatTo(work.Line, "        Range: %d [%xh] to %d [%xh], Mark at: %d [%xh]", range);
        CutTo(work.Line, LineLimit);
        DumpLine(work.Line, toLog, toDisplay, false);
        DumpLine(ColumnHeader, toLog, toDisplay, false);
        DumpRows(Buffer, FromIndex, ToIndex, MarkIndex, toLog, toDisplay);

        CheckAutoReset();
        CheckAutoStop();
        if (toLog) {
            if (AlwaysCommit)
                CommitTrace();
            OnTrace(FSender);
        }
    }
    if (FDisplay)
        FDisplay->FinishDump(toDisplay);
}

void TTracerEngine::CopyDumpToErrorFile(std::string_view Caption, std::string_view BufferName, const void *Buffer)
{
    // A dump's error copy is only its header, under a separator in the log's form.
    WriteSeparator(FErrorFile, FVariation.TimeTexts->BufferError, LogSeparatorPrefix, false);
    Scratch &work = CurrentScratch();
    work.Line.clear();
    const FormatArg header[] = {FErrorLineCount, FRecordCount, Caption, BufferName, Buffer};
    FormatTo(work.Line, "%6d:%6d  %s: %s[%p]", header);
    FErrorFile.WriteLn(work.Line);
    ++FErrorLineCount;
    ++FErrorCount;
    OnTraceError(FSender);
}

// One line after the header, written and counted when logged, held when
// shown; dump rows are held before they are written.
void TTracerEngine::DumpLine(std::string_view Line, bool ToLog, bool ToDisplay, bool ShowFirst)
{
    if (ToDisplay && ShowFirst)
        FDisplay->Show(Line, true);
    if (ToLog) {
        FTraceFile.WriteLn(Line);
        Grow(static_cast<qint64>(Line.size()));
    }
    if (ToDisplay && !ShowFirst)
        FDisplay->Show(Line, true);
}

void TTracerEngine::DumpRows(const unsigned char *Buffer, qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex,
                             bool ToLog, bool ToDisplay)
{
    Scratch &work = CurrentScratch();
    work.Part.clear();
    work.Text.clear();
    qint64 count = 0;
    for (qint64 i = 0; i <= ToIndex; ++i) {
        const auto index = static_cast<qint32>(i);
        AppendByte(work.Part, work.Text, Buffer[i], Marker(index, FromIndex, MarkIndex));
        if (++count % 16 != 0)
            continue;
        RowLine(work.Line, index / 16, work.Part, work.Text);
        DumpLine(work.Line, ToLog, ToDisplay, true);
        if (ToLog)
            AddFallBackLines(1);
        work.Part.clear();
        work.Text.clear();
    }
    if (count % 16 == 0)
        return;
    work.Part += ']';
    work.Part.resize(HexPartWidth, ' ');
    RowLine(work.Line, static_cast<qint32>((static_cast<qint64>(ToIndex) + 1) / 16), work.Part, work.Text);
    DumpLine(work.Line, ToLog, ToDisplay, true);
    if (ToLog)
        AddFallBackLines(1);
}

} // namespace Orbalog
