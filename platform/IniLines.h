#pragma once
// The lines of an INI text: finding a key and merging one write into them.
// Works on decoded lines (QString) and on the file's own bytes (QByteArray,
// where a line may still end in CR), so that lines a save does not touch are
// written back byte for byte. Internal to the platform layer.

#include <QByteArray>
#include <QString>

namespace Orbalog::Detail {

inline QString IniText(const QString &Line)
{
    return Line;
}

inline QString IniText(const QByteArray &Line)
{
    return QString::fromUtf8(Line.endsWith('\r') ? Line.chopped(1) : Line);
}

inline bool SameName(const QString &A, const QString &B)
{
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

// A "[Name]" header line (already trimmed); the name runs to the last ']'.
inline bool IsSectionHeader(const QString &Trimmed, QString &Name)
{
    if (!Trimmed.startsWith(u'['))
        return false;
    const qsizetype close = Trimmed.lastIndexOf(u']');
    if (close < 1)
        return false;
    Name = Trimmed.sliced(1, close - 1).trimmed();
    return true;
}

inline bool IsComment(const QString &Trimmed)
{
    return Trimmed.startsWith(u';') || Trimmed.startsWith(u'#');
}

struct TIniPlace
{
    qsizetype Key = -1;         // the line of the key, if the section has it
    qsizetype InsertAfter = -1; // the last line with content of the section's first occurrence
};

// Finds Ident in Section. A section may occur more than once: its keys are
// searched in every occurrence, the first match wins.
template <typename TLines>
TIniPlace LocateKey(const TLines &Lines, const QString &Section, const QString &Ident)
{
    TIniPlace place;
    bool inSection = false, inFirst = false;
    for (qsizetype i = 0; i < Lines.size(); ++i) {
        const QString line = IniText(Lines[i]).trimmed();
        QString name;
        if (IsSectionHeader(line, name)) {
            inSection = SameName(name, Section);
            inFirst = inSection && place.InsertAfter < 0;
            if (inFirst)
                place.InsertAfter = i;
            continue;
        }
        if (!inSection || line.isEmpty() || IsComment(line))
            continue;
        if (inFirst)
            place.InsertAfter = i;
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && SameName(line.first(eq).trimmed(), Ident)) {
            place.Key = i;
            return place;
        }
    }
    return place;
}

// The value of a key line: the text after the first '=', trimmed.
inline QString IniValue(const QString &Line)
{
    return Line.sliced(Line.indexOf(u'=') + 1).trimmed();
}

// The key line with a new value; the key as it was spelt and the blanks
// around the '=' are kept.
inline QString ReplacedValue(const QString &Line, const QString &Value)
{
    const qsizetype eq = Line.indexOf(u'=');
    qsizetype start = eq + 1;
    while (start < Line.size() && (Line[start] == u' ' || Line[start] == u'\t'))
        ++start;
    return Line.first(start) + Value;
}

// Merges one write: replaces the value of an existing key, or adds the key at
// the end of its section, or adds the section at the end of the text.
// MakeLine turns a text line into the container's line type.
template <typename TLines, typename TMakeLine>
void ApplyWrite(TLines &Lines, const QString &Section, const QString &Ident, const QString &Value,
                TMakeLine &&MakeLine)
{
    const TIniPlace place = LocateKey(Lines, Section, Ident);
    const QString keyLine = Ident + u'=' + Value;
    if (place.Key >= 0) {
        Lines[place.Key] = MakeLine(ReplacedValue(IniText(Lines[place.Key]), Value));
    } else if (place.InsertAfter >= 0) {
        Lines.insert(place.InsertAfter + 1, MakeLine(keyLine));
    } else {
        if (!Lines.isEmpty() && !IniText(Lines.last()).trimmed().isEmpty())
            Lines.append(MakeLine(QString()));
        Lines.append(MakeLine(u'[' + Section + u']'));
        Lines.append(MakeLine(keyLine));
    }
}

} // namespace Orbalog::Detail
