// Memory dumps of the file tracer.

#include "TracingFixture.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TTracing.h>

#include <QTest>

#include <vector>

using namespace Orbalog;

namespace {

QByteArray address(const void *p)
{
    return QByteArray::number(quintptr(p), 16).toUpper().rightJustified(int(sizeof(void *) * 2), '0');
}

const QByteArray columnHeader = "               0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F";

} // namespace

class TraceBufferTest : public QObject
{
    Q_OBJECT

    TracingFixture fx;
    const QByteArray letters = "abcdefghijklmnopqrstuvwxyz";

private Q_SLOTS:
    void init() { fx.setUp(); }
    void cleanup() { fx.tearDown(); }

    void workedExample()
    {
        const char block[20] = {'H', 'e', 'l', 'l', 'o', '\r', '\n', '\0', 'A', 'B',
                                'C', 'D', 'E', 'F', 'G', 'H', '0', '1', '2', '3'};
        TTracing tracer;
        int traced = 0, errors = 0;
        tracer.StartTrace();
        tracer.TraceBuffer(1, "First", "f", block, 0, 3, 0); // the dumps' separator for this second
        for (int i = 3; i < 7; ++i)
            tracer.Trace(1, "record %d", i);
        tracer.CommitTrace();
        const QByteArray before = fx.read("Trace.log");
        const qint32 size = tracer.EstimatedSize();
        const qint64 lines = tracer.LinesSinceFallBack();
        tracer.OnTrace = [&](QObject *) { ++traced; };
        tracer.OnTraceError = [&](QObject *) { ++errors; };
        tracer.TraceBuffer(1, "Receive", "Frame", block, 2, 19, 17);
        tracer.CommitTrace();

        const QByteArray header = "     7  Receive: Frame[" + address(block) + "]";
        const QByteArray range = "        Range: 2 [2h] to 19 [13h], Mark at: 17 [11h]";
        const QByteArray row0 = "           0- 48 65[6C 6C 6F  D  A  0 41 42 43 44 45 46 47 48 Hello...ABCDEFGH";
        const QByteArray row1 = "           1- 30|31 32 33]" + QByteArray(35, ' ') + " 0123";
        QCOMPARE(row0.size(), 78);
        QCOMPARE(fx.read("Trace.log"), before + crlf({header, range, columnHeader, row0, row1}));
        QCOMPARE(fx.read("Trace.ERR").count("Receive"), 0);
        QCOMPARE(tracer.RecordCount(), 8);
        QCOMPARE(traced, 1);
        QCOMPARE(errors, 0);
        QCOMPARE(tracer.EstimatedSize(), size + 63 + header.size() + range.size() + 61 + 78 + row1.size());
        QCOMPARE(tracer.LinesSinceFallBack(), lines + 3 + 2);
    }

