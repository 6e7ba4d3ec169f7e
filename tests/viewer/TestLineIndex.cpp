// The line scanner, the compact line index, the background indexer and the
// document built on them, without any widget.

#include "ViewerTestFiles.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TFileReader.h>
#include <Orbalog/TLineIndex.h>
#include <Orbalog/TLineIndexer.h>
#include <Orbalog/TLineScanner.h>
#include <Orbalog/TTextDocument.h>

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using namespace Orbalog;

Q_DECLARE_METATYPE(std::vector<std::int64_t>)

namespace {

// Line ends as a plain loop sees them, for comparison.
std::vector<std::int64_t> ReferenceEnds(const QByteArray &Bytes)
{
    std::vector<std::int64_t> ends;
    for (qsizetype i = 0; i < Bytes.size(); ++i) {
        if (Bytes[i] == '\n')
            ends.push_back(i + 1);
        else if (Bytes[i] == '\r' && i + 1 < Bytes.size() && Bytes[i + 1] != '\n')
            ends.push_back(i + 1);
    }
    return ends;
}

} // namespace

class TestLineIndex : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scanFindsLineEnds_data();
    void scanFindsLineEnds();
    void scanInPiecesAgreesWithPlainLoop();
    void indexFindsEveryLineAndOffset();
    void documentCountsLines_data();
    void documentCountsLines();
    void documentIndexesFileBeyondFourGiB();
    void documentSurvivesShrinkingFile();
    void openingUnreadableFileRaises();
};

void TestLineIndex::scanFindsLineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::vector<std::int64_t>>("ends");
    QTest::addColumn<int>("consumed");
    QTest::newRow("empty") << QByteArray() << std::vector<std::int64_t>{} << 0;
    QTest::newRow("LF") << QByteArray("ab\ncd\n") << std::vector<std::int64_t>{3, 6} << 6;
    QTest::newRow("CR LF") << QByteArray("ab\r\ncd\r\n") << std::vector<std::int64_t>{4, 8} << 8;
    QTest::newRow("lone CR") << QByteArray("ab\rcd\r\r") << std::vector<std::int64_t>{3, 6} << 6;
    QTest::newRow("mixed, no final end") << QByteArray("a\r\nb\nc\rd") << std::vector<std::int64_t>{3, 5, 7} << 8;
    QTest::newRow("CR LF across a 64-byte window") << QByteArray(63, 'x') + "\r\n" + QByteArray(10, 'y')
                                                   << std::vector<std::int64_t>{65} << 75;
    QTest::newRow("lone CR closing a 64-byte window") << QByteArray(63, 'x') + "\ry"
                                                      << std::vector<std::int64_t>{64} << 65;
    QTest::newRow("CR last in a full window") << QByteArray(63, 'x') + "\r" << std::vector<std::int64_t>{} << 63;
    QTest::newRow("CR last after a window") << QByteArray(64, '\n') + "zz\r"
                                            << [] {
                                                   std::vector<std::int64_t> v;
                                                   for (int i = 1; i <= 64; ++i)
                                                       v.push_back(i);
                                                   return v;
                                               }()
                                            << 66;
}

void TestLineIndex::scanFindsLineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::vector<std::int64_t>, ends);
    QFETCH(int, consumed);
    std::vector<std::int64_t> found;
    QCOMPARE(int(TLineScanner::Scan(bytes.constData(), std::size_t(bytes.size()), 0, found)), consumed);
    QCOMPARE(found, ends);
}

void TestLineIndex::scanInPiecesAgreesWithPlainLoop()
{
    // Random text rich in CR and LF, scanned in random pieces the way the
    // indexer reads blocks: an undecided CR is scanned again with what follows.
    QRandomGenerator random(4711);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\t', ' '};
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes(int(random.bounded(2000, 6000)), Qt::Uninitialized);
        for (char &c : bytes)
            c = alphabet[random.bounded(int(sizeof alphabet))];
        std::vector<std::int64_t> found;
        std::int64_t position = 0;
        while (position < bytes.size()) {
            const std::int64_t piece = std::min<std::int64_t>(random.bounded(1, 300), bytes.size() - position);
            const std::size_t consumed =
                TLineScanner::Scan(bytes.constData() + position, std::size_t(piece), position, found);
            if (consumed == 0 && position + piece == bytes.size())
                break;
            position += std::int64_t(consumed);
        }
        QCOMPARE(found, ReferenceEnds(bytes));
    }
}

