#pragma once
// Working texts of one record, and the message formatted on first use.
// Internal to the engine.

#include <Orbalog/Format.h>
#include <Orbalog/TTracerEngine.h>

#include <string>
#include <string_view>

namespace Orbalog {

struct TTracerEngine::Scratch
{
    std::string Message;
    std::string Line;
    std::string Part; // hex part of a dump row
    std::string Text; // text part of a dump row
};

// The message of one Trace call, formatted when first needed: a format that
// does not fit its arguments fails at the first output that uses it.
class TTracerEngine::RecordText
{
public:
    RecordText(Scratch &Work, std::string_view Fmt, FormatArgs Args)
        : FWork(Work), FFmt(Fmt), FArgs(Args)
    {
    }

    const std::string &Message()
    {
        if (!FFormatted) {
            FWork.Message.clear();
            FormatTo(FWork.Message, FFmt, FArgs);
            FFormatted = true;
        }
        return FWork.Message;
    }
    std::string &Line() { return FWork.Line; }

private:
    Scratch &FWork;
    std::string_view FFmt;
    FormatArgs FArgs;
    bool FFormatted = false;
};

// Takes the working texts of the next nesting level for one call and gives
// them back however the call ends.
class TTracerEngine::ScratchScope
{
public:
    explicit ScratchScope(TTracerEngine &Engine)
        : FEngine(Engine)
    {
        if (FEngine.FDepth == FEngine.FScratch.size())
            FEngine.FScratch.push_back(std::make_unique<Scratch>());
        ++FEngine.FDepth;
    }
    ~ScratchScope() { --FEngine.FDepth; }
    ScratchScope(const ScratchScope &) = delete;
    ScratchScope &operator=(const ScratchScope &) = delete;

private:
    TTracerEngine &FEngine;
};

inline TTracerEngine::Scratch &TTracerEngine::CurrentScratch()
{
    return *FScratch[FDepth - 1];
}

} // namespace Orbalog
