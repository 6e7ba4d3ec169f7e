#pragma once
// The display side of a tracer that shows its records as well as writing them.
// The engine produces the lines; the display decides where they go.

#include <Orbalog/OrbalogExport.h>

#include <string_view>

namespace Orbalog {

class ORBALOG_EXPORT TTraceDisplay
{
public:
    virtual ~TTraceDisplay();

    // Whether a record of this level is shown.
    virtual bool Shows(int Level) const = 0;
    // Adds one line: to the hold list when Held, otherwise wherever new lines
    // go now (the display, or the hold list while scrolling is off).
    virtual void Show(std::string_view Line, bool Held) = 0;
    // After a Trace record was shown: trims the lists to their limit.
    virtual void TrimShown() = 0;
    // At the end of every TraceBuffer call that got past the run checks:
    // moves the held dump into the display (when Shown) and trims.
    virtual void FinishDump(bool Shown) = 0;
    // A fresh start clears the display.
    virtual void ClearShown() = 0;
};

} // namespace Orbalog
