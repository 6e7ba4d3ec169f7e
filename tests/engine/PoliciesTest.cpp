// The runtime policies of the file tracer: disable date, auto restart, auto
// reset with kept copies, fall back.

#include "TracingFixture.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TTracing.h>

#include <QTest>

using namespace Orbalog;

class PoliciesTest : public QObject
{
    Q_OBJECT

    TracingFixture fx;

    QString today(int offsetDays = 0)
    {
        return QString::fromStdString(DateToStr(Date() + offsetDays));
    }

private Q_SLOTS:
    void init() { fx.setUp(); }
    void cleanup() { fx.tearDown(); }

    void disableDateSetter_data()
    {
        QTest::addColumn<bool>("autoDisabling");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("error");
        QTest::newRow("dropped while off") << false << 0 << "" << "" << "";
        QTest::newRow("tomorrow") << true << 1 << "" << "<same>" << "";
        QTest::newRow("today") << true << 0 << "" << "<same>" << "";
        QTest::newRow("yesterday") << true << -1 << "" << "" << "<text> is not a valid Date";
        QTest::newRow("not a date") << true << 0 << "31/02/2027" << "" << "'31/02/2027' is not a valid date";
        QTest::newRow("empty") << true << 0 << "<empty>" << "" << "'' is not a valid date";
        QTest::newRow("normalised") << true << 0 << "1/1/2030" << "01/01/2030" << "";
        QTest::newRow("two-digit year") << true << 0 << "1/1/30" << "01/01/2030" << "";
    }
    void disableDateSetter()
    {
        QFETCH(bool, autoDisabling);
        QFETCH(int, offset);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(QString, error);
        if (text.isEmpty())
            text = today(offset);
        if (text == "<empty>")
            text.clear();
        stored.replace("<same>", text);
        error.replace("<text>", text);
        TTracing tracer;
        tracer.AutoDisabling = autoDisabling;
        try {
            tracer.SetDisableDate(text);
            QVERIFY2(error.isEmpty(), "no exception");
        } catch (const EConvertError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), error);
        }
        QCOMPARE(tracer.DisableOnDate(), stored);
    }

    void disableDateStopsTracing_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("level");
        QTest::newRow("no date accepted") << 99 << 1;
        QTest::newRow("today") << 0 << 1;
        QTest::newRow("rejected yesterday is still kept") << -1 << 1;
        QTest::newRow("filtered record") << 0 << 9;
    }
    void disableDateStopsTracing()
    {
        QFETCH(int, offset);
        QFETCH(int, level);
        TTracing tracer;
        tracer.StartTrace();
        tracer.AutoDisabling = true;
        if (offset != 99) {
            try {
                tracer.SetDisableDate(today(offset));
            } catch (const EConvertError &) {
                QCOMPARE(offset, -1);
            }
        }
        int traced = 0;
        tracer.OnTrace = [&](QObject *) { ++traced; };
        tracer.Trace(level, "not written");
        QVERIFY(!tracer.FilesOpen());
        QVERIFY(!tracer.TracePath().isEmpty());
        QCOMPARE(traced, 0);
        tracer.TraceBuffer(0, "c", "b", "xy", 0, 1, 0);
        tracer.StopTrace(); // nothing more to do: no end marker, no error
        const QByteArray log = fx.read("Trace.log");
        QVERIFY(log.endsWith("<<<<<< Start Tracing >>>>>>\r\n"));
        // A new start empties both files and its banner meets the date again.
        tracer.StartTrace();
        QVERIFY(!tracer.FilesOpen());
        QCOMPARE(fx.read("Trace.log"), QByteArray());
        QCOMPARE(fx.read("Trace.ERR"), QByteArray());
    }

    void stopMeetingTheDate()
    {
        TTracing tracer;
        tracer.StartTrace();
        tracer.AutoDisabling = true;
        tracer.SetDisableDate(today(0));
        tracer.AutoDisabling = false;
        tracer.Trace(1, "still on");
        tracer.AutoDisabling = true;
        tracer.StopTrace(); // the end marker meets the date and closes both files
        QVERIFY(!tracer.FilesOpen());
        QVERIFY(fx.read("Trace.log").endsWith("     2  still on\r\n"));
    }

    void autoRestart()
    {
        TTracing tracer;
        tracer.AutoRestart = true;
        tracer.RestartLevel = 5;
        tracer.StartTrace();
        QList<quint16> seen;
        tracer.OnLevelChange = [&](QObject *) { seen << tracer.TraceLevel(); };
        tracer.Trace(3, "filtered before the error");
        tracer.Trace(0, "error");
        tracer.Trace(3, "now logged");
        tracer.Trace(0, "again");
        QCOMPARE(seen, (QList<quint16>{5, 5}));
        tracer.CommitTrace();
        const QByteArray log = fx.read("Trace.log");
        QVERIFY(!log.contains("filtered before"));
        QVERIFY(log.endsWith("     2  error\r\n     3  now logged\r\n     4  again\r\n"));
    }

    void autoReset()
    {
        TTracing tracer;
        tracer.AutoReset = true;
        tracer.MaxSizeTrace = 300;
        tracer.StartTrace();
        int traced = 0;
        tracer.OnTrace = [&](QObject *) { ++traced; };
        int crossing = -1;
        for (int i = 0; i < 20 && crossing < 0; ++i) {
            const qint32 before = tracer.EstimatedSize();
            tracer.Trace(1, "record number %d of the first period", i);
            if (tracer.RecordCount() == 2)
                crossing = i;
            QVERIFY(before <= 300);
        }
        QVERIFY(crossing > 0);
        QCOMPARE(tracer.ErrorCount(), 0);
        QCOMPARE(traced, crossing + 1 + 2); // records, then the new banner and start marker
        tracer.StopTrace();
        // The crossing record closed the old period; no copy without errors.
        const QByteArray log = fx.read("Trace.log");
        QVERIFY(log.contains("     0  " + QByteArray(TTracing::Banner.data(), 80)));
        QVERIFY(!log.contains("first period"));
        QVERIFY(!QFile::exists(fx.path("Trace0.log")));
    }

    void keptCopies_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("copy");
        QTest::newRow("first copy") << "Trace.log" << QStringList() << "Trace0.log";
        QTest::newRow("next free") << "Trace.log" << QStringList{"Trace0.log", "Trace1.log"} << "Trace2.log";
        QTest::newRow("eight characters") << "ABCDEFGH.LOG" << QStringList() << "ABCDEFG0.LOG";
        QTest::newRow("seven characters") << "TRACING.LOG" << QStringList() << "TRACING0.LOG";
        QStringList all;
        for (int i = 0; i <= 10; ++i)
            all << QStringLiteral("Trace%1.log").arg(i);
        QTest::newRow("all taken") << "Trace.log" << all << "Trace10.log";
    }
    void keptCopies()
    {
        QFETCH(QString, fileName);
        QFETCH(QStringList, present);
        QFETCH(QString, copy);
        for (const QString &name : present)
            fx.write(name, "older copy");
        TTracing tracer;
        tracer.FileName = fileName;
        tracer.AutoReset = true;
        tracer.SaveOnError = true;
        tracer.MaxSizeTrace = 400;
        tracer.StartTrace();
        tracer.Trace(0, "the error worth keeping");
        while (tracer.RecordCount() > 2)
            tracer.Trace(1, "padding the first period");
        tracer.StopTrace();
        const QByteArray kept = fx.read(copy);
        QVERIFY2(kept.contains("     2  the error worth keeping\r\n"), kept.constData());
        QVERIFY(!kept.contains("End Tracing"));
        QVERIFY(!fx.read(fileName).contains("worth keeping"));
        // The error file is not copied; the fresh start emptied it.
        QVERIFY(!fx.read(QString(fileName).replace(".log", ".ERR").replace(".LOG", ".ERR")).contains("worth keeping"));
    }

    void tinyLimitDoesNotResetForever()
    {
        TTracing tracer;
        tracer.AutoReset = true;
        tracer.MaxSizeTrace = 1;
        tracer.StartTrace();
        QCOMPARE(tracer.RecordCount(), 2);
        tracer.Trace(1, "each record now resets");
        QCOMPARE(tracer.RecordCount(), 2);
        // Even the end marker passes the limit: it closes a period of its own.
        tracer.StopTrace();
        QVERIFY(!tracer.FilesOpen());
        const QByteArray log = fx.read("Trace.log");
        QVERIFY(log.endsWith("     1  <<<<<< Start Tracing >>>>>>\r\n"));
        QCOMPARE(log.count("\r\n"), 2);
    }

    void fallBack_data()
    {
        QTest::addColumn<int>("afterLine");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("fallBacks");
        QTest::newRow("after every line") << 0 << 3 << 3;
        QTest::newRow("after the 101st line") << 100 << 99 << 1; // banner and marker count too
        QTest::newRow("not yet") << 100 << 98 << 0;
    }
    void fallBack()
    {
        QFETCH(int, afterLine);
        QFETCH(int, records);
        QFETCH(int, fallBacks);
        TTracing tracer;
        tracer.AutoFallBack = true;
        tracer.FallBackAfterLine = quint16(afterLine);
        tracer.FallBackLevel = 0;
        tracer.SetTraceLevel(4);
        int falls = 0;
        tracer.OnLevelChange = [&](QObject *) { falls += tracer.TraceLevel() == 0 ? 1 : 0; };
        tracer.StartTrace(); // with FallBackAfterLine 0 the banner itself falls back
        if (afterLine == 0) {
            QCOMPARE(falls, 2);
            falls = 0;
        }
        for (int i = 0; i < records; ++i) {
            tracer.Trace(0, "line");
            if (afterLine == 0)
                tracer.SetTraceLevel(4);
        }
        QCOMPARE(falls, fallBacks);
    }

    void dumpCountsItsLines()
    {
        QByteArray block(1600, 'z'); // 100 rows
        TTracing tracer;
        tracer.StartTrace();
        const qint64 before = tracer.LinesSinceFallBack();
        tracer.TraceBuffer(1, "Block", "b", block.constData(), 0, 1599, 0);
        QCOMPARE(tracer.LinesSinceFallBack(), before + 103);
    }
};

QTEST_GUILESS_MAIN(PoliciesTest)
#include "PoliciesTest.moc"
