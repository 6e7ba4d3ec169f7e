#include <Orbalog/TTracerEngine.h>

#include <Orbalog/Exception.h>
#include <Orbalog/FileNames.h>

namespace Orbalog {

namespace {

// The numbered name for the n-th kept copy of a log: n inserted before the
// first '.' of the name (at its start when there is none).
QString NumberedName(const QString &Name, int Number)
{
    const qsizetype dot = Name.indexOf(QLatin1Char('.'));
    QString candidate = Name;
    candidate.insert(dot < 0 ? 0 : dot, QString::number(Number));
    return candidate;
}

} // namespace

bool TTracerEngine::CheckDisableDate()
{
    if (!AutoDisabling || Date() < FDisableDate)
        return false;
    CloseTrace();
    return true;
}

void TTracerEngine::CheckAutoRestart(int Level)
{
    if (Level == 0 && AutoRestart)
        SetTraceLevel(RestartLevel);
}

void TTracerEngine::CheckAutoReset()
{
    if (!AutoReset || FEstimatedSize <= MaxSizeTrace || FStartingFresh)
        return;
    CloseTrace();
    if (SaveOnError && FErrorCount > 0)
        SaveTraceFile();
    StartTracing(FTraceLevel);
}

void TTracerEngine::SaveTraceFile()
{
    QString name = ExtractFileName(FTracePath);
    if (name.indexOf(QLatin1Char('.')) >= 8)
        name.remove(7, 1);
    QString candidate;
    for (int n = 0; n <= 10; ++n) {
        candidate = ExpandFileName(NumberedName(name, n));
        if (!FileExists(candidate))
            break;
    }
    DeleteFile(candidate);
    RenameFile(FTracePath, candidate);
}

void TTracerEngine::CheckAutoStop()
{
    if (!AutoFallBack)
        return;
    const bool due = FVariation.NarrowFallBackCounter
                         ? static_cast<quint16>(FLinesSinceFallBack) > FallBackAfterLine
                         : static_cast<qint32>(FLinesSinceFallBack) > static_cast<qint32>(FallBackAfterLine);
    if (!due)
        return;
    SetTraceLevel(FallBackLevel);
    FLinesSinceFallBack = 0;
}

void TTracerEngine::AddFallBackLines(quint32 Count)
{
    FLinesSinceFallBack += Count; // wraps like the counter it models
    if (FVariation.NarrowFallBackCounter)
        FLinesSinceFallBack &= 0xFFFFu;
}

qint64 TTracerEngine::LinesSinceFallBack() const
{
    if (FVariation.NarrowFallBackCounter)
        return static_cast<quint16>(FLinesSinceFallBack);
    return static_cast<qint32>(FLinesSinceFallBack);
}

void TTracerEngine::Grow(qint64 Bytes)
{
    FEstimatedSize = static_cast<qint32>(static_cast<quint32>(FEstimatedSize) + static_cast<quint32>(Bytes));
}

void TTracerEngine::SetDisableDate(const QString &Value)
{
    if (!AutoDisabling)
        return;
    FDisableDate = StrToDate(Value.toStdString());
    if (Date() > FDisableDate)
        throw EConvertError(Value.toStdString() + " is not a valid Date");
    FDisableOnDate = QString::fromStdString(DateToStr(FDisableDate));
}

} // namespace Orbalog
