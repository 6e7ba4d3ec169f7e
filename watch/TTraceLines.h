#pragma once
// A list of text lines, the model of a trace display: lines are appended at
// the end and removed from the front. Slots are reused, so a list trimmed to
// a limit appends and deletes without allocating once it has reached it.

#include <Orbalog/OrbalogExport.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QString;

namespace Orbalog {

class ORBALOG_EXPORT TTraceLines
{
public:
    TTraceLines();
    ~TTraceLines();
    TTraceLines(const TTraceLines &) = delete;
    TTraceLines &operator=(const TTraceLines &) = delete;

    int Count() const { return static_cast<int>(FCount); }
    std::string_view Strings(int Index) const { return FSlots[Slot(static_cast<std::size_t>(Index))]; }
    QString Line(int Index) const; // the line as text for display

    void Add(std::string_view Line);
    void AddStrings(const TTraceLines &Lines);
    void Delete(int Index);
    void Clear();

    // Changes between BeginUpdate and the matching EndUpdate are reported once.
    void BeginUpdate() { ++FUpdating; }
    void EndUpdate();

    // Reported after every change outside an update, and at the end of an
    // update that changed something.
    std::function<void()> OnChange;

    // Serial number of the first line: grows by one for every line removed
    // from the front, so a line keeps its serial while older ones go.
    std::int64_t FirstSerial() const { return FFirstSerial; }

private:
    std::size_t Slot(std::size_t Index) const { return (FHead + Index) % FSlots.size(); }
    void Grow();
    void Changed();

    std::vector<std::string> FSlots;
    std::size_t FHead = 0;
    std::size_t FCount = 0;
    std::int64_t FFirstSerial = 0;
    int FUpdating = 0;
    bool FChangedInUpdate = false;
};

} // namespace Orbalog
