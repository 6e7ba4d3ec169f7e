#pragma once
// The tracer engine: the state, the run lifecycle, the record and dump writers,
// the runtime policies and the settings of a tracer. Each tracer component
// (the file tracer, the watch tracer) is this engine plus its variation.

#include <Orbalog/DateTime.h>
#include <Orbalog/Format.h>
#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TNotifyEvent.h>
#include <Orbalog/TTextFile.h>
#include <Orbalog/TTracerVariation.h>

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class QObject;

namespace Orbalog {

class TTraceDisplay;
class TTracerExtraKeys;

class ORBALOG_EXPORT TTracerEngine
{
public:
    // Properties read and written directly.
    QString FileName = QStringLiteral("Trace.log");
    bool AutoRestart = false;
    bool AlwaysCommit = false;
    bool AutoDisabling = false;
    quint16 RestartLevel = 1;
    bool AutoReset = false;
    qint32 MaxSizeTrace = 1000000;
    bool SaveOnError = false;
    bool AutoFallBack = false;
    quint16 FallBackLevel = 1;
    quint16 FallBackAfterLine = 100;

    TNotifyEvent OnTrace;       // after each record written to the log
    TNotifyEvent OnTraceError;  // after each record written to the error file
    TNotifyEvent OnLevelChange; // each time the trace level is set
    TNotifyEvent OnStart;       // at each start, once both paths are known

    TTracerEngine(const TTracerEngine &) = delete;
    TTracerEngine &operator=(const TTracerEngine &) = delete;

    void StartTrace();
    void RestartTrace();
    void StopTrace();
    void CommitTrace();

    // One record: Trace(1, "Opening %s (%d)", name, n).
    template<class... Args>
    void Trace(int Level, std::string_view Fmt, const Args &...Arguments)
    {
        if constexpr (sizeof...(Args) == 0) {
            TraceArgs(Level, Fmt, FormatArgs());
        } else {
            const FormatArg list[] = {FormatArg(Arguments)...};
            TraceArgs(Level, Fmt, FormatArgs(list));
        }
    }
    void TraceArgs(int Level, std::string_view Fmt, FormatArgs Args);

    // A dump of Buffer[0..ToIndex], the caller vouching that those bytes are readable.
    void TraceBuffer(int Level, std::string_view Caption, std::string_view BufferName, const void *Buffer,
                     qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex);
    // The same over bytes of known extent: a ToIndex beyond them raises ERangeError.
    void TraceBuffer(int Level, std::string_view Caption, std::string_view BufferName,
                     std::span<const std::byte> Buffer, qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex);
    template<class Range>
        requires(std::ranges::contiguous_range<Range> && std::ranges::sized_range<Range>
                 && std::is_trivially_copyable_v<std::ranges::range_value_t<Range>>)
    void TraceBuffer(int Level, std::string_view Caption, std::string_view BufferName, const Range &Buffer,
                     qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex)
    {
        TraceBuffer(Level, Caption, BufferName, std::as_bytes(std::span(std::ranges::data(Buffer), std::ranges::size(Buffer))),
                    FromIndex, ToIndex, MarkIndex);
    }

    QString GetTraceFileSize() const; // the size estimate as decimal text
    qint32 GetTraceSize() const;      // the log's length on disk
    QString GetFileName() const;      // full path of the log, empty while none is set
    quint16 GetTraceLevel() const { return FTraceLevel; }
    QString GetDiskSpace() const;     // free bytes on the log's volume, -1 when unknown

    void Load();
    void Save();

    // Properties with a setter of their own.
    quint16 TraceLevel() const { return FTraceLevel; }
    void SetTraceLevel(quint16 Value);
    QString DisableOnDate() const { return FDisableOnDate; }
    void SetDisableDate(const QString &Value);

    // Run state, for hosts and tests.
    bool FilesOpen() const { return FFilesOpen; }
    const QString &TracePath() const { return FTracePath; }
    const QString &ErrorPath() const { return FErrorPath; }
    qint32 RecordCount() const { return FRecordCount; }
    qint32 ErrorLineCount() const { return FErrorLineCount; }
    qint32 ErrorCount() const { return FErrorCount; }
    qint64 LinesSinceFallBack() const;
    qint32 EstimatedSize() const { return FEstimatedSize; }
    TDateTime DisableDate() const { return FDisableDate; }
    const QString &AppTitle() const { return FAppTitle; }

    // The first record of every run.
    static const std::string_view Banner;

protected:
    TTracerEngine(QObject *Sender, const TTracerVariation &Variation, TTraceDisplay *Display = nullptr,
                  TTracerExtraKeys *ExtraKeys = nullptr);
    // Flushes and closes the files of a run still active, without an end marker.
    ~TTracerEngine();

    void SetAppTitle(const QString &Title) { FAppTitle = Title; }

    quint16 FTraceLevel = 1;

private:
    struct Scratch;
    class RecordText;
    class ScratchScope;

    // Lifecycle
    void SetFileName(const QString &Value);
    void StartTracing(quint16 Level);
    void RestartTracing(quint16 Level);
    void CloseTrace();
    void AssignFiles();

    // Records and dumps
    void ShowRecord(RecordText &Text);
    void CopyRecordToErrorFile(int Level, RecordText &Text);
    void LogRecord(RecordText &Text);
    void AfterLogged();
    void DumpBuffer(int Level, std::string_view Caption, std::string_view BufferName, const unsigned char *Buffer,
                    qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex);
    void CopyDumpToErrorFile(std::string_view Caption, std::string_view BufferName, const void *Buffer);
    void DumpLine(std::string_view Line, bool ToLog, bool ToDisplay, bool ShowFirst);
    void DumpRows(const unsigned char *Buffer, qint32 FromIndex, qint32 ToIndex, qint32 MarkIndex, bool ToLog,
                  bool ToDisplay);
    bool SeparatorDue(std::string &Last, std::string &Line, std::string_view Prefix);
    void WriteSeparator(TTextFile &File, std::string &Last, std::string_view Prefix, bool Count);
    void ShowSeparator(std::string &Last, bool Held);
    Scratch &CurrentScratch();

    // Policies
    bool CheckDisableDate();
    void CheckAutoRestart(int Level);
    void CheckAutoReset();
    void SaveTraceFile();
    void CheckAutoStop();
    void AddFallBackLines(quint32 Count);
    void Grow(qint64 Bytes);

    QObject *FSender;
    TTracerVariation FVariation;
    TTraceDisplay *FDisplay;
    TTracerExtraKeys *FExtraKeys;

    TTextFile FTraceFile;
    TTextFile FErrorFile;
    QString FTracePath;
    QString FErrorPath;
    bool FFilesOpen = false;
    bool FStartingFresh = false;
    qint32 FRecordCount = 0;
    qint32 FErrorLineCount = 0;
    qint32 FErrorCount = 0;
    quint32 FLinesSinceFallBack = 0;
    qint32 FEstimatedSize = 0;
    TDateTime FDisableDate = 0;
    QString FDisableOnDate;
    QString FAppTitle;

    // Working texts, one set per nesting level (a handler or a reset may
    // trace while a record is under way), kept for reuse.
    std::vector<std::unique_ptr<Scratch>> FScratch;
    std::size_t FDepth = 0;
};

} // namespace Orbalog
