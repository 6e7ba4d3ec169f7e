// orbalog-viewer [FILE]: the trace file viewer as an application of its own.

#include "ViewerApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orbalog-viewer"));
    QApplication::setApplicationVersion(QStringLiteral("1.01"));
    const auto viewer = Orbalog::StartViewer(QApplication::arguments());
    if (!viewer)
        return 0;
    return app.exec();
}
