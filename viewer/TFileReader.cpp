#include <Orbalog/TFileReader.h>

#include <Orbalog/Exception.h>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orbalog {

TFileReader::~TFileReader()
{
    Close();
}

void TFileReader::Open(const QString &Path)
{
    Close();
    const QByteArray native = QFile::encodeName(Path);
    if (native.isEmpty())
        throw EInOutError(EInOutError::FileNotAssigned, "No file name given");
    const int handle = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) {
        const int code = errno;
        throw EInOutError(code, "Cannot open " + native.toStdString() + ": " + std::strerror(code));
    }
    struct stat info {};
    if (::fstat(handle, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(handle);
        throw EInOutError(code, "Cannot read " + native.toStdString() + ": " + std::strerror(code));
    }
    FHandle = handle;
    ::posix_fadvise(FHandle, 0, 0, POSIX_FADV_SEQUENTIAL);
}

void TFileReader::Close() noexcept
{
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = -1;
}

std::int64_t TFileReader::Size() const noexcept
{
    struct stat info {};
    if (FHandle < 0 || ::fstat(FHandle, &info) != 0)
        return 0;
    return info.st_size;
}

std::size_t TFileReader::ReadAt(std::int64_t Offset, void *Buffer, std::size_t Length) const noexcept
{
    if (FHandle < 0 || Offset < 0)
        return 0;
    auto *out = static_cast<char *>(Buffer);
    std::size_t done = 0;
    while (done < Length) {
        const ssize_t got = ::pread(FHandle, out + done, Length - done, Offset + std::int64_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

bool TFileReader::IsReplaced(const QString &Path) const noexcept
{
    struct stat held {}, named {};
    if (FHandle < 0 || ::fstat(FHandle, &held) != 0)
        return false;
    if (::stat(QFile::encodeName(Path).constData(), &named) != 0)
        return true;
    return held.st_ino != named.st_ino || held.st_dev != named.st_dev;
}

} // namespace Orbalog
