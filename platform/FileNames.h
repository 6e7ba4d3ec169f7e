#pragma once
// File-name functions and the few file-system questions the tracers ask.
// Names use '/' as the path delimiter.

#include <Orbalog/OrbalogExport.h>

#include <QString>

#include <cstdint>

namespace Orbalog {

ORBALOG_EXPORT QString ExpandFileName(const QString &FileName); // absolute, against the current folder
ORBALOG_EXPORT QString ExtractFileName(const QString &FileName); // what follows the last '/'
ORBALOG_EXPORT QString ExtractFilePath(const QString &FileName); // up to and including the last '/'
ORBALOG_EXPORT QString ExtractFileDir(const QString &FileName);  // the same without the final '/'
ORBALOG_EXPORT QString ExtractFileExt(const QString &FileName);  // from the last '.' of the name part
ORBALOG_EXPORT QString ChangeFileExt(const QString &FileName, const QString &Extension);

ORBALOG_EXPORT bool FileExists(const QString &FileName);
// Length in bytes of the file a directory search finds at FileName (any
// attributes admitted), or -1 when there is none.
ORBALOG_EXPORT std::int64_t FileSizeBySearch(const QString &FileName);
// Renames, moving the file's contents to another volume when it must.
ORBALOG_EXPORT bool RenameFile(const QString &OldName, const QString &NewName);
ORBALOG_EXPORT bool DeleteFile(const QString &FileName);
// Free bytes available to the user on the volume that holds Directory, or -1
// when that cannot be determined.
ORBALOG_EXPORT std::int64_t DiskFree(const QString &Directory);

} // namespace Orbalog
