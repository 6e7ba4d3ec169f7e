#include <Orbalog/TTextDocument.h>

#include <Orbalog/TTextSearch.h>

#include <algorithm>
#include <limits>

namespace Orbalog {

namespace {
constexpr std::size_t WalkBlock = 64 * 1024;
constexpr std::size_t LongLinesKept = 4;
} // namespace

TTextDocument::TTextDocument(QObject *Parent)
    : QObject(Parent)
    , FIndexer(this)
    , FWalkBuffer(WalkBlock + TLineDecoder::MaxUnitBytes)
{
    connect(&FIndexer, &TLineIndexer::Progress, this, &TTextDocument::Progress);
    connect(&FIndexer, &TLineIndexer::Settled, this, &TTextDocument::Settled);
}

TTextDocument::~TTextDocument()
{
    FIndexer.Stop();
}

void TTextDocument::Open(const QString &Path)
{
    Close();
    FReader.Open(Path);
    FIndexer.Start(FReader, FIndex);
}

void TTextDocument::Close()
{
    FIndexer.Stop();
    FReader.Close();
    FIndex.Clear();
    FLongLines.clear();
}

std::int64_t TTextDocument::Size() const noexcept
{
    if (!IsOpen())
        return 0;
    return FIndexer.IsSettled() ? FIndexer.SettledSize() : FReader.Size();
}

std::int64_t TTextDocument::TailEnd() const noexcept
{
    return FIndexer.IsSettled() ? FIndexer.SettledSize() : FIndexer.ScannedBytes();
}

std::int64_t TTextDocument::Lines() const noexcept
{
    if (!IsOpen())
        return 0;
    const std::int64_t lines = FIndex.Lines();
    return TailEnd() > FIndex.End() ? lines + 1 : lines;
}

bool TTextDocument::ContentRange(std::int64_t Line, std::int64_t &Start, std::int64_t &End)
{
    std::int64_t next = 0;
    if (FIndex.Range(Line, Start, next)) {
        unsigned char last[2] = {};
        const std::int64_t from = std::max(Start, next - 2);
        const std::size_t got = FReader.ReadAt(from, last, std::size_t(next - from));
        End = next;
        if (got > 0 && last[got - 1] == '\n')
            --End;
        if (End > Start && got == std::size_t(next - from) && last[End - 1 - from] == '\r')
            --End;
        return true;
    }
    if (Line < 0 || Line != FIndex.Lines() || Line >= Lines())
        return false;
    Start = FIndex.End();
    End = TailEnd();
    unsigned char last = 0;
    if (End > Start && FReader.ReadAt(End - 1, &last, 1) == 1 && last == '\r')
        --End;
    return true;
}

std::int64_t TTextDocument::LineAt(std::int64_t Offset)
{
    FIndexer.WaitForOffset(Offset);
    return std::min(FIndex.LineAt(Offset), std::max<std::int64_t>(Lines() - 1, 0));
}

template <typename Visitor>
std::int64_t TTextDocument::Walk(std::int64_t From, std::int64_t End, std::int64_t Column, Visitor &&Visit)
{
    std::int64_t position = From;
    while (position < End) {
        const std::size_t wanted = std::size_t(std::min<std::int64_t>(std::int64_t(WalkBlock), End - position));
        const std::size_t got = FReader.ReadAt(position, FWalkBuffer.data(), wanted);
        if (got == 0)
            break;
        // Units must not be cut by the block's end unless the text ends there.
        const bool last = got < wanted || position + std::int64_t(got) >= End;
        const std::size_t stop = last ? got : got - TLineDecoder::MaxUnitBytes;
        std::size_t i = 0;
        while (i < stop) {
            const TLineDecoder::TUnit unit = TLineDecoder::Next(FWalkBuffer.data() + i, got - i);
            if (!Visit(position + std::int64_t(i), Column, unit))
                return Column;
            Column += TLineDecoder::Width(unit, Column);
            i += std::size_t(unit.Bytes);
        }
        position += std::int64_t(i);
        if (got < wanted)
            break;
    }
    return Column;
}

TTextDocument::TLongLine &TTextDocument::LongLineTable(std::int64_t Line, std::int64_t Start, std::int64_t End)
{
    for (TLongLine &table : FLongLines)
        if (table.Line == Line && table.End == End && table.Points.front().Offset == Start)
            return table;
    if (FLongLines.size() >= LongLinesKept)
        FLongLines.pop_front();
    TLongLine &table = FLongLines.emplace_back();
    table.Line = Line;
    table.End = End;
    table.Points.push_back({Start, 0});
    return table;
}

void TTextDocument::Extend(TLongLine &Table, std::int64_t Column, std::int64_t Offset)
{
    while (!Table.Complete && Table.Points.back().Column <= Column && Table.Points.back().Offset <= Offset) {
        TPoint point = Table.Points.back();
        const std::size_t wanted =
            std::size_t(std::min<std::int64_t>(LongLine + std::int64_t(TLineDecoder::MaxUnitBytes), Table.End - point.Offset));
        const std::size_t got = FReader.ReadAt(point.Offset, FWalkBuffer.data(), wanted);
        const std::size_t step = std::min<std::size_t>(got, std::size_t(LongLine));
        point.Offset += std::int64_t(TLineDecoder::Advance(FWalkBuffer.data(), step, got, point.Column));
        if (got < wanted || point.Offset >= Table.End) {
            Table.Complete = true;
            Table.Columns = point.Column;
        } else {
            Table.Points.push_back(point);
        }
    }
}

TTextDocument::TPoint TTextDocument::PointBeforeColumn(std::int64_t Line, std::int64_t Column, std::int64_t Start,
                                                       std::int64_t End)
{
    if (End - Start <= LongLine)
        return {Start, 0};
    TLongLine &table = LongLineTable(Line, Start, End);
    Extend(table, Column, End);
    const auto &points = table.Points;
    auto after = std::upper_bound(points.begin(), points.end(), Column,
                                  [](std::int64_t value, const TPoint &point) { return value < point.Column; });
    return *(after - 1);
}

TTextDocument::TPoint TTextDocument::PointBeforeOffset(std::int64_t Line, std::int64_t Offset, std::int64_t Start,
                                                       std::int64_t End)
{
    if (End - Start <= LongLine)
        return {Start, 0};
    TLongLine &table = LongLineTable(Line, Start, End);
    Extend(table, std::numeric_limits<std::int64_t>::max(), Offset);
    const auto &points = table.Points;
    auto after = std::upper_bound(points.begin(), points.end(), Offset,
                                  [](std::int64_t value, const TPoint &point) { return value < point.Offset; });
    return *(after - 1);
}

QString TTextDocument::Text(std::int64_t Line, std::int64_t FromColumn, std::int64_t ToColumn)
{
    std::int64_t start = 0, end = 0;
    QString text;
    if (FromColumn < 0)
        FromColumn = 0;
    if (ToColumn <= FromColumn || !ContentRange(Line, start, end))
        return text;
    const TPoint point = PointBeforeColumn(Line, FromColumn, start, end);
    Walk(point.Offset, end, point.Column, [&](std::int64_t, std::int64_t Column, const TLineDecoder::TUnit &Unit) {
        if (Column >= ToColumn)
            return false;
        const std::int64_t width = TLineDecoder::Width(Unit, Column);
        if (Column + width <= FromColumn)
            return true;
        if (Unit.Tab) {
            text.append(QString(qsizetype(std::min(Column + width, ToColumn) - std::max(Column, FromColumn)), u' '));
        } else {
            for (int k = 0; k < Unit.Count; ++k)
                if (Column + k >= FromColumn && Column + k < ToColumn)
                    text.append(QChar(Unit.Chars[k]));
        }
        return true;
    });
    return text;
}

std::int64_t TTextDocument::Columns(std::int64_t Line)
{
    std::int64_t start = 0, end = 0;
    if (!ContentRange(Line, start, end))
        return 0;
    if (end - start > LongLine) {
        TLongLine &table = LongLineTable(Line, start, end);
        Extend(table, std::numeric_limits<std::int64_t>::max(), end);
        return table.Columns;
    }
    return Walk(start, end, 0, [](std::int64_t, std::int64_t, const TLineDecoder::TUnit &) { return true; });
}

std::int64_t TTextDocument::OffsetOfColumn(std::int64_t Line, std::int64_t Column)
{
    std::int64_t start = 0, end = 0;
    if (!ContentRange(Line, start, end))
        return Size();
    std::int64_t result = end;
    const TPoint point = PointBeforeColumn(Line, Column, start, end);
    Walk(point.Offset, end, point.Column, [&](std::int64_t Offset, std::int64_t At, const TLineDecoder::TUnit &Unit) {
        if (At + TLineDecoder::Width(Unit, At) <= Column)
            return true;
        result = Offset;
        return false;
    });
    return result;
}

std::int64_t TTextDocument::ColumnOfOffset(std::int64_t Line, std::int64_t Offset)
{
    std::int64_t start = 0, end = 0;
    if (!ContentRange(Line, start, end))
        return 0;
    Offset = std::clamp(Offset, start, end);
    const TPoint point = PointBeforeOffset(Line, Offset, start, end);
    return Walk(point.Offset, end, point.Column,
                [&](std::int64_t At, std::int64_t, const TLineDecoder::TUnit &) { return At < Offset; });
}

QString TTextDocument::CopyText(std::int64_t From, std::int64_t To)
{
    QString text;
    text.reserve(qsizetype(std::max<std::int64_t>(To - From, 0)));
    Walk(From, To, 0, [&](std::int64_t, std::int64_t, const TLineDecoder::TUnit &Unit) {
        for (int k = 0; k < Unit.TextCount; ++k)
            text.append(Unit.Text[k] == 0 ? QChar(0x2400) : QChar(Unit.Text[k]));
        return true;
    });
    return text;
}

std::int64_t TTextDocument::Find(const QString &Pattern, const TSearchOptions &Options, std::int64_t Anchor,
                                 std::int64_t &HitLength)
{
    const QByteArray bytes = Pattern.toUtf8();
    HitLength = bytes.size();
    if (!IsOpen() || bytes.isEmpty() || bytes.contains('\n') || bytes.contains('\r'))
        return -1;
    TTextSearch search(bytes.toStdString(), Options.MatchCase, Options.WholeWord);
    if (Options.Backward)
        return search.FindBackward(FReader, 0, Anchor);
    return search.FindForward(FReader, Anchor, FReader.Size());
}

} // namespace Orbalog
