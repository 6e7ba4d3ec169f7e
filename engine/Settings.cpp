#include <Orbalog/TTracerEngine.h>

#include <Orbalog/Application.h>
#include <Orbalog/TIniFile.h>
#include <Orbalog/TTracerExtraKeys.h>

namespace Orbalog {

namespace {

const QString SettingsFile = QStringLiteral("ORBALOG.INI");

} // namespace

// Every read takes the current value as its default, so whatever the file
// lacks stays as it is. The levels come after the other values and the
// disable date last, so it is judged with the AutoDisabling just read.
void TTracerEngine::Load()
{
    if (FVariation.TitleOnLoad)
        FAppTitle = ApplicationTitle();
    const TIniFile ini(SettingsFile);
    const QString &s = FAppTitle;
    FileName = ini.ReadString(s, QStringLiteral("FileName"), FileName);
    if (FExtraKeys)
        FExtraKeys->ReadAfterFileName(ini, s);
    AutoReset = ini.ReadBool(s, QStringLiteral("AutoReset"), AutoReset);
    SaveOnError = ini.ReadBool(s, QStringLiteral("SaveOnError"), SaveOnError);
    AutoFallBack = ini.ReadBool(s, QStringLiteral("AutoFallBack"), AutoFallBack);
    AutoRestart = ini.ReadBool(s, QStringLiteral("AutoRestart"), AutoRestart);
    AutoDisabling = ini.ReadBool(s, QStringLiteral("AutoDisabling"), AutoDisabling);
    AlwaysCommit = ini.ReadBool(s, QStringLiteral("AlwaysCommit"), AlwaysCommit);
    RestartLevel = Low16Bits(ini.ReadInteger(s, QStringLiteral("RestartLevel"), RestartLevel));
    MaxSizeTrace = ini.ReadInteger(s, QStringLiteral("MaxSizeTrace"), MaxSizeTrace);
    FallBackAfterLine = Low16Bits(ini.ReadInteger(s, QStringLiteral("FallBackAfterLine"), FallBackAfterLine));
    FallBackLevel = Low16Bits(ini.ReadInteger(s, QStringLiteral("FallBackLevel"), FallBackLevel));
    SetTraceLevel(Low16Bits(ini.ReadInteger(s, QStringLiteral("TraceLevel"), FTraceLevel)));
    if (FExtraKeys)
        FExtraKeys->ReadAfterTraceLevel(ini, s);
    SetDisableDate(ini.ReadString(s, QStringLiteral("DisableOnDate"), FDisableOnDate));
}

void TTracerEngine::Save()
{
    TIniFile ini(SettingsFile);
    const QString &s = FAppTitle;
    ini.WriteString(s, QStringLiteral("FileName"), FileName);
    if (FExtraKeys)
        FExtraKeys->WriteAfterFileName(ini, s);
    ini.WriteBool(s, QStringLiteral("AutoReset"), AutoReset);
    ini.WriteBool(s, QStringLiteral("SaveOnError"), SaveOnError);
    ini.WriteBool(s, QStringLiteral("AutoFallBack"), AutoFallBack);
    ini.WriteBool(s, QStringLiteral("AutoRestart"), AutoRestart);
    ini.WriteBool(s, QStringLiteral("AutoDisabling"), AutoDisabling);
    ini.WriteBool(s, QStringLiteral("AlwaysCommit"), AlwaysCommit);
    ini.WriteInteger(s, QStringLiteral("FallBackLevel"), FallBackLevel);
    ini.WriteInteger(s, QStringLiteral("MaxSizeTrace"), MaxSizeTrace);
    ini.WriteInteger(s, QStringLiteral("FallBackAfterLine"), FallBackAfterLine);
    ini.WriteInteger(s, QStringLiteral("RestartLevel"), RestartLevel);
    ini.WriteInteger(s, QStringLiteral("TraceLevel"), FTraceLevel);
    if (FExtraKeys)
        FExtraKeys->WriteAfterTraceLevel(ini, s);
    ini.WriteString(s, QStringLiteral("DisableOnDate"), FDisableOnDate);
    ini.UpdateFile();
}

} // namespace Orbalog
