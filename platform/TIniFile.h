#pragma once
// Settings in INI form: [Section] headers and Key=Value lines, readable and
// editable by a person. Sections and keys are looked up ignoring case.
//
// A TIniFile reads the whole file when it is created. Writes are collected and
// reach the file at UpdateFile (or, without a report, at destruction): under a
// lock shared by every process, the file is read afresh, the writes are merged
// into it and a complete new file replaces the old one by a rename. A save thus
// never leaves a half-written file, and two processes saving their sections at
// the same moment both keep them.

#include <Orbalog/OrbalogExport.h>

#include <QString>
#include <QStringList>

#include <vector>

namespace Orbalog {

class ORBALOG_EXPORT TIniFile
{
public:
    // A bare name (no '/') is placed in IniDirectory().
    explicit TIniFile(const QString &FileName);
    ~TIniFile();
    TIniFile(const TIniFile &) = delete;
    TIniFile &operator=(const TIniFile &) = delete;

    const QString &FileName() const { return FFileName; }

    QString ReadString(const QString &Section, const QString &Ident, const QString &Default) const;
    // A value that does not read as a flag (1/0, true/false, yes/no, on/off)
    // or as a 32-bit integer (decimal, or hexadecimal after $ or 0x) counts as
    // missing: the default is answered.
    bool ReadBool(const QString &Section, const QString &Ident, bool Default) const;
    int ReadInteger(const QString &Section, const QString &Ident, int Default) const;

    void WriteString(const QString &Section, const QString &Ident, const QString &Value);
    void WriteBool(const QString &Section, const QString &Ident, bool Value);
    void WriteInteger(const QString &Section, const QString &Ident, int Value);

    // Writes the collected changes; raises EInOutError when the file cannot be
    // replaced (the old file then stays as it was).
    void UpdateFile();

private:
    struct Change
    {
        QString Section, Ident, Value;
    };
    const QString *Find(const QString &Section, const QString &Ident) const;

    QString FFileName;
    QStringList FLines;
    std::vector<Change> FChanges;
};

// Where bare INI names live: the user's generic configuration folder unless an
// application or a test has chosen another.
ORBALOG_EXPORT QString IniDirectory();
ORBALOG_EXPORT void SetIniDirectory(const QString &Directory); // empty restores the default

} // namespace Orbalog
