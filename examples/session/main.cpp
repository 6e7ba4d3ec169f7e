// A traced session of a small file-transfer client: levels, an error with
// auto restart and fall back, a buffer dump, and an auto reset that keeps the
// log of the period that held the error.
//
//     orbalog-session [FOLDER]      (default: out/session)

#include <Orbalog/FileNames.h>
#include <Orbalog/TTracing.h>

#include <QCoreApplication>
#include <QDir>

#include <array>
#include <cstdio>

using Orbalog::TTracing;

namespace {

void transfer(TTracing &tracer, int file)
{
    tracer.Trace(1, "Sending file %d: report-%.3d.pdf", file, file);
    for (int block = 0; block < 4; ++block)
        tracer.Trace(2, "  block %d of file %d, %u bytes", block, file, 4096u);
    tracer.Trace(1, "File %d sent in %.2f s", file, 0.25 + file * 0.01);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orbalog session example"));
    const QString folder = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("out/session")).absolutePath();
    if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
        std::fprintf(stderr, "cannot use the folder %s\n", qPrintable(folder));
        return 1;
    }
    // Kept copies go to the current folder, beside the log.
    for (const QString &old : QDir().entryList({QStringLiteral("session*.log"), QStringLiteral("session*.ERR")}))
        QFile::remove(old);

    TTracing tracer;
    tracer.FileName = QStringLiteral("session.log");
    tracer.SetTraceLevel(1);
    tracer.AutoRestart = true; // an error raises the level to see what follows
    tracer.RestartLevel = 2;
    tracer.AutoFallBack = true; // and the level falls back later
    tracer.FallBackAfterLine = 20;
    tracer.FallBackLevel = 1;
    tracer.AutoReset = true; // a fresh log past 2.5 KB...
    tracer.MaxSizeTrace = 2500;
    tracer.SaveOnError = true; // ...keeping the old one when it held errors

    try {
        tracer.StartTrace();
        tracer.Trace(1, "Connecting to %s:%d", "files.example.org", 2121);
        tracer.Trace(3, "TLS handshake details"); // above the level: not written
        transfer(tracer, 1);

        const std::array<unsigned char, 24> reply = {'4', '2', '6', ' ', 'C', 'o', 'n', 'n', 'e', 'c', 't', 'i',
                                                     'o', 'n', ' ', 'c', 'l', 'o', 's', 'e', 'd', '\r', '\n', 0};
        tracer.Trace(0, "Transfer of file %d failed: server said %d", 2, 426);
        tracer.TraceBuffer(2, "Server reply", "reply", reply, 0, 22, 4);
        for (int file = 2; file < 40; ++file)
            transfer(tracer, file);
        tracer.StopTrace();
    } catch (const Orbalog::Exception &e) {
        std::fprintf(stderr, "tracing failed: %s\n", e.what());
        return 1;
    }

    std::printf("Trace folder: %s\n", qPrintable(folder));
    std::printf("  log file:   %s\n", qPrintable(Orbalog::ExpandFileName(QStringLiteral("session.log"))));
    std::printf("  error file: %s\n", qPrintable(Orbalog::ExpandFileName(QStringLiteral("session.ERR"))));
    for (const QString &kept : QDir().entryList({QStringLiteral("session?*.log")}, QDir::Files, QDir::Name))
        std::printf("  kept copy:  %s\n", qPrintable(Orbalog::ExpandFileName(kept)));
    return 0;
}
