#pragma once
// What sets one tracer class apart from another while both run the same engine.

#include <Orbalog/OrbalogExport.h>

#include <string>

namespace Orbalog {

// Date-and-time texts of the last time separator line produced for each
// output. One set is shared by every tracer of a class, so tracers of that
// class writing in the same second share one separator line.
struct TTraceTimeTexts
{
    std::string Trace;       // log file, by Trace
    std::string Error;       // error file, by Trace
    std::string BufferTrace; // log file, by TraceBuffer
    std::string BufferError; // error file, by TraceBuffer
    std::string Watch;       // display, by Trace
    std::string BufferWatch; // display, by TraceBuffer
};

struct TTracerVariation
{
    TTraceTimeTexts *TimeTexts;
    // The fall-back line counter is 16 bits wide and wraps from 65535 to 0;
    // otherwise it is a 32-bit signed count.
    bool NarrowFallBackCounter;
    // StartTrace and RestartTrace load the settings file as their first step.
    bool LoadOnStart;
    // Load fetches the application title afresh; otherwise the title is taken
    // once, when the tracer is created.
    bool TitleOnLoad;
};

} // namespace Orbalog
