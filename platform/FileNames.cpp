#include <Orbalog/FileNames.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace Orbalog {

namespace {

qsizetype nameStart(const QString &FileName)
{
    return FileName.lastIndexOf(QLatin1Char('/')) + 1;
}

// Index of the extension's '.', or -1 when the name part has none.
qsizetype extensionDot(const QString &FileName)
{
    const qsizetype dot = FileName.lastIndexOf(QLatin1Char('.'));
    return dot >= nameStart(FileName) ? dot : -1;
}

} // namespace

QString ExpandFileName(const QString &FileName)
{
    if (FileName.isEmpty())
        return QDir::currentPath();
    return QDir::cleanPath(QDir::current().absoluteFilePath(FileName));
}

QString ExtractFileName(const QString &FileName)
{
    return FileName.mid(nameStart(FileName));
}

QString ExtractFilePath(const QString &FileName)
{
    return FileName.left(nameStart(FileName));
}

QString ExtractFileDir(const QString &FileName)
{
    const qsizetype start = nameStart(FileName);
    if (start == 1)
        return QStringLiteral("/");
    return FileName.left(start > 0 ? start - 1 : 0);
}

QString ExtractFileExt(const QString &FileName)
{
    const qsizetype dot = extensionDot(FileName);
    return dot < 0 ? QString() : FileName.mid(dot);
}

QString ChangeFileExt(const QString &FileName, const QString &Extension)
{
    const qsizetype dot = extensionDot(FileName);
    return (dot < 0 ? FileName : FileName.left(dot)) + Extension;
}

bool FileExists(const QString &FileName)
{
    struct stat st;
    return !FileName.isEmpty() && ::stat(QFile::encodeName(FileName).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::int64_t FileSizeBySearch(const QString &FileName)
{
    struct stat st;
    if (FileName.isEmpty() || ::stat(QFile::encodeName(FileName).constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool RenameFile(const QString &OldName, const QString &NewName)
{
    // QFile::rename falls back to copy-and-remove when the names lie on
    // different volumes, so the contents are never left behind.
    return QFile::rename(OldName, NewName);
}

bool DeleteFile(const QString &FileName)
{
    return QFile::remove(FileName);
}

std::int64_t DiskFree(const QString &Directory)
{
    const QString dir = Directory.isEmpty() ? QDir::currentPath() : Directory;
    struct statvfs vfs;
    if (::statvfs(QFile::encodeName(dir).constData(), &vfs) != 0)
        return -1;
    return static_cast<std::int64_t>(vfs.f_bavail) * static_cast<std::int64_t>(vfs.f_frsize);
}

} // namespace Orbalog