void TestLineIndex::indexFindsEveryLineAndOffset()
{
    // Lengths that take one, two, three and nine bytes in the index, and
    // offsets past 4 GiB.
    const std::int64_t lengths[] = {1, 127, 128, 16383, 16384, 40, std::int64_t(5) << 30, 2, 300};
    std::vector<std::int64_t> ends;
    std::int64_t end = 0;
    for (int i = 0; i < 1000; ++i) {
        end += lengths[i % std::size(lengths)];
        ends.push_back(end);
    }
    TLineIndex index;
    index.Append(ends.data(), 300);
    index.Append(ends.data() + 300, ends.size() - 300);
    QCOMPARE(index.Lines(), 1000);
    QCOMPARE(index.End(), end);
    QCOMPARE(index.LongestLine(), std::int64_t(5) << 30);
    std::int64_t start = 0;
    for (std::int64_t line = 0; line < 1000; ++line) {
        std::int64_t from = -1, next = -1;
        QVERIFY(index.Range(line, from, next));
        QCOMPARE(from, start);
        QCOMPARE(next, ends[std::size_t(line)]);
        QCOMPARE(index.LineAt(from), line);
        QCOMPARE(index.LineAt(next - 1), line);
        start = next;
    }
    std::int64_t from = 0, next = 0;
    QVERIFY(!index.Range(1000, from, next));
    QVERIFY(!index.Range(-1, from, next));
    QCOMPARE(index.LineAt(end), 1000);
    index.Clear();
    QCOMPARE(index.Lines(), 0);
    QVERIFY(!index.Range(0, from, next));
}

void TestLineIndex::documentCountsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("one line end") << QByteArray("\n") << QStringList{""};
    QTest::newRow("no final line end") << QByteArray("one\ntwo") << QStringList{"one", "two"};
    QTest::newRow("every kind of line end") << QByteArray("a\nb\r\nc\rd\r\n") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("final lone CR") << QByteArray("a\r\nb\r") << QStringList{"a", "b"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\r\n\n") << QStringList{"", "", "", ""};
    const QByteArray big = TraceLines(30000); // several blocks, past the first synchronous scan
    QStringList bigLines = QString::fromLatin1(big).split(QStringLiteral("\r\n"));
    bigLines.removeLast();
    QTest::newRow("trace log of many blocks") << big << bigLines;
}

void TestLineIndex::documentCountsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines.log"));
    WriteFile(path, bytes);
    TTextDocument document;
    QSignalSpy settled(&document, &TTextDocument::Settled);
    document.Open(path);
    document.CountLines();
    QVERIFY(document.IsCounted());
    QCOMPARE(document.Size(), bytes.size());
    QCOMPARE(document.Lines(), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(document.Text(i, 0, 1000), lines[i]);
    QTRY_COMPARE(settled.count(), 1);
}

void TestLineIndex::documentIndexesFileBeyondFourGiB()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.log"));
    const qint64 size = (qint64(5) << 30) + 12345;
    const QByteArray tail = "\n     1  near the end\r\n     2  last one\r\n";
    WriteSparseFile(path, size, tail);
    TTextDocument document;
    document.Open(path);
    QVERIFY(!document.IsCounted());
    document.CountLines();
    // The hole is one line of NUL bytes, then come the three written lines.
    QCOMPARE(document.Lines(), 3);
    QCOMPARE(document.Size(), size);
    std::int64_t start = 0, end = 0;
    QVERIFY(document.ContentRange(2, start, end));
    QCOMPARE(end, size - 2);
    QCOMPARE(start, size - 18);
    QCOMPARE(document.Text(1, 0, 100), QStringLiteral("     1  near the end"));
    QCOMPARE(document.Text(2, 0, 100), QStringLiteral("     2  last one"));
    QCOMPARE(document.LineAt(size - 5), 2);
    // Far into the NUL line, shown as control pictures, without reading it all.
    QCOMPARE(document.Text(0, qint64(1) << 30, (qint64(1) << 30) + 3), QString(3, QChar(0x2400)));
    std::int64_t hitLength = 0;
    QCOMPARE(document.Find(QStringLiteral("last one"), {}, size - 100, hitLength), size - 10);
}

void TestLineIndex::documentSurvivesShrinkingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("shrinks.log"));
    WriteFile(path, TraceLines(2000));
    TTextDocument document;
    document.Open(path);
    document.CountLines();
    const std::int64_t lines = document.Lines();
    QVERIFY(lines > 2000);
    QVERIFY(QFile::resize(path, 100));
    // Lines that are gone read as empty; nothing past the end is touched.
    QCOMPARE(document.Text(lines - 1, 0, 100), QString());
    QCOMPARE(document.Columns(lines - 1), 0);
    QVERIFY(!document.Text(0, 0, 100).isEmpty());
    std::int64_t hitLength = 0;
    QCOMPARE(document.Find(QStringLiteral("worker 2"), {}, 200, hitLength), -1);
    document.Open(path);
    document.CountLines();
    QCOMPARE(document.Size(), 100);
    QVERIFY(document.Lines() < 5);
}

void TestLineIndex::openingUnreadableFileRaises()
{
    QTemporaryDir dir;
    TTextDocument document;
    QVERIFY_THROWS_EXCEPTION(EInOutError, document.Open(dir.filePath(QStringLiteral("missing.log"))));
    QVERIFY_THROWS_EXCEPTION(EInOutError, document.Open(dir.path()));
    QVERIFY(!document.IsOpen());
    QCOMPARE(document.Lines(), 0);
}

QTEST_GUILESS_MAIN(TestLineIndex)
#include "TestLineIndex.moc"
