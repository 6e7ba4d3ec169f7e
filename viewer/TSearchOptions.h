#pragma once
// How a text search runs: its direction, whether letters must match in case,
// and whether a hit must stand as a whole word.

namespace Orbalog {

struct TSearchOptions
{
    bool Backward = false;
    bool MatchCase = false;
    bool WholeWord = false;
};

} // namespace Orbalog
