#pragma once
// The viewer application's start: reads the command line (orbalog-viewer
// [FILE]), shows a viewer window and opens FILE in it when one is given.

#include <Orbalog/TFileViewer.h>

#include <QStringList>

#include <memory>

namespace Orbalog {

// Arguments as QCoreApplication::arguments() gives them (program first).
// Null when the command line asked only for help or the version, which are
// printed; the viewer otherwise, shown, whether or not FILE could be opened.
std::unique_ptr<TFileViewer> StartViewer(const QStringList &Arguments);

} // namespace Orbalog
