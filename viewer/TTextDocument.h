#pragma once
// The text of one file as the viewer sees it: lines found through the line
// index (built in the background), each line's display text in columns, the
// mapping between columns and file offsets, and search. A line's columns are
// those its decoded text takes (see TLineDecoder). Lines of many megabytes
// keep a table of points every 64 KiB, so any part of them is reached fast.
//
// While the index is being built, Lines() is the number of lines found so
// far, the unfinished last one included; once IsCounted(), it is exact.

#include <Orbalog/OrbalogExport.h>
#include <Orbalog/TFileReader.h>
#include <Orbalog/TLineDecoder.h>
#include <Orbalog/TLineIndex.h>
#include <Orbalog/TLineIndexer.h>
#include <Orbalog/TSearchOptions.h>

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <vector>

namespace Orbalog {

class ORBALOG_EXPORT TTextDocument : public QObject
{
    Q_OBJECT

public:
    static constexpr std::int64_t LongLine = 64 * 1024;

    explicit TTextDocument(QObject *Parent = nullptr);
    ~TTextDocument() override;

    // Opens Path (EInOutError when it cannot be read) and starts indexing.
    void Open(const QString &Path);
    void Close();
    bool IsOpen() const noexcept { return FReader.IsOpen(); }

    // The file's size: as seen once counted, until then as now on disk.
    std::int64_t Size() const noexcept;
    bool IsCounted() const noexcept { return IsOpen() && FIndexer.IsSettled(); }
    std::int64_t Lines() const noexcept;
    void CountLines() { FIndexer.WaitUntilSettled(); }
    // Waits until Line is known, or the count has settled without it.
    void WaitForLine(std::int64_t Line) { FIndexer.WaitForLine(Line); }
    std::size_t IndexMemory() const { return FIndex.MemoryBytes(); }
    std::int64_t LongestLine() const noexcept { return FIndex.LongestLine(); }

    // The bytes of a line without its terminator; false for no such line.
    bool ContentRange(std::int64_t Line, std::int64_t &Start, std::int64_t &End);
    // The line that holds Offset (waits for the index to reach it).
    std::int64_t LineAt(std::int64_t Offset);

    // The characters a line shows in the columns [FromColumn, ToColumn).
    QString Text(std::int64_t Line, std::int64_t FromColumn, std::int64_t ToColumn);
    std::int64_t Columns(std::int64_t Line);
    // The offset of the unit that shows column Column (the end of the line's
    // text for a column past it), and the column where Offset's unit begins.
    std::int64_t OffsetOfColumn(std::int64_t Line, std::int64_t Column);
    std::int64_t ColumnOfOffset(std::int64_t Line, std::int64_t Offset);
    // The text of the bytes [From, To) as copied: line ends and tabs kept,
    // NUL shown as its control picture.
    QString CopyText(std::int64_t From, std::int64_t To);

    // Searches for Pattern from Anchor on (or, backward, before it); returns
    // the hit's offset and its length in bytes, or -1.
    std::int64_t Find(const QString &Pattern, const TSearchOptions &Options, std::int64_t Anchor,
                      std::int64_t &HitLength);

    const TFileReader &Reader() const noexcept { return FReader; }

Q_SIGNALS:
    void Progress(qint64 Lines, qint64 Bytes);
    void Settled(qint64 Lines);

private:
    struct TPoint
    {
        std::int64_t Offset;
        std::int64_t Column;
    };
    // The points of a long line, found as far as they were needed so far.
    struct TLongLine
    {
        std::int64_t Line = -1;
        std::int64_t End = 0;
        std::vector<TPoint> Points;
        bool Complete = false;
        std::int64_t Columns = 0;
    };

    template <typename Visitor>
    std::int64_t Walk(std::int64_t From, std::int64_t End, std::int64_t Column, Visitor &&Visit);
    TLongLine &LongLineTable(std::int64_t Line, std::int64_t Start, std::int64_t End);
    // Finds points until one lies past Column or past Offset, or the line ends.
    void Extend(TLongLine &Table, std::int64_t Column, std::int64_t Offset);
    TPoint PointBeforeColumn(std::int64_t Line, std::int64_t Column, std::int64_t Start, std::int64_t End);
    TPoint PointBeforeOffset(std::int64_t Line, std::int64_t Offset, std::int64_t Start, std::int64_t End);
    std::int64_t TailEnd() const noexcept;

    TFileReader FReader;
    TLineIndex FIndex;
    TLineIndexer FIndexer;
    std::vector<unsigned char> FWalkBuffer;
    std::deque<TLongLine> FLongLines;
};

} // namespace Orbalog
