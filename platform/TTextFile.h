#pragma once
// A text file written through its own buffer. Every call is followed by an
// I/O test: a failure raises EInOutError naming the file and the reason.
// Lines end with CR LF. Flush hands the buffered bytes to the operating system.

#include <Orbalog/OrbalogExport.h>

#include <QByteArray>
#include <QString>

#include <memory>
#include <string_view>

namespace Orbalog {

class ORBALOG_EXPORT TTextFile
{
public:
    static constexpr std::size_t BufferSize = 64 * 1024;

    TTextFile();
    ~TTextFile(); // flushes and closes an open file; failures are dropped here
    TTextFile(const TTextFile &) = delete;
    TTextFile &operator=(const TTextFile &) = delete;

    void Assign(const QString &Path);
    const QString &Path() const { return FPath; }
    bool IsAssigned() const { return !FPath.isEmpty(); }
    bool IsOpen() const { return FHandle >= 0; }

    void Rewrite(); // create or empty, then open for writing (an open file is closed first)
    void Append();  // open an existing file for writing at its end (an open file is closed first)
    void Write(std::string_view Text);
    void WriteLn(std::string_view Text); // Text, then CR LF
    void WriteLn(std::string_view Head, std::string_view Text); // Head and Text, then CR LF
    void Flush();
    void Close();

private:
    void Open(int Flags, const char *What);
    void Require(const char *What) const;
    void Drain(const char *What);
    void DropHandle() noexcept;
    [[noreturn]] void Fail(int Code, const char *What) const;

    QString FPath;
    QByteArray FNativePath;
    int FHandle = -1;
    std::unique_ptr<char[]> FBuffer;
    std::size_t FUsed = 0;
};

} // namespace Orbalog
