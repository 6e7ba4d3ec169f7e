// Measures the text-file viewer on a generated 1 GiB trace log against the
// standard tools, on the same cached file in the same run: the full line
// count against wc -l, a search that finds only the last line against
// grep -F -c (plain, -i, -w), opening to the first painted screen, going to
// the last line, and the index's memory per line. The file lives in a
// temporary folder and is deleted at the end.

#include <Orbalog/TFileReader.h>
#include <Orbalog/TTextDocument.h>
#include <Orbalog/TTextFileViewer.h>
#include <Orbalog/TTextSearch.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <functional>

using namespace Orbalog;

namespace {

constexpr qint64 TargetSize = qint64(1) << 30;
const char *const LastMessage = "Shutdown complete";

bool Generate(const QString &Path)
{
    QFile file(Path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    static const char *const messages[] = {"Request %d handled by worker %d", "Opening data.db for session %d (%d)",
                                           "Cannot open data.db: error %d at step %d",
                                           "Query took %d ms, %d rows returned"};
    QByteArray chunk;
    chunk.reserve(8 << 20);
    qint64 written = 0;
    int record = 0, second = 0;
    char line[160];
    while (written < TargetSize - 200) {
        if (record % 7 == 0) {
            const int n = std::snprintf(line, sizeof line, "------  03/07/2024 %02d:%02d:%02d ------\r\n",
                                        (second / 3600) % 24, (second / 60) % 60, second % 60);
            chunk.append(line, n);
            ++second;
        }
        const int m = std::snprintf(line, sizeof line, "%6d  ", record);
        const int k = std::snprintf(line + m, sizeof line - std::size_t(m), messages[record % 4], record * 7,
                                    record % 13);
        chunk.append(line, m + k);
        chunk.append("\r\n");
        ++record;
        if (chunk.size() >= (8 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    chunk.append(QByteArray::number(record).rightJustified(6, ' ') + "  " + LastMessage + "\r\n");
    written += file.write(chunk);
    return written > 0;
}

double Best(int Runs, const std::function<void()> &Work)
{
    double best = 1e30;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        Work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e9);
    }
    return best;
}

double Tool(const QString &Program, const QStringList &Arguments)
{
    return Best(3, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(Program, Arguments);
        process.waitForFinished(-1);
    });
}

void Row(const char *What, double Ours, double Theirs, double Target)
{
    const double ratio = Ours / Theirs;
    std::printf("%-34s ours %7.3f s   tool %7.3f s   ratio %5.2f   (target <= %.1f) %s\n", What, Ours, Theirs, ratio,
                Target, ratio <= Target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/viewer-bench-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/viewer-bench-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("bench.log"));
    std::printf("Generating %s ...\n", qPrintable(path));
    if (!dir.isValid() || !Generate(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const qint64 size = QFileInfo(path).size();
    Tool(QStringLiteral("cat"), {path}); // brings the file into the page cache

    // Line count with the index built.
    TTextDocument document;
    const double count = Best(3, [&] {
        document.Open(path);
        document.CountLines();
    });
    const double wc = Tool(QStringLiteral("wc"), {QStringLiteral("-l"), path});
    const qint64 lines = document.Lines();
    std::printf("File: %lld bytes, %lld lines\n", size, lines);
    Row("line count + index vs wc -l", count, wc, 2.0);
    std::printf("Index memory: %zu bytes, %.3f bytes per line (target <= 2)\n", document.IndexMemory(),
                double(document.IndexMemory()) / double(lines));

    // Searches that find only the last line.
    TFileReader reader;
    reader.Open(path);
    struct
    {
        const char *Name;
        const char *Pattern;
        bool MatchCase;
        bool WholeWord;
        QStringList Flags;
    } searches[] = {
        {"search vs grep -F -c", LastMessage, true, false, {"-F", "-c"}},
        {"search any case vs grep -F -i -c", "shutdown COMPLETE", false, false, {"-F", "-i", "-c"}},
        {"search whole word vs grep -F -w -c", LastMessage, true, true, {"-F", "-w", "-c"}},
    };
    for (const auto &search : searches) {
        TTextSearch engine(search.Pattern, search.MatchCase, search.WholeWord);
        qint64 hit = -1;
        const double ours = Best(3, [&] { hit = engine.FindForward(reader, 0, size); });
        if (hit != size - qint64(std::strlen(LastMessage)) - 2)
            std::printf("  unexpected hit at %lld\n", hit);
        const double grep = Tool(QStringLiteral("grep"), search.Flags + QStringList{search.Pattern, path});
        Row(search.Name, ours, grep, 1.5);
        std::printf("  %.2f GB/s\n", double(size) / ours / 1e9);
    }

    // Opening to the first painted screen, then going to the last line.
    TTextFileViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    QCoreApplication::processEvents();
    double open = 1e30, last = 1e30;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        viewer.SetFileName(path);
        viewer.SetIsOpen(true);
        viewer.viewport()->repaint();
        open = std::min(open, double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(&viewer, &end);
        viewer.viewport()->repaint();
        last = std::min(last, double(timer.nsecsElapsed()) / 1e6);
        viewer.SetFileName(QString());
    }
    std::printf("Open to first painted screen: %.2f ms (target < 50 ms)\n", open);
    std::printf("Go to the last line right after opening (waits for the count): %.1f ms\n", last);
    viewer.SetFileName(path);
    viewer.SetIsOpen(true);
    viewer.CountLines();
    const double settled = Best(5, [&] {
        viewer.SetCaretActualPos(0, 0);
        viewer.viewport()->repaint();
        viewer.SetCaretActualPos(viewer.LineCount() - 1, 0);
        viewer.viewport()->repaint();
    });
    std::printf("Go to the first, then the last line with the count settled (two paints): %.2f ms\n", settled * 1e3);
    std::printf("Caret at line %d of %d\n", viewer.CaretLine(), viewer.LineCount());
    viewer.SetIsOpen(false);
    document.Close();
    reader.Close();
    QFile::remove(path);
    return 0;
}
