#include <Orbalog/TTextFile.h>

#include <Orbalog/Exception.h>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace Orbalog {

TTextFile::TTextFile() = default;

TTextFile::~TTextFile()
{
    if (!IsOpen())
        return;
    try {
        Drain("flush");
    } catch (const EInOutError &) {
        // A destructor cannot report; the bytes that could be written are.
    }
    DropHandle();
}

void TTextFile::Assign(const QString &Path)
{
    FPath = Path;
    FNativePath = QFile::encodeName(Path);
}

void TTextFile::Rewrite()
{
    Require("rewrite");
    if (IsOpen()) {
        FUsed = 0; // the file is emptied anyway
        DropHandle();
    }
    Open(O_WRONLY | O_CREAT | O_TRUNC, "create");
}

void TTextFile::Append()
{
    Require("append to");
    if (IsOpen())
        Close();
    Open(O_WRONLY | O_APPEND, "open for appending");
}

void TTextFile::Write(std::string_view Text)
{
    if (!IsOpen())
        Fail(EInOutError::FileNotOpen, "write to");
    while (!Text.empty()) {
        if (FUsed == BufferSize)
            Drain("write to");
        const std::size_t n = std::min(Text.size(), BufferSize - FUsed);
        std::memcpy(FBuffer.get() + FUsed, Text.data(), n);
        FUsed += n;
        Text.remove_prefix(n);
    }
}

void TTextFile::WriteLn(std::string_view Text)
{
    WriteLn(std::string_view(), Text);
}

void TTextFile::WriteLn(std::string_view Head, std::string_view Text)
{
    // A line that fits the buffer is one copy; a longer one goes in pieces.
    if (IsOpen() && FUsed + Head.size() + Text.size() + 2 <= BufferSize) {
        char *out = FBuffer.get() + FUsed;
        if (!Head.empty())
            std::memcpy(out, Head.data(), Head.size());
        if (!Text.empty())
            std::memcpy(out + Head.size(), Text.data(), Text.size());
        out[Head.size() + Text.size()] = '\r';
        out[Head.size() + Text.size() + 1] = '\n';
        FUsed += Head.size() + Text.size() + 2;
        return;
    }
    Write(Head);
    Write(Text);
    Write(std::string_view("\r\n", 2));
}

void TTextFile::Flush()
{
    if (!IsOpen())
        Fail(EInOutError::FileNotOpen, "flush");
    Drain("flush");
}

void TTextFile::Close()
{
    if (!IsOpen())
        Fail(EInOutError::FileNotOpen, "close");
    Drain("close");
    const int handle = FHandle;
    FHandle = -1;
    if (::close(handle) != 0)
        Fail(errno, "close");
}

void TTextFile::Open(int Flags, const char *What)
{
    const int handle = ::open(FNativePath.constData(), Flags | O_CLOEXEC, 0666);
    if (handle < 0)
        Fail(errno, What);
    FHandle = handle;
    FUsed = 0;
    if (!FBuffer)
        FBuffer = std::make_unique<char[]>(BufferSize);
}

void TTextFile::Require(const char *What) const
{
    if (!IsAssigned())
        Fail(EInOutError::FileNotAssigned, What);
}

// Hands every buffered byte to the system. Bytes the system refuses stay in
// the buffer, so a later flush can still write them once the cause is gone.
void TTextFile::Drain(const char *What)
{
    std::size_t done = 0;
    while (done < FUsed) {
        const ssize_t n = ::write(FHandle, FBuffer.get() + done, FUsed - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            std::memmove(FBuffer.get(), FBuffer.get() + done, FUsed - done);
            FUsed -= done;
            Fail(code, What);
        }
        done += static_cast<std::size_t>(n);
    }
    FUsed = 0;
}

void TTextFile::DropHandle() noexcept
{
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = -1;
    FUsed = 0;
}

void TTextFile::Fail(int Code, const char *What) const
{
    std::string reason;
    if (Code == EInOutError::FileNotAssigned)
        reason = "file not assigned";
    else if (Code == EInOutError::FileNotOpen)
        reason = "file not open";
    else
        reason = std::strerror(Code);
    throw EInOutError(Code, "I/O error " + std::to_string(Code) + ": cannot " + What + " \"" + FPath.toStdString()
                                + "\": " + reason);
}

} // namespace Orbalog
