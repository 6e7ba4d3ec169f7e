#pragma once
// Finds line ends in a block of bytes. LF, CR LF and a lone CR each end a
// line. The scan compares 64 bytes at a time and visits only the bytes that
// end lines, so it runs at memory speed on typical logs.

#include <Orbalog/OrbalogExport.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Orbalog {

class ORBALOG_EXPORT TLineScanner
{
public:
    // Scans Data[0, Length), which lies at file offset Base, and appends to
    // Ends the offset just past each line end found. Returns the bytes
    // consumed: Length, or Length - 1 when the last byte is a CR, whose line
    // end depends on the byte that follows (scan it again with what follows,
    // or treat it as unfinished at the end of the file).
    static std::size_t Scan(const char *Data, std::size_t Length, std::int64_t Base, std::vector<std::int64_t> &Ends);
};

} // namespace Orbalog
