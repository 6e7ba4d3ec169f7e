#pragma once
// Settings keys a tracer class keeps beyond the common ones, read and written
// at their places in the key order.

#include <Orbalog/OrbalogExport.h>

#include <QtGlobal>

class QString;

namespace Orbalog {

// Levels and line counts keep the low 16 bits of what the settings file holds.
inline quint16 Low16Bits(int Value)
{
    return static_cast<quint16>(static_cast<unsigned>(Value) & 0xFFFFu);
}

class TIniFile;

class ORBALOG_EXPORT TTracerExtraKeys
{
public:
    virtual ~TTracerExtraKeys();

    virtual void ReadAfterFileName(const TIniFile &Ini, const QString &Section) = 0;
    virtual void ReadAfterTraceLevel(const TIniFile &Ini, const QString &Section) = 0;
    virtual void WriteAfterFileName(TIniFile &Ini, const QString &Section) const = 0;
    virtual void WriteAfterTraceLevel(TIniFile &Ini, const QString &Section) const = 0;
};

} // namespace Orbalog
