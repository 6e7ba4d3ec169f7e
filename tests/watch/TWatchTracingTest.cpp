// The watch tracer: a text control that traces like the file tracer and
// shows the newest records.

#include "TracingFixture.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TComponent.h>
#include <Orbalog/TWatchTracing.h>

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QMetaProperty>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>

using namespace Orbalog;

namespace {

QStringList lines(const TTraceLines &list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Line(i);
    return out;
}

QString banner()
{
    return QString::fromLatin1(TWatchTracing::Banner.data(), qsizetype(TWatchTracing::Banner.size()));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

class TWatchTracingTest : public QObject
{
    Q_OBJECT

    TracingFixture fx;

    QString sep() { return QStringLiteral("------  ") + QString::fromUtf8(fx.now()) + QStringLiteral(" ------"); }

private Q_SLOTS:
    void init() { fx.setUp(); }
    void cleanup() { fx.tearDown(); }

    void control()
    {
        QWidget form;
        form.resize(400, 300);
        auto *watch = new TWatchTracing(&form);
        form.show();
        QCOMPARE(watch->geometry(), form.contentsRect()); // fills its parent
        form.resize(500, 200);
        QCOMPARE(watch->geometry(), form.contentsRect());
        QVERIFY(QFontInfo(watch->font()).fixedPitch());
        QCOMPARE(watch->font().pointSize(), 9);
        QCOMPARE(watch->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(watch->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(watch->TraceLevel(), quint16(0));
        QCOMPARE(watch->WatchLevel(), quint16(0));
        QCOMPARE(watch->LinesStored, quint16(100));
        QVERIFY(watch->AutoScroll() && watch->ShowTrace && !watch->ShowOnStart);

        const QStringList published = {"Align", "FileName", "ShowOnStart", "AutoRestart", "AlwaysCommit",
                                       "DisableOnDate", "AutoDisabling", "RestartLevel", "AutoReset",
                                       "MaxSizeTrace", "SaveOnError", "AutoFallBack", "FallBackLevel",
                                       "FallBackAfterLine", "LinesStored", "TraceLevel", "WatchLevel",
                                       "ShowTrace", "AutoScroll"};
        const QMetaObject *meta = watch->metaObject();
        QStringList names;
        for (int i = TTraceMemo::staticMetaObject.superClass()->propertyCount(); i < meta->propertyCount(); ++i)
            names << QString::fromLatin1(meta->property(i).name());
        QCOMPARE(names, published);
        QVERIFY(watch->setProperty("Align", int(TTraceMemo::alNone)));
        QCOMPARE(watch->Align(), TTraceMemo::alNone);
    }

    void workedExample()
    {
        TWatchTracing watch;
        watch.SetWatchLevel(2);
        watch.SetTraceLevel(1);
        const QString dt1 = sep();
        watch.StartTrace();
        watch.Trace(2, "Polling %d", 5);
        watch.Trace(1, "Opening %s", "data.db");
        watch.Trace(3, "Ignored");
        QCOMPARE(lines(watch.Lines()), (QStringList{dt1, "     0  " + banner(), "     1  <<<<<< Start Tracing >>>>>>",
                                                    "     2  Polling 5", "     2  Opening data.db"}));
        watch.CommitTrace();
        QCOMPARE(fx.read("Trace.log"), crlf({dt1.toUtf8(), "     0  " + banner().toUtf8(),
                                               "     1  <<<<<< Start Tracing >>>>>>", "     2  Opening data.db"}));
    }

    void errorsShowInTheLogForm()
    {
        TWatchTracing watch;
        watch.StartTrace();
        watch.Trace(0, "Cannot open %s", "data.db");
        QCOMPARE(watch.Lines().Line(watch.Lines().Count() - 1), QStringLiteral("     2  Cannot open data.db"));
        watch.CommitTrace();
        QVERIFY(fx.read("Trace.ERR").endsWith("     2:     2 Cannot open data.db\r\n"));
    }

    void holdList()
    {
        TWatchTracing watch;
        watch.SetWatchLevel(5);
        watch.SetTraceLevel(5);
        watch.StartTrace();
        watch.SetAutoScroll(false);
        watch.SetAutoScroll(false); // the same value: nothing
        for (int i = 0; i < 150; ++i)
            watch.Trace(1, "held %d", i);
        QCOMPARE(watch.Lines().Count(), 3); // separator, banner, start marker
        QCOMPARE(watch.HoldLines().Count(), 100);
        QCOMPARE(watch.HoldLines().Line(0), QStringLiteral("    52  held 50"));
        watch.SetAutoScroll(true);
        QCOMPARE(watch.HoldLines().Count(), 0);
        QCOMPARE(watch.Lines().Count(), 103);
        QCOMPARE(watch.Lines().Line(3), QStringLiteral("    52  held 50"));
        watch.Trace(1, "next");
        QCOMPARE(watch.Lines().Count(), 100);
        QCOMPARE(watch.Lines().Line(99), QStringLiteral("   152  next"));
    }

    void startWhileHolding()
    {
        TWatchTracing watch;
        watch.SetWatchLevel(5);
        watch.SetTraceLevel(5);
        watch.StartTrace();
        watch.Trace(1, "shown");
        watch.SetAutoScroll(false);
        watch.Trace(1, "held");
        watch.RestartTrace(); // keeps the display
        QCOMPARE(watch.Lines().Count(), 4);
        watch.StartTrace(); // clears it; the new banner is held behind the older lines
        QCOMPARE(watch.Lines().Count(), 0);
        QStringList held = lines(watch.HoldLines());
        QCOMPARE(held.first(), QStringLiteral("     3  held"));
        QCOMPARE(held.last(), QStringLiteral("     1  <<<<<< Start Tracing >>>>>>"));
        watch.SetAutoScroll(true);
        QCOMPARE(lines(watch.Lines()), held);
    }

    void linesStoredZero()
    {
        TWatchTracing watch;
        watch.LinesStored = 0;
        watch.StartTrace();
        QCOMPARE(watch.Lines().Count(), 0);
        watch.LinesStored = 100;
        watch.Trace(0, "kept on display");
        watch.LinesStored = 0;
        watch.SetAutoScroll(false);
        watch.Trace(0, "trimmed away");
        watch.TraceBuffer(0, "Dump", "d", "abc", 0, 2, 0);
        QCOMPARE(watch.HoldLines().Count(), 0);
        QCOMPARE(lines(watch.Lines()), QStringList{"     2  kept on display"});
    }

    void notShown_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("ShowTrace off") << false;
        QTest::newRow("control hidden") << true;
    }
    void notShown()
    {
        QFETCH(bool, hidden);
        QWidget form;
        auto *watch = new TWatchTracing(&form);
        form.show();
        watch->SetWatchLevel(9);
        watch->SetTraceLevel(9);
        watch->StartTrace();
        watch->SetAutoScroll(false);
        watch->Trace(1, "held");
        watch->SetAutoScroll(true);
        QCOMPARE(watch->Lines().Count(), 4);
        if (hidden)
            watch->hide();
        else
            watch->ShowTrace = false;
        watch->LinesStored = 2;
        watch->Trace(1, "not shown");
        QCOMPARE(watch->Lines().Count(), 4); // Trace neither shows nor trims
        watch->TraceBuffer(1, "Dump", "d", "abc", 0, 2, 0);
        QCOMPARE(watch->Lines().Count(), 2); // a dump still trims
        watch->CommitTrace();
        QVERIFY(fx.read("Trace.log").contains("  not shown\r\n"));
    }

    void dumpBatch()
    {
        QWidget form;
        auto *watch = new TWatchTracing(&form);
        form.show();
        QCoreApplication::processEvents();
        watch->SetWatchLevel(5);
        watch->LinesStored = 10;
        watch->StartTrace();
        int changes = 0;
        watch->Lines().OnChange = [&] { ++changes; };
        QByteArray block(40 * 16, 'q');
        fx.advance(1);
        watch->TraceBuffer(1, "Block", "b", block.constData(), 0, int(block.size()) - 1, 0);
        QCOMPARE(changes, 1); // one batch
        QCOMPARE(watch->Lines().Count(), 10);
        QVERIFY(watch->Lines().Line(9).startsWith(QStringLiteral("          27- 71")));
        // Shown, not logged: the same lines, and the number of the next logged record.
        watch->SetTraceLevel(0);
        watch->LinesStored = 100;
        watch->Lines().Clear();
        watch->TraceBuffer(3, "Shown", "s", block.constData(), 0, -1, 0);
        QCOMPARE(watch->Lines().Count(), 3);
        QVERIFY(watch->Lines().Line(0).startsWith(QStringLiteral("     2  Shown: s[")));
        watch->CommitTrace();
        QVERIFY(!fx.read("Trace.log").contains("Shown"));
    }

    void autoResetFromTrace_data()
    {
        QTest::addColumn<bool>("autoScroll");
        QTest::newRow("scrolling") << true;
        QTest::newRow("holding") << false;
    }
    void autoResetFromTrace()
    {
        QFETCH(bool, autoScroll);
        TWatchTracing watch;
        watch.SetWatchLevel(1);
        watch.SetTraceLevel(1);
        watch.AutoReset = true;
        watch.MaxSizeTrace = 250;
        watch.StartTrace();
        watch.SetAutoScroll(autoScroll);
        for (int i = 0; i < 50; ++i) {
            watch.Trace(1, "filling the log, record %d", i);
            if (watch.RecordCount() == 2)
                break; // reset
        }
        if (autoScroll) {
            QCOMPARE(lines(watch.Lines()), (QStringList{"     0  " + banner(), "     1  <<<<<< Start Tracing >>>>>>"}));
        } else {
            QVERIFY(watch.HoldLines().Line(watch.HoldLines().Count() - 3).contains("filling the log"));
            QCOMPARE(watch.Lines().Count(), 0);
        }
    }

    void autoResetFromDump_data()
    {
        QTest::addColumn<bool>("autoScroll");
        QTest::newRow("scrolling") << true;
        QTest::newRow("holding") << false;
    }
    void autoResetFromDump()
    {
        QFETCH(bool, autoScroll);
        TWatchTracing watch;
        watch.SetWatchLevel(1);
        watch.SetTraceLevel(1);
        watch.AutoReset = true;
        watch.MaxSizeTrace = 400;
        watch.StartTrace();
        watch.SetAutoScroll(autoScroll);
        const QByteArray block(64, 'd');
        watch.TraceBuffer(1, "Dump", "d", block.constData(), 0, 63, 0);
        const QStringList start = {"     0  " + banner(), "     1  <<<<<< Start Tracing >>>>>>"};
        // Scrolling, the fresh start shows first and the held dump moves in
        // below it; holding, the start's lines are held behind the dump.
        const QStringList shown = lines(autoScroll ? watch.Lines() : watch.HoldLines());
        QCOMPARE(shown.size(), 2 + 1 + 3 + 4);
        const QStringList dump = autoScroll ? shown.mid(2) : shown.mid(0, 8);
        QCOMPARE(autoScroll ? shown.mid(0, 2) : shown.mid(8), start);
        QVERIFY(dump.at(0).startsWith(QStringLiteral("------  ")));
        QVERIFY(dump.at(1).startsWith(QStringLiteral("     2  Dump: d[")));
        if (autoScroll) {
            QCOMPARE(watch.HoldLines().Count(), 0);
        } else {
            QCOMPARE(watch.Lines().Count(), 0); // the start cleared it
        }
        watch.CommitTrace();
        QVERIFY(!fx.read("Trace.log").contains("Dump"));
    }

    void sharedDisplaySeparators()
    {
        TWatchTracing first, second;
        first.FileName = QStringLiteral("first.log");
        second.FileName = QStringLiteral("second.log");
        first.StartTrace();
        second.StartTrace();
        QVERIFY(first.Lines().Line(0).startsWith(QStringLiteral("------")));
        QCOMPARE(second.Lines().Line(0), "     0  " + banner());
    }

    void settingsWinAtEveryStart()
    {
        QDir().mkpath(fx.path("config"));
        const QString section = QCoreApplication::applicationName();
        fx.write(QStringLiteral("config/ORBALOG.INI"),
                 QStringLiteral("[%1]\nFileName=stored.log\nShowOnStart=1\nTraceLevel=3\nWatchLevel=4\n").arg(section).toUtf8());
        TWatchTracing watch;
        int levelChanges = 0;
        watch.OnLevelChange = [&](QObject *) { ++levelChanges; };
        watch.FileName = QStringLiteral("design.log");
        watch.StartTrace();
        QCOMPARE(watch.FileName, QStringLiteral("stored.log"));
        QCOMPARE(watch.TracePath(), fx.path("stored.log"));
        QVERIFY(watch.ShowOnStart);
        QCOMPARE(watch.WatchLevel(), quint16(4));
        QCOMPARE(levelChanges, 3); // trace level, watch level, then the start applies the level
        watch.SetTraceLevel(1);
        watch.RestartTrace();
        QCOMPARE(watch.TraceLevel(), quint16(3));
        watch.StopTrace();

        watch.SetWatchLevel(7);
        watch.Save();
        TWatchTracing other;
        other.Load();
        QCOMPARE(other.WatchLevel(), quint16(7));
        QCOMPARE(other.GetAppName(), section);
    }

    void rejectedDateStopsTheStart()
    {
        QDir().mkpath(fx.path("config"));
        const QString yesterday = QString::fromStdString(DateToStr(Date() - 1));
        fx.write(QStringLiteral("config/ORBALOG.INI"),
                 QStringLiteral("[%1]\nAutoDisabling=1\nDisableOnDate=%2\n")
                     .arg(QCoreApplication::applicationName(), yesterday)
                     .toUtf8());
        TWatchTracing watch;
        bool started = false;
        watch.OnStart = [&](QObject *) { started = true; };
        try {
            watch.StartTrace();
            QFAIL("no exception");
        } catch (const EConvertError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), yesterday + " is not a valid Date");
        }
        QVERIFY(!started);
        QVERIFY(!watch.FilesOpen());
        QVERIFY(!QFile::exists(fx.path("Trace.log")));
    }

    void narrowFallBackCounter()
    {
        TWatchTracing watch;
        watch.AutoFallBack = true;
        watch.FallBackAfterLine = 65535;
        watch.FallBackLevel = 0;
        watch.SetTraceLevel(1);
        watch.ShowTrace = false;
        watch.StartTrace();
        int falls = 0;
        watch.OnLevelChange = [&](QObject *) { ++falls; };
        for (int i = 0; i < 65534; ++i)
            watch.Trace(1, "x");
        QCOMPARE(watch.LinesSinceFallBack(), 0); // 2 + 65534 wrapped
        for (int i = 0; i < 70000; ++i)
            watch.Trace(1, "x");
        QCOMPARE(falls, 0);
        QCOMPARE(watch.TraceLevel(), quint16(1));
    }

    void designModeOnlyHoldsValues()
    {
        QWidget form;
        SetDesigning(&form, true);
        auto *watch = new TWatchTracing(&form);
        watch->StartTrace();
        QVERIFY(!watch->FilesOpen());
        QVERIFY(!QFile::exists(fx.path("Trace.log")));
    }

    void selectAndCopy()
    {
        TWatchTracing watch;
        watch.show();
        watch.StartTrace();
        watch.Trace(0, "copied line");
        QTest::keyClick(&watch, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&watch, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), lines(watch.Lines()).join('\n'));
        // Shift+Up from the end selects the last line's text and the line before's end.
        QTest::keyClick(&watch, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&watch, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(&watch, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("     2  copied line"));
    }

    void paintsOncePerTurnAndShowsTheNewest()
    {
        QWidget form;
        form.resize(520, 220);
        auto *watch = new TWatchTracing(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        watch->SetWatchLevel(1);
        watch->StartTrace();
        QCoreApplication::processEvents();
        PaintCounter counter;
        watch->viewport()->installEventFilter(&counter);
        for (int i = 0; i < 500; ++i)
            watch->Trace(1, "record %d of the burst", i);
        QCOMPARE(counter.paints, 0); // nothing painted while the burst runs
        QScrollBar *bar = watch->verticalScrollBar();
        QTRY_COMPARE(bar->maximum() + bar->pageStep(), watch->Lines().Count());
        QTRY_COMPARE(bar->value(), bar->maximum());
        QTest::qWait(50);
        // One paint for the burst (and at most one left from the start's lines).
        QVERIFY2(counter.paints >= 1 && counter.paints <= 2, qPrintable(QString::number(counter.paints)));

        // Under a steady flood the screen catches up some sixty times a second,
        // not at every turn of the loop.
        QElapsedTimer clock;
        clock.start();
        counter.paints = 0;
        for (int turn = 0; turn < 2000 && clock.elapsed() < 300; ++turn) {
            for (int i = 0; i < 20; ++i)
                watch->Trace(1, "flood %d", i);
            QCoreApplication::processEvents();
        }
        QVERIFY2(counter.paints <= clock.elapsed() / 16 + 2, qPrintable(QString::number(counter.paints)));
        QTRY_COMPARE(watch->Lines().Line(watch->Lines().Count() - 1), QStringLiteral("     2  flood 19"));
        QTRY_COMPARE(bar->value(), bar->maximum());
        const QString dir = QString::fromLocal8Bit(qgetenv("ORBALOG_SCREENSHOTS"));
        if (!dir.isEmpty())
            form.grab().save(dir + QStringLiteral("/watch-tracer-burst.png"));
    }

    void readerScrolledUpKeepsTheLines()
    {
        QWidget form;
        form.resize(400, 150);
        auto *watch = new TWatchTracing(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        watch->SetWatchLevel(1);
        watch->SetTraceLevel(1);
        watch->StartTrace();
        for (int i = 0; i < 60; ++i)
            watch->Trace(1, "line %d", i);
        QScrollBar *bar = watch->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 40);
        QCOMPARE(bar->value(), bar->maximum());
        watch->LinesStored = 63;
        bar->setValue(40); // the reader looks at older lines
        const QString top = watch->Lines().Line(40);
        for (int i = 60; i < 70; ++i)
            watch->Trace(1, "line %d", i); // ten more, and ten old ones trimmed away
        QCOMPARE(watch->Lines().Count(), 63);
        QTRY_COMPARE(watch->Lines().Line(bar->value()), top);
        bar->setValue(bar->maximum()); // back at the end: following again
        watch->Trace(1, "newest");
        QTRY_COMPARE(bar->value(), bar->maximum());
        QCOMPARE(bar->maximum() + bar->pageStep(), watch->Lines().Count());
    }

    // A few records on a small form, saved for a person to look at when
    // ORBALOG_SCREENSHOTS names a folder.
    void smallFormScreenshot()
    {
        QWidget form;
        form.setWindowTitle(QStringLiteral("Watch tracer"));
        form.resize(560, 200);
        auto *watch = new TWatchTracing(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        watch->SetTraceLevel(2);
        watch->SetWatchLevel(2);
        watch->StartTrace();
        watch->Trace(1, "Connecting to %s:%d", "files.example.org", 2121);
        watch->Trace(2, "  block %d, %u bytes", 0, 4096u);
        watch->Trace(0, "Transfer failed: server said %d", 426);
        const unsigned char reply[] = "426 Connection closed\r\n";
        watch->TraceBuffer(2, "Server reply", "reply", reply, 0, 22, 4);
        QTRY_COMPARE(watch->verticalScrollBar()->value(), watch->verticalScrollBar()->maximum());
        QTRY_VERIFY(watch->verticalScrollBar()->isVisible() && watch->horizontalScrollBar()->isVisible());
        const QImage shot = form.grab().toImage();
        QVERIFY(!shot.isNull());
        const QString dir = QString::fromLocal8Bit(qgetenv("ORBALOG_SCREENSHOTS"));
        if (!dir.isEmpty())
            shot.save(dir + QStringLiteral("/watch-tracer.png"));
    }
};

QTEST_MAIN(TWatchTracingTest)
#include "TWatchTracingTest.moc"
