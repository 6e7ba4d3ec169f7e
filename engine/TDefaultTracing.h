#pragma once
// The file tracer: a non-visual component that writes numbered, level-filtered
// records and memory dumps into a log file and an error file.
//
//     Orbalog::TTracing tracer(owner);
//     tracer.FileName = "session.log";
//     tracer.StartTrace();
//     tracer.Trace(1, "Opening %s (%d)", name, n);
//     tracer.StopTrace();

#include <Orbalog/EOrbalogError.h>
#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TComponent.h>
#include <Orbalog/TTracerEngine.h>

namespace Orbalog {

class ORBALOG_EXPORT TDefaultTracing : public TComponent, public TTracerEngine
{
    Q_OBJECT
    Q_PROPERTY(QString FileName MEMBER FileName)
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
    Q_PROPERTY(quint16 TraceLevel READ TraceLevel WRITE SetTraceLevel)

public:
    explicit TDefaultTracing(QObject *AOwner = nullptr);
    ~TDefaultTracing() override;
};

} // namespace Orbalog
