// The file tracer: paths, the run lifecycle, records, events, accessors and
// I/O failures.

#include "TracingFixture.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TTracing.h>

#include <QMetaProperty>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace Orbalog;

namespace {

struct EventCounts
{
    int start = 0, level = 0, error = 0, trace = 0;
    void attach(TTracing &t)
    {
        t.OnStart = [this](QObject *) { ++start; };
        t.OnLevelChange = [this](QObject *) { ++level; };
        t.OnTraceError = [this](QObject *) { ++error; };
        t.OnTrace = [this](QObject *) { ++trace; };
    }
};

QByteArray banner()
{
    return QByteArray(TTracing::Banner.data(), qsizetype(TTracing::Banner.size()));
}

} // namespace

class TTracingTest : public QObject
{
    Q_OBJECT

    TracingFixture fx;

private Q_SLOTS:
    void init() { fx.setUp(); }
    void cleanup() { fx.tearDown(); }

    void defaultsAndPublishedOrder()
    {
        QObject owner;
        auto *tracer = new TTracing(&owner);
        QCOMPARE(tracer->FileName, QStringLiteral("Trace.log"));
        QCOMPARE(tracer->TraceLevel(), quint16(1));
        QCOMPARE(tracer->MaxSizeTrace, 1000000);
        QCOMPARE(tracer->FallBackAfterLine, quint16(100));
        QVERIFY(!tracer->FilesOpen());
        QCOMPARE(TTracing::Banner.size(), std::size_t(80));

        // The designer lists and stores properties in this order.
        const QStringList expected = {"objectName", "FileName", "AutoRestart", "AlwaysCommit", "DisableOnDate",
                                      "AutoDisabling", "RestartLevel", "AutoReset", "MaxSizeTrace", "SaveOnError",
                                      "AutoFallBack", "FallBackLevel", "FallBackAfterLine", "TraceLevel"};
        QStringList names;
        const QMetaObject *meta = tracer->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i)
            names << QString::fromLatin1(meta->property(i).name());
        QCOMPARE(names, expected);
        QVERIFY(tracer->setProperty("TraceLevel", 3));
        QCOMPARE(tracer->TraceLevel(), quint16(3));
    }

    void paths_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << "" << "trace.log" << "trace.ERR";
        QTest::newRow("folder only") << "logs/" << "trace.log" << "trace.ERR";
        QTest::newRow("no extension") << "run" << "run.LOG" << "run.ERR";
        QTest::newRow("default") << "Trace.log" << "Trace.log" << "Trace.ERR";
        QTest::newRow("dot in folder") << "my.dir/run" << "my.dir/run.LOG" << "my.dir/run.ERR";
    }
    void paths()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, log);
        QFETCH(QString, error);
        QDir().mkpath(QStringLiteral("my.dir"));
        TTracing tracer;
        tracer.FileName = fileName;
        tracer.StartTrace();
        QCOMPARE(tracer.TracePath(), fx.path(log));
        QCOMPARE(tracer.ErrorPath(), fx.path(error));
        QCOMPARE(tracer.GetFileName(), fx.path(log));
        QCOMPARE(tracer.FileName, fileName);
        QVERIFY(QFile::exists(fx.path(log)) && QFile::exists(fx.path(error)));
        tracer.StopTrace();
        QVERIFY(tracer.GetFileName().isEmpty());
    }

    void workedExample()
    {
        TTracing tracer;
        EventCounts events;
        events.attach(tracer);
        const QByteArray dt1 = fx.now();
        tracer.StartTrace();
        tracer.Trace(1, "Opening %s", "data.db");
        tracer.Trace(2, "Polling %d", 5);
        fx.advance(1);
        const QByteArray dt2 = fx.now();
        tracer.Trace(0, "Cannot open %s", "data.db");
        tracer.CommitTrace();
        QCOMPARE(tracer.GetTraceSize(), qint32(fx.read("Trace.log").size()));
        tracer.StopTrace();

        QCOMPARE(fx.read("Trace.log"), crlf({"------  " + dt1 + " ------", "     0  " + banner(),
                                               "     1  <<<<<< Start Tracing >>>>>>", "     2  Opening data.db",
                                               "------  " + dt2 + " ------", "     3  Cannot open data.db",
                                               "     4  <<<<<< End Tracing >>>>>>"}));
        QCOMPARE(fx.read("Trace.ERR"),
                 crlf({"------ ------ " + dt1 + " ------", "     0:     0 " + banner(),
                       "     1:     1 <<<<<< Start Tracing >>>>>>", "------ ------ " + dt2 + " ------",
                       "     2:     3 Cannot open data.db", "     3:     4 <<<<<< End Tracing >>>>>>"}));
        QCOMPARE(tracer.RecordCount(), 5);
        QCOMPARE(tracer.ErrorLineCount(), 4);
        QCOMPARE(tracer.ErrorCount(), 1);
        QCOMPARE(events.error, 4);
        QCOMPARE(events.trace, 5);
        QCOMPARE(events.level, 1);
        QCOMPARE(events.start, 1);
        // Separator lines count their text and 15, records their message and 8.
        const int expected = 2 * (dt1.size() + 15) + (80 + 8) + (27 + 8) + (15 + 8) + (19 + 8) + (25 + 8);
        QCOMPARE(tracer.GetTraceFileSize(), QString::number(expected));
        QCOMPARE(tracer.GetTraceSize(), 0); // no log path once stopped
    }

    void levels_data()
    {
        QTest::addColumn<int>("traceLevel");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("logged");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<int>("errors");
        QTest::newRow("ordinary within") << 3 << 3 << true << false << 0;
        QTest::newRow("ordinary above") << 1 << 2 << false << false << 0;
        QTest::newRow("level 0, trace level 0") << 0 << 0 << true << true << 1;
        QTest::newRow("system") << 0 << -1 << true << true << 0;
        QTest::newRow("other negative") << 0 << -7 << true << true << 0;
        QTest::newRow("beyond 16 bits") << 65535 << 70000 << false << false << 0;
    }
    void levels()
    {
        QFETCH(int, traceLevel);
        QFETCH(int, level);
        QFETCH(bool, logged);
        QFETCH(bool, copied);
        QFETCH(int, errors);
        TTracing tracer;
        tracer.SetTraceLevel(quint16(traceLevel));
        tracer.StartTrace();
        EventCounts events;
        events.attach(tracer);
        const qint32 records = tracer.RecordCount();
        const qint32 errorLines = tracer.ErrorLineCount();
        const QByteArray logBefore = (tracer.CommitTrace(), fx.read("Trace.log"));
        const QByteArray errBefore = fx.read("Trace.ERR");
        tracer.Trace(level, "record at %d", level);
        tracer.CommitTrace();
        const QByteArray message = "record at " + QByteArray::number(level);
        QCOMPARE(fx.read("Trace.log") == logBefore, !logged);
        if (logged)
            QVERIFY(fx.read("Trace.log").endsWith("     2  " + message + "\r\n"));
        QCOMPARE(fx.read("Trace.ERR") == errBefore, !copied);
        if (copied)
            QVERIFY(fx.read("Trace.ERR").endsWith("     2:     2 " + message + "\r\n"));
        QCOMPARE(tracer.RecordCount(), records + (logged ? 1 : 0));
        QCOMPARE(tracer.ErrorLineCount(), errorLines + (copied ? 1 : 0));
        QCOMPARE(tracer.ErrorCount(), errors);
        QCOMPARE(events.trace, logged ? 1 : 0);
        QCOMPARE(events.error, copied ? 1 : 0);
    }

    void separators()
    {
        TTracing first;
        first.FileName = QStringLiteral("first.log");
        first.StartTrace();
        first.Trace(1, "one");
        first.Trace(1, "two");
        // A second tracer of the process in the same second shares the separator.
        TTracing second;
        second.FileName = QStringLiteral("second.log");
        second.StartTrace();
        fx.advance(1);
        const QByteArray later = fx.now();
        first.Trace(1, "three");
        first.StopTrace();
        second.StopTrace();
        const QByteArray log = fx.read("first.log");
        QCOMPARE(log.count("------  "), 2);
        QVERIFY(log.contains("------  " + later + " ------\r\n     4  three\r\n"));
        QVERIFY(!fx.read("second.log").startsWith("------"));
        // The error file got nothing in the later second until the end markers.
        QCOMPARE(fx.read("first.ERR").count("------ ------ "), 2);
    }

    void recordText_data()
    {
        QTest::addColumn<QByteArray>("fmt");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("line break kept") << QByteArray("two\r\nlines") << QByteArray("     2  two\r\nlines\r\n");
        QTest::newRow("percent") << QByteArray("100%%") << QByteArray("     2  100%\r\n");
        QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9") << QByteArray("     2  caf\xc3\xa9\r\n");
    }
    void recordText()
    {
        QFETCH(QByteArray, fmt);
        QFETCH(QByteArray, expected);
        TTracing tracer;
        tracer.StartTrace();
        tracer.Trace(1, fmt.toStdString());
        tracer.CommitTrace();
        QVERIFY2(fx.read("Trace.log").endsWith(expected), fx.read("Trace.log").constData());
        QCOMPARE(tracer.RecordCount(), 3);
    }

    void wideRecordNumbers()
    {
        TTracing tracer;
        tracer.StartTrace();
        for (int i = 2; i < 1000000; ++i)
            tracer.Trace(1, "r");
        const qint32 before = tracer.EstimatedSize();
        tracer.Trace(1, "wide");
        QCOMPARE(tracer.EstimatedSize(), before + 4 + 8);
        tracer.CommitTrace();
        QVERIFY(fx.read("Trace.log").endsWith("999999  r\r\n1000000  wide\r\n"));
    }

    void formatMismatch()
    {
        TTracing tracer;
        tracer.StartTrace();
        tracer.CommitTrace();
        const QByteArray log = fx.read("Trace.log");
        EventCounts events;
        events.attach(tracer);
        fx.advance(1);
        try {
            tracer.Trace(1, "%d items", "seven");
            QFAIL("no exception");
        } catch (const EConvertError &e) {
            QVERIFY2(QByteArray(e.what()).contains("%d items"), e.what());
        }
        QCOMPARE(tracer.RecordCount(), 2);
        QCOMPARE(events.trace, 0);
        tracer.CommitTrace();
        // Only the separator of the new second may have been written.
        QCOMPARE(fx.read("Trace.log"), log + "------  " + fx.now() + " ------\r\n");
        QVERIFY_THROWS_EXCEPTION(EConvertError, tracer.Trace(0, "%s and %s", "one"));
        QCOMPARE(tracer.ErrorLineCount(), 2);
        QCOMPARE(tracer.ErrorCount(), 0);
    }

    void outsideRun()
    {
        TTracing tracer;
        EventCounts events;
        events.attach(tracer);
        tracer.StopTrace();
        tracer.Trace(0, "ignored");
        tracer.TraceBuffer(0, "c", "b", "abc", 0, 2, 0);
        tracer.CommitTrace();
        QCOMPARE(events.start + events.level + events.error + events.trace, 0);
        QVERIFY(!QFile::exists(fx.path("Trace.log")));
        QCOMPARE(tracer.GetTraceSize(), 0);
        QCOMPARE(tracer.GetTraceFileSize(), QStringLiteral("0"));
    }

    void secondStartDuringRun()
    {
        TTracing tracer;
        tracer.StartTrace();
        tracer.Trace(1, "first run");
        tracer.FileName = QStringLiteral("other.log");
        tracer.StartTrace();
        tracer.Trace(1, "second run");
        QCOMPARE(tracer.TracePath(), fx.path("other.log"));
        tracer.StopTrace();
        // The files opened by the first start are still the ones written.
        QVERIFY(!QFile::exists(fx.path("other.log")));
        const QByteArray log = fx.read("Trace.log");
        QVERIFY(!log.contains("first run"));
        QVERIFY(log.contains("     2  second run\r\n"));
        QCOMPARE(tracer.RecordCount(), 4);
    }

    void restart()
    {
        {
            TTracing tracer;
            tracer.RestartTrace(); // no log yet: a start
            tracer.Trace(1, "one");
            tracer.StopTrace();
            QVERIFY(fx.read("Trace.log").contains("<<<<<< Start Tracing >>>>>>"));
            QCOMPARE(tracer.RecordCount(), 4);

            const qint32 size = qint32(fx.read("Trace.log").size());
            tracer.RestartTrace();
            QCOMPARE(tracer.EstimatedSize(), size + (80 + 8) + (29 + 8)); // from the disk, then the banner and marker
            tracer.Trace(1, "two");
            tracer.StopTrace();
            const QByteArray log = fx.read("Trace.log");
            QVERIFY(log.startsWith("------  "));
            QVERIFY(log.contains("     3  <<<<<< End Tracing >>>>>>\r\n     4  " + banner()
                                 + "\r\n     5  <<<<<< Restart Tracing >>>>>>\r\n     6  two\r\n"));
            QVERIFY(fx.read("Trace.ERR").contains("     2:     3 <<<<<< End Tracing >>>>>>\r\n     3:     4 "));
        }
        // A new tracer restarting an existing log numbers from 0 again.
        TTracing fresh;
        fresh.RestartTrace();
        QCOMPARE(fresh.RecordCount(), 2);
        fresh.StopTrace();
    }

    void levelChangeAlwaysFires()
    {
        TTracing tracer;
        int fired = 0;
        tracer.OnLevelChange = [&](QObject *sender) {
            QCOMPARE(sender, &tracer);
            ++fired;
        };
        tracer.SetTraceLevel(tracer.TraceLevel());
        QVERIFY(tracer.setProperty("TraceLevel", 1));
        QCOMPARE(fired, 2);
    }

    void startHandlerAbortsStart()
    {
        TTracing tracer;
        tracer.OnStart = [](QObject *) { throw EOrbalogError("refused"); };
        QVERIFY_THROWS_EXCEPTION(EOrbalogError, tracer.StartTrace());
        QVERIFY(!tracer.FilesOpen());
        QVERIFY(!QFile::exists(fx.path("Trace.log")));
    }

    void diskSpace()
    {
        TTracing tracer;
        QVERIFY(tracer.GetDiskSpace().toLongLong() > 0); // the current folder's volume
        QDir().mkpath(QStringLiteral("logs"));
        tracer.FileName = QStringLiteral("logs/app.log");
        tracer.StartTrace();
        QVERIFY(tracer.GetDiskSpace().toLongLong() > 0);
        tracer.StopTrace();
    }

    void destroyDuringRunKeepsRecords()
    {
        {
            TTracing tracer;
            tracer.StartTrace();
            tracer.Trace(1, "buffered record");
        }
        const QByteArray log = fx.read("Trace.log");
        QVERIFY(log.endsWith("     2  buffered record\r\n"));
        QVERIFY(!log.contains("End Tracing"));
    }

    void createFailures_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("missing folder") << "missing/app.log";
        QTest::newRow("folder is a file") << "plain/app.log";
    }
    void createFailures()
    {
        QFETCH(QString, fileName);
        fx.write(QStringLiteral("plain"), "not a folder");
        TTracing tracer;
        tracer.FileName = fileName;
        try {
            tracer.StartTrace();
            QFAIL("no exception");
        } catch (const EInOutError &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(fx.path(fileName)), e.what());
            QVERIFY(e.ErrorCode() != 0);
        }
        // The paths stay assigned: once the cause is gone a start succeeds.
        QVERIFY(tracer.FilesOpen());
        QFile::remove(fx.path("plain"));
        QVERIFY(QDir().mkpath(ExtractDir(fileName)));
        tracer.StartTrace();
        tracer.Trace(1, "recovered");
        tracer.StopTrace();
        QVERIFY(fx.read(fileName).contains("     2  recovered\r\n"));
    }

    void fullDevice()
    {
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), fx.path("full.log")));
        TTracing tracer;
        tracer.FileName = QStringLiteral("full.log");
        tracer.AlwaysCommit = true;
        try {
            tracer.StartTrace();
            QFAIL("no exception");
        } catch (const EInOutError &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(fx.path("full.log")), e.what());
        }
        QVERIFY_THROWS_EXCEPTION(EInOutError, tracer.StopTrace());
        // With the cause gone, the next start writes a clean log.
        QFile::remove(fx.path("full.log"));
        tracer.StartTrace();
        tracer.StopTrace();
        QVERIFY(fx.read("full.log").contains("<<<<<< End Tracing >>>>>>"));
    }

    void fileSizeLimit()
    {
        struct rlimit old;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = old;
        limited.rlim_cur = 300;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        TTracing tracer;
        tracer.AlwaysCommit = true;
        bool raised = false;
        try {
            tracer.StartTrace();
            for (int i = 0; i < 20; ++i)
                tracer.Trace(1, "filling the log %d", i);
        } catch (const EInOutError &e) {
            raised = QString::fromUtf8(e.what()).contains(fx.path("Trace.log"));
        }
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QVERIFY(raised);
        QVERIFY(fx.read("Trace.log").size() <= 300);
    }

private:
    static QString ExtractDir(const QString &fileName) { return fileName.section(QLatin1Char('/'), 0, 0); }
};

QTEST_GUILESS_MAIN(TTracingTest)
#include "TTracingTest.moc"