    void rows_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("mark");
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<QList<QByteArray>>("rows");
        const QByteArray full = " 61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F 70 abcdefghijklmnop";
        QTest::newRow("negative ToIndex") << 0 << -1 << 0 << QByteArray("        Range: 0 [0h] to -1 [FFFFFFFFh], Mark at: 0 [0h]")
                                          << QList<QByteArray>();
        QTest::newRow("one full row, from 0") << 0 << 15 << 99 << QByteArray("        Range: 0 [0h] to 15 [Fh], Mark at: 99 [63h]")
                                              << QList<QByteArray>{"           0-[" + full.mid(1)};
        QTest::newRow("one entry past a row")
            << 99 << 16 << 16 << QByteArray("        Range: 99 [63h] to 16 [10h], Mark at: 16 [10h]")
            << QList<QByteArray>{"           0-" + full, "           1-|71]" + QByteArray(44, ' ') + " q"};
        QTest::newRow("mark on from, negative from")
            << -5 << 4 << -5 << QByteArray("        Range: -5 [FFFFFFFBh] to 4 [4h], Mark at: -5 [FFFFFFFBh]")
            << QList<QByteArray>{"           0- 61 62 63 64 65]" + QByteArray(32, ' ') + " abcde"};
        QTest::newRow("mark wins over from")
            << 3 << 4 << 3 << QByteArray("        Range: 3 [3h] to 4 [4h], Mark at: 3 [3h]")
            << QList<QByteArray>{"           0- 61 62 63|64 65]" + QByteArray(32, ' ') + " abcde"};
    }
    void rows()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, mark);
        QFETCH(QByteArray, range);
        QFETCH(QList<QByteArray>, rows);
        TTracing tracer;
        tracer.StartTrace();
        tracer.TraceBuffer(1, "Cap", "Buf", letters.constData(), from, to, mark);
        tracer.CommitTrace();
        QList<QByteArray> expected = {"     2  Cap: Buf[" + address(letters.constData()) + "]", range, columnHeader};
        expected += rows;
        QByteArray text;
        for (const QByteArray &line : expected)
            text += line + "\r\n";
        QVERIFY2(fx.read("Trace.log").endsWith(text), fx.read("Trace.log").constData());
    }

    void byteForms()
    {
        const unsigned char bytes[] = {0x00, 0x1F, 0x20, 0x7F, 0x80, 0xFF};
        TTracing tracer;
        tracer.StartTrace();
        tracer.TraceBuffer(1, "Bytes", "b", bytes, 99, 5, 99);
        tracer.CommitTrace();
        const QByteArray row = "           0-  0 1F 20 7F 80 FF]" + QByteArray(29, ' ') + " .. \x7f\x80\xff";
        QVERIFY(fx.read("Trace.log").endsWith(row + "\r\n"));
    }

    void rowBoundaryAndLength()
    {
        std::vector<unsigned char> block(256, 'x');
        TTracing tracer;
        tracer.StartTrace();
        tracer.TraceBuffer(1, "Block", "b", block, 0, 255, 0);
        tracer.CommitTrace();
        const QList<QByteArray> lines = fx.read("Trace.log").split('\n');
        const QByteArray last = lines[lines.size() - 2].chopped(1);
        QVERIFY(last.startsWith("           F- 78"));
        QVERIFY(!last.contains(']'));
        QCOMPARE(last.size(), 78);
        QCOMPARE(tracer.LinesSinceFallBack(), 2 + 3 + 16);
    }

    void longHeaderIsCutInTheLogOnly()
    {
        const std::string caption(70, 'C');
        TTracing tracer;
        tracer.StartTrace();
        tracer.TraceBuffer(0, caption, "Name", letters.constData(), 0, 3, 0);
        tracer.CommitTrace();
        const QByteArray whole = QByteArray::fromStdString(caption) + ": Name[" + address(letters.constData()) + "]";
        const QByteArray logHeader = ("     2  " + whole).left(80);
        QVERIFY(fx.read("Trace.log").contains("\n" + logHeader + "\r\n        Range:"));
        QVERIFY(fx.read("Trace.ERR").endsWith("     2:     2  " + whole + "\r\n"));
    }

    void errorAndSystemDumps()
    {
        TTracing tracer;
        int errors = 0;
        tracer.OnTraceError = [&](QObject *) { ++errors; };
        tracer.StartTrace();
        QCOMPARE(errors, 2);
        fx.advance(1);
        const QByteArray dt = fx.now();
        tracer.TraceBuffer(-1, "System", "s", letters.constData(), 0, 1, 0);
        QCOMPARE(errors, 2);
        QCOMPARE(tracer.ErrorCount(), 0);
        tracer.TraceBuffer(0, "Failure", "f", letters.constData(), 0, 1, 0);
        QCOMPARE(errors, 3);
        QCOMPARE(tracer.ErrorCount(), 1);
        // A record and a dump in the same new second each get a separator.
        tracer.Trace(1, "plain");
        tracer.CommitTrace();
        const QByteArray log = fx.read("Trace.log");
        QCOMPARE(log.count("------  " + dt + " ------\r\n"), 2);
        QVERIFY(log.contains("     3  Failure: f["));
        // The error copy uses the log's separator form and its own time text.
        QVERIFY(fx.read("Trace.ERR").endsWith("------  " + dt + " ------\r\n     2:     3  Failure: f["
                                              + address(letters.constData()) + "]\r\n"));
    }

    void spanRefusesToReadPastItsEnd()
    {
        const std::vector<unsigned char> block(20, 'a');
        TTracing tracer;
        tracer.StartTrace();
        try {
            tracer.TraceBuffer(1, "Cap", "Frame", block, 0, 20, 0);
            QFAIL("no exception");
        } catch (const ERangeError &e) {
            QVERIFY2(QByteArray(e.what()).contains("20 bytes of Frame"), e.what());
        }
        QCOMPARE(tracer.RecordCount(), 2);
        tracer.TraceBuffer(1, "Cap", "Frame", block, 0, 19, 0);
        QCOMPARE(tracer.RecordCount(), 3);
        // No buffer at all is refused too, unless nothing is to be read from it.
        QVERIFY_THROWS_EXCEPTION(ERangeError, tracer.TraceBuffer(1, "Cap", "None", nullptr, 0, 3, 0));
        tracer.TraceBuffer(1, "Cap", "None", nullptr, 0, -1, 0);
        QCOMPARE(tracer.RecordCount(), 4);
    }

    void filteredDumpDoesNothing()
    {
        TTracing tracer;
        tracer.StartTrace();
        tracer.CommitTrace();
        const QByteArray log = fx.read("Trace.log");
        int traced = 0;
        tracer.OnTrace = [&](QObject *) { ++traced; };
        tracer.TraceBuffer(2, "Cap", "b", letters.constData(), 0, 25, 0);
        tracer.CommitTrace();
        QCOMPARE(fx.read("Trace.log"), log);
        QCOMPARE(traced, 0);
        QCOMPARE(tracer.LinesSinceFallBack(), 2);
    }
};

QTEST_GUILESS_MAIN(TraceBufferTest)
#include "TraceBufferTest.moc"
