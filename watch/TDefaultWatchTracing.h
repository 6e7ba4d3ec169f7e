#pragma once
// The watch tracer: a read-only text control that is itself a complete tracer.
// It writes its own log and error files exactly as the file tracer does and,
// while a run is active, shows the records within its WatchLevel: the newest
// lines straight in the control, or held back while AutoScroll is off.
// Its settings are loaded at every start, so stored values win.

#include <Orbalog/EOrbalogError.h>
#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TTraceDisplay.h>
#include <Orbalog/TTraceMemo.h>
#include <Orbalog/TTracerEngine.h>
#include <Orbalog/TTracerExtraKeys.h>

namespace Orbalog {

class ORBALOG_EXPORT TDefaultWatchTracing : public TTraceMemo,
                                            public TTracerEngine,
                                            private TTraceDisplay,
                                            private TTracerExtraKeys
{
    Q_OBJECT
    Q_PROPERTY(QString FileName MEMBER FileName)
    Q_PROPERTY(bool ShowOnStart MEMBER ShowOnStart)
    Q_PROPERTY(bool AutoRestart MEMBER AutoRestart)
    Q_PROPERTY(bool AlwaysCommit MEMBER AlwaysCommit)
    Q_PROPERTY(QString DisableOnDate READ DisableOnDate WRITE SetDisableDate)
    Q_PROPERTY(bool AutoDisabling MEMBER AutoDisabling)
    Q_PROPERTY(quint16 RestartLevel MEMBER RestartLevel)
    Q_PROPERTY(bool AutoReset MEMBER AutoReset)
    Q_PROPERTY(qint32 MaxSizeTrace MEMBER MaxSizeTrace)
    Q_PROPERTY(bool SaveOnError MEMBER SaveOnError)
    Q_PROPERTY(bool AutoFallBack MEMBER AutoFallBack)
    Q_PROPERTY(quint16 FallBackLevel MEMBER FallBackLevel)
    Q_PROPERTY(quint16 FallBackAfterLine MEMBER FallBackAfterLine)
    Q_PROPERTY(quint16 LinesStored MEMBER LinesStored)
    Q_PROPERTY(quint16 TraceLevel READ TraceLevel WRITE SetTraceLevel)
    Q_PROPERTY(quint16 WatchLevel READ WatchLevel WRITE SetWatchLevel)
    Q_PROPERTY(bool ShowTrace MEMBER ShowTrace)
    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)

public:
    explicit TDefaultWatchTracing(QWidget *AOwner = nullptr);
    ~TDefaultWatchTracing() override;

    // Held for the host window, loaded and saved with the settings.
    bool ShowOnStart = false;
    // Line limit of the display and, separately, of the hold list.
    quint16 LinesStored = 100;
    // Display switch: while false no line is produced for the display.
    bool ShowTrace = true;

    quint16 WatchLevel() const { return FWatchLevel; }
    void SetWatchLevel(quint16 Value);
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value);

    QString GetAppName() const { return AppTitle(); }

    // The lines collected while AutoScroll is off.
    const TTraceLines &HoldLines() const { return FHoldLines; }

private:
    // The display side of the engine.
    bool Shows(int Level) const override;
    void Show(std::string_view Line, bool Held) override;
    void TrimShown() override;
    void FinishDump(bool Shown) override;
    void ClearShown() override;
    void Trim(TTraceLines &List) const;

    // The two keys only the watch tracer keeps.
    void ReadAfterFileName(const TIniFile &Ini, const QString &Section) override;
    void ReadAfterTraceLevel(const TIniFile &Ini, const QString &Section) override;
    void WriteAfterFileName(TIniFile &Ini, const QString &Section) const override;
    void WriteAfterTraceLevel(TIniFile &Ini, const QString &Section) const override;

    TTraceLines FHoldLines;
    quint16 FWatchLevel = 0;
    bool FAutoScroll = true;
};

} // namespace Orbalog
