#include <Orbalog/TIniFile.h>

#include <Orbalog/Exception.h>

#include "IniLines.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orbalog {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

std::mutex DirectoryMutex;
QString ChosenDirectory;

// ---- the file's bytes -------------------------------------------------------

// An open file descriptor, closed when it goes out of scope.
class TFd
{
public:
    explicit TFd(int Fd = -1) : FFd(Fd) {}
    ~TFd() { Close(); }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int Get() const { return FFd; }
    // Closes now; answers errno of a failed close, else 0.
    int Close()
    {
        const int fd = FFd;
        FFd = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int FFd;
};

// Reads the whole file; a missing file reads as empty. Answers errno or 0.
int ReadAll(const QString &Path, QByteArray &Data)
{
    Data.clear();
    TFd fd(::open(QFile::encodeName(Path).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno == ENOENT ? 0 : errno;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        Data.append(buffer, qsizetype(n));
    }
}

int WriteAll(int Fd, const QByteArray &Data)
{
    const char *p = Data.constData();
    qsizetype left = Data.size();
    while (left > 0) {
        const ssize_t n = ::write(Fd, p, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

// Creates Folder and the folders above it as needed. Answers errno or 0.
int MakeFolder(const QString &Folder)
{
    const QByteArray path = QFile::encodeName(Folder);
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        const QByteArray part = path.first(i);
        if (::mkdir(part.constData(), 0777) == 0 || errno != EEXIST)
            continue;
        struct stat st {};
        if (::stat(part.constData(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// ---- the lines ----------------------------------------------------------------

// The file's bytes split into lines; each may still end in CR.
struct TRawText
{
    QByteArrayList Lines;
    bool Bom = false;
    bool CrLf = false;
};

TRawText SplitRaw(QByteArray Data)
{
    TRawText text;
    if (Data.startsWith(Utf8Bom)) {
        text.Bom = true;
        Data.remove(0, Utf8Bom.size());
    }
    if (Data.isEmpty())
        return text;
    text.Lines = Data.split('\n');
    if (Data.endsWith('\n'))
        text.Lines.removeLast();
    text.CrLf = !text.Lines.isEmpty() && text.Lines.first().endsWith('\r');
    return text;
}

QByteArray JoinRaw(const TRawText &Text)
{
    QByteArray data;
    if (Text.Bom)
        data += Utf8Bom;
    for (const QByteArray &line : Text.Lines) {
        data += line;
        data += '\n';
    }
    return data;
}

QStringList DecodedLines(const TRawText &Text)
{
    QStringList lines;
    lines.reserve(Text.Lines.size());
    for (const QByteArray &line : Text.Lines)
        lines.append(Detail::IniText(line));
    return lines;
}

// Line breaks would let a value open a section of its own: they become blanks.
QString OneLine(const QString &Text)
{
    QString line = Text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line.trimmed();
}

bool ReadFlag(const QString &Text, bool &Value)
{
    static const char *const yes[] = {"1", "true", "yes", "on"};
    static const char *const no[] = {"0", "false", "no", "off"};
    for (const char *word : yes)
        if (Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return Value = true, true;
    for (const char *word : no)
        if (Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return Value = false, true;
    return false;
}

bool ReadInt32(const QString &Text, int &Value)
{
    bool ok = false;
    qlonglong v = 0;
    if (Text.startsWith(u'$') || Text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = Text.sliced(Text.startsWith(u'$') ? 1 : 2);
        if (digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+') || digits.startsWith(u'-'))
            return false;
        v = qlonglong(qint32(quint32(digits.toUInt(&ok, 16)))); // $FFFFFFFF is -1
    } else {
        v = Text.toLongLong(&ok, 10);
        ok = ok && v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
    }
    if (ok)
        Value = int(v);
    return ok;
}

// ---- the save ---------------------------------------------------------------

[[noreturn]] void SaveFailed(const QString &FileName, const char *Step, int Error)
{
    throw EInOutError(Error, "Cannot save settings file '" + FileName.toStdString() + "': " + Step + " ("
                                 + std::strerror(Error) + ")");
}

// The file the name stands for: a symbolic link is followed, so that the
// link stays in place.
QString TargetOf(const QString &FileName)
{
    const QFileInfo info(FileName);
    return info.isSymLink() ? info.symLinkTarget() : FileName;
}

// Writes Data into a new file beside Target and renames it over Target.
void ReplaceFile(const QString &FileName, const QString &Target, const QByteArray &Data)
{
    QByteArray temp = QFile::encodeName(Target) + ".XXXXXX";
    TFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.Get() < 0)
        SaveFailed(FileName, "cannot create a temporary file", errno);
    struct stat old {};
    const mode_t mode = ::stat(QFile::encodeName(Target).constData(), &old) == 0 ? old.st_mode & 07777 : 0644;
    int error = ::fchmod(fd.Get(), mode) != 0 ? errno : 0;
    const char *step = "cannot set the permissions of the temporary file";
    if (error == 0 && (error = WriteAll(fd.Get(), Data)) != 0)
        step = "cannot write the temporary file";
    if (error == 0 && ::fsync(fd.Get()) != 0)
        error = errno, step = "cannot flush the temporary file";
    if (const int closeError = fd.Close(); error == 0 && closeError != 0)
        error = closeError, step = "cannot close the temporary file";
    if (error == 0 && ::rename(temp.constData(), QFile::encodeName(Target).constData()) != 0)
        error = errno, step = "cannot replace the file";
    if (error != 0) {
        ::unlink(temp.constData());
        SaveFailed(FileName, step, error);
    }
}

void SyncFolder(const QString &FileName, const QString &Folder)
{
    TFd fd(::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0)
        SaveFailed(FileName, "cannot open its folder", errno);
    if (::fsync(fd.Get()) != 0 && errno != EINVAL)
        SaveFailed(FileName, "cannot flush its folder", errno);
}

// Holds the lock every process takes before it saves the file.
class TSaveLock
{
public:
    explicit TSaveLock(const QString &FileName)
        : FFd(::open(QFile::encodeName(FileName + QStringLiteral(".lock")).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0666))
    {
        if (FFd.Get() < 0)
            SaveFailed(FileName, "cannot create its lock file", errno);
        while (::flock(FFd.Get(), LOCK_EX) != 0)
            if (errno != EINTR)
                SaveFailed(FileName, "cannot lock it", errno);
    }
    // Closing the descriptor releases the lock.

private:
    TFd FFd;
};

} // namespace

// ---- TIniFile -----------------------------------------------------------------

TIniFile::TIniFile(const QString &FileName)
    : FFileName(FileName.contains(u'/') ? FileName : IniDirectory() + u'/' + FileName)
{
    QByteArray data;
    if (ReadAll(FFileName, data) == 0)
        FLines = DecodedLines(SplitRaw(data));
}

TIniFile::~TIniFile()
{
    try {
        UpdateFile();
    } catch (...) {
        // Nobody is there to report to; UpdateFile leaves the old file intact.
    }
}

const QString *TIniFile::Find(const QString &Section, const QString &Ident) const
{
    const Detail::TIniPlace place = Detail::LocateKey(FLines, OneLine(Section), OneLine(Ident));
    return place.Key >= 0 ? &FLines[place.Key] : nullptr;
}

QString TIniFile::ReadString(const QString &Section, const QString &Ident, const QString &Default) const
{
    const QString *line = Find(Section, Ident);
    return line != nullptr ? Detail::IniValue(*line) : Default;
}

bool TIniFile::ReadBool(const QString &Section, const QString &Ident, bool Default) const
{
    const QString text = ReadString(Section, Ident, QString());
    bool flag = Default;
    int number = 0;
    if (ReadFlag(text, flag))
        return flag;
    return ReadInt32(text, number) ? number != 0 : Default;
}

int TIniFile::ReadInteger(const QString &Section, const QString &Ident, int Default) const
{
    int number = Default;
    return ReadInt32(ReadString(Section, Ident, QString()), number) ? number : Default;
}

void TIniFile::WriteString(const QString &Section, const QString &Ident, const QString &Value)
{
    Change change{OneLine(Section), OneLine(Ident), OneLine(Value)};
    Detail::ApplyWrite(FLines, change.Section, change.Ident, change.Value, [](const QString &l) { return l; });
    FChanges.push_back(std::move(change));
}

void TIniFile::WriteBool(const QString &Section, const QString &Ident, bool Value)
{
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteInteger(const QString &Section, const QString &Ident, int Value)
{
    WriteString(Section, Ident, QString::number(Value));
}

void TIniFile::UpdateFile()
{
    if (FChanges.empty())
        return;
    const QString target = TargetOf(FFileName);
    const QString folder = QFileInfo(target).absolutePath();
    if (const int error = MakeFolder(folder); error != 0)
        SaveFailed(FFileName, "cannot create its folder", error);

    TSaveLock lock(FFileName);
    QByteArray data;
    if (const int error = ReadAll(target, data); error != 0)
        SaveFailed(FFileName, "cannot read it", error);
    TRawText text = SplitRaw(data);
    const auto makeLine = [crLf = text.CrLf](const QString &line) {
        QByteArray raw = line.toUtf8();
        if (crLf)
            raw += '\r';
        return raw;
    };
    for (const Change &change : FChanges)
        Detail::ApplyWrite(text.Lines, change.Section, change.Ident, change.Value, makeLine);
    ReplaceFile(FFileName, target, JoinRaw(text));
    SyncFolder(FFileName, folder);

    FChanges.clear();
    FLines = DecodedLines(text);
}

// ---- where bare names live ----------------------------------------------------

QString IniDirectory()
{
    {
        const std::lock_guard<std::mutex> guard(DirectoryMutex);
        if (!ChosenDirectory.isEmpty())
            return ChosenDirectory;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

void SetIniDirectory(const QString &Directory)
{
    const std::lock_guard<std::mutex> guard(DirectoryMutex);
    ChosenDirectory = Directory;
}

} // namespace Orbalog
