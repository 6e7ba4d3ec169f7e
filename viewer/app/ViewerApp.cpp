#include "ViewerApp.h"

#include <Orbalog/TKXVViewer.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace Orbalog {

std::unique_ptr<TFileViewer> StartViewer(const QStringList &Arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads trace, error and other text files."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to open."), QStringLiteral("[FILE]"));
    if (!parser.parse(Arguments)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return nullptr;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return nullptr;
    }
    if (parser.isSet(version)) {
        std::printf("orbalog-viewer 1.01\n");
        return nullptr;
    }
    auto viewer = std::make_unique<TFileViewer>();
    viewer->Show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        viewer->ViewerForm()->OpenFile(QDir::cleanPath(QFileInfo(files.first()).absoluteFilePath()));
    return viewer;
}

} // namespace Orbalog
