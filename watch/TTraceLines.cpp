#include <Orbalog/TTraceLines.h>

#include <QString>

#include <utility>

namespace Orbalog {

TTraceLines::TTraceLines() = default;
TTraceLines::~TTraceLines() = default;

QString TTraceLines::Line(int Index) const
{
    const std::string_view line = Strings(Index);
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

void TTraceLines::Add(std::string_view Line)
{
    if (FCount == FSlots.size())
        Grow();
    FSlots[Slot(FCount)].assign(Line.data(), Line.size());
    ++FCount;
    Changed();
}

void TTraceLines::AddStrings(const TTraceLines &Lines)
{
    if (Lines.FCount == 0)
        return;
    BeginUpdate();
    for (std::size_t i = 0; i < Lines.FCount; ++i)
        Add(Lines.FSlots[Lines.Slot(i)]);
    EndUpdate();
}

void TTraceLines::Delete(int Index)
{
    const auto index = static_cast<std::size_t>(Index);
    if (Index < 0 || index >= FCount)
        return;
    if (index == 0) {
        FHead = Slot(1);
        ++FFirstSerial;
    } else {
        // Close the gap by moving the later lines forward, keeping the slots.
        for (std::size_t i = index; i + 1 < FCount; ++i)
            std::swap(FSlots[Slot(i)], FSlots[Slot(i + 1)]);
    }
    --FCount;
    Changed();
}

void TTraceLines::Clear()
{
    if (FCount == 0)
        return;
    FFirstSerial += static_cast<std::int64_t>(FCount);
    FHead = 0;
    FCount = 0;
    Changed();
}

void TTraceLines::EndUpdate()
{
    if (--FUpdating > 0 || !FChangedInUpdate)
        return;
    FChangedInUpdate = false;
    if (OnChange)
        OnChange();
}

// Doubles the slots, laying the lines out from slot 0 again.
void TTraceLines::Grow()
{
    std::vector<std::string> grown(FSlots.empty() ? 16 : FSlots.size() * 2);
    for (std::size_t i = 0; i < FCount; ++i)
        grown[i] = std::move(FSlots[Slot(i)]);
    FSlots = std::move(grown);
    FHead = 0;
}

void TTraceLines::Changed()
{
    if (FUpdating > 0) {
        FChangedInUpdate = true;
        return;
    }
    if (OnChange)
        OnChange();
}

} // namespace Orbalog
