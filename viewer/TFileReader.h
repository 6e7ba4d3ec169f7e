#pragma once
// Read-only access to a file by positioned block reads. The file is opened
// without any lock or share restriction, so a program that is still writing it
// goes on undisturbed; a file that shrinks or is replaced while open only makes
// later reads come back short. Reads are safe from several threads at once.

#include <Orbalog/OrbalogExport.h>

#include <QString>

#include <cstddef>
#include <cstdint>

namespace Orbalog {

class ORBALOG_EXPORT TFileReader
{
public:
    TFileReader() = default;
    ~TFileReader();
    TFileReader(const TFileReader &) = delete;
    TFileReader &operator=(const TFileReader &) = delete;

    // Opens Path for reading; a file that cannot be read raises EInOutError.
    void Open(const QString &Path);
    void Close() noexcept;
    bool IsOpen() const noexcept { return FHandle >= 0; }

    // The file's size on disk now (0 when closed or when it cannot be asked).
    std::int64_t Size() const noexcept;

    // Reads up to Length bytes at Offset; returns how many were read (short at
    // the end of the file, 0 past it or on a failed read).
    std::size_t ReadAt(std::int64_t Offset, void *Buffer, std::size_t Length) const noexcept;

    // Whether the path now names another file than the one held open
    // (replaced by a rename, or deleted).
    bool IsReplaced(const QString &Path) const noexcept;

private:
    int FHandle = -1;
};

} // namespace Orbalog
