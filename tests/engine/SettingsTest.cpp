// The file tracer's settings in ORBALOG.INI.

#include "TracingFixture.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TTracing.h>

#include <QCoreApplication>
#include <QTest>

using namespace Orbalog;

class SettingsTest : public QObject
{
    Q_OBJECT

    TracingFixture fx;

    void writeIni(const QByteArray &text)
    {
        QDir().mkpath(fx.path("config"));
        fx.write(QStringLiteral("config/ORBALOG.INI"), text);
    }
    QByteArray ini() const { return fx.read(QStringLiteral("config/ORBALOG.INI")); }
    static QString date(int offsetDays) { return QString::fromStdString(DateToStr(Date() + offsetDays)); }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Settings Test")); }
    void init() { fx.setUp(); }
    void cleanup() { fx.tearDown(); }

    void roundTrip()
    {
        TTracing saved;
        saved.Load(); // takes the title: the section to save under
        saved.FileName = QStringLiteral("logs/app.trc");
        saved.AutoReset = saved.SaveOnError = saved.AutoFallBack = saved.AutoRestart = true;
        saved.AlwaysCommit = true;
        saved.RestartLevel = 7;
        saved.MaxSizeTrace = 123456;
        saved.FallBackAfterLine = 42;
        saved.FallBackLevel = 2;
        saved.SetTraceLevel(9);
        saved.AutoDisabling = true;
        saved.SetDisableDate(date(30));
        saved.Save();

        TTracing loaded;
        int levelChanges = 0;
        loaded.OnLevelChange = [&](QObject *) { ++levelChanges; };
        loaded.Load();
        QCOMPARE(loaded.AppTitle(), QStringLiteral("Settings Test"));
        QCOMPARE(loaded.FileName, saved.FileName);
        QVERIFY(loaded.AutoReset && loaded.SaveOnError && loaded.AutoFallBack && loaded.AutoRestart);
        QVERIFY(loaded.AlwaysCommit && loaded.AutoDisabling);
        QCOMPARE(loaded.RestartLevel, quint16(7));
        QCOMPARE(loaded.MaxSizeTrace, 123456);
        QCOMPARE(loaded.FallBackAfterLine, quint16(42));
        QCOMPARE(loaded.FallBackLevel, quint16(2));
        QCOMPARE(loaded.TraceLevel(), quint16(9));
        QCOMPARE(loaded.DisableOnDate(), date(30));
        QCOMPARE(levelChanges, 1);

        // A person can read the file: the title as section, keys as named, in save order.
        const QList<QByteArray> lines = ini().trimmed().split('\n');
        QStringList keys;
        for (const QByteArray &line : lines.mid(1))
            keys << QString::fromUtf8(line.left(line.indexOf('='))).trimmed();
        QCOMPARE(lines.first().trimmed(), QByteArray("[Settings Test]"));
        QCOMPARE(keys, (QStringList{"FileName", "AutoReset", "SaveOnError", "AutoFallBack", "AutoRestart",
                                    "AutoDisabling", "AlwaysCommit", "FallBackLevel", "MaxSizeTrace",
                                    "FallBackAfterLine", "RestartLevel", "TraceLevel", "DisableOnDate"}));
    }

    void saveBeforeLoadUsesTheEmptySection()
    {
        TTracing tracer;
        tracer.FileName = QStringLiteral("nameless.log");
        tracer.Save();
        QCOMPARE(TIniFile(QStringLiteral("ORBALOG.INI")).ReadString(QString(), QStringLiteral("FileName"), QString()),
                 QStringLiteral("nameless.log"));
    }

    void missingValuesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("other section") << QByteArray("[Another App]\nTraceLevel=5\nFileName=x.log\n");
        QTest::newRow("garbage values") << QByteArray("[settings test]\nTraceLevel=five\nAutoReset=perhaps\n"
                                                     "MaxSizeTrace=12x\nRestartLevel=\nFileName=kept.log\n");
    }
    void missingValuesChangeNothing()
    {
        QFETCH(QByteArray, content);
        if (!content.isEmpty())
            writeIni(content);
        TTracing tracer;
        int levelChanges = 0;
        tracer.OnLevelChange = [&](QObject *) { ++levelChanges; };
        tracer.Load();
        QCOMPARE(tracer.FileName, content.contains("kept") ? QStringLiteral("kept.log") : QStringLiteral("Trace.log"));
        QCOMPARE(tracer.TraceLevel(), quint16(1));
        QCOMPARE(tracer.MaxSizeTrace, 1000000);
        QCOMPARE(tracer.RestartLevel, quint16(1));
        QVERIFY(!tracer.AutoReset);
        QCOMPARE(levelChanges, 1);
    }

    void widths()
    {
        writeIni("[Settings Test]\nTraceLevel=-1\nFallBackAfterLine=65537\nRestartLevel=70000\nMaxSizeTrace=-5\n");
        TTracing tracer;
        tracer.Load();
        QCOMPARE(tracer.TraceLevel(), quint16(65535));
        QCOMPARE(tracer.FallBackAfterLine, quint16(1));
        QCOMPARE(tracer.RestartLevel, quint16(70000 & 0xFFFF));
        QCOMPARE(tracer.MaxSizeTrace, -5);
    }

    void disableDate_data()
    {
        QTest::addColumn<bool>("autoDisabling");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("error");
        QTest::newRow("yesterday, enabled") << true << date(-1) << date(-1) + " is not a valid Date";
        QTest::newRow("unparsable, enabled") << true << "someday" << "'someday' is not a valid date";
        QTest::newRow("empty, enabled") << true << "" << "'' is not a valid date";
        QTest::newRow("yesterday, disabled") << false << date(-1) << "";
        QTest::newRow("next week, enabled") << true << date(7) << "";
    }
    void disableDate()
    {
        QFETCH(bool, autoDisabling);
        QFETCH(QString, stored);
        QFETCH(QString, error);
        writeIni(QStringLiteral("[Settings Test]\nFileName=loaded.log\nTraceLevel=4\nAutoDisabling=%1\nDisableOnDate=%2\n")
                     .arg(autoDisabling ? 1 : 0)
                     .arg(stored)
                     .toUtf8());
        TTracing tracer;
        try {
            tracer.Load();
            QVERIFY2(error.isEmpty(), "no exception");
            QCOMPARE(tracer.DisableOnDate(), autoDisabling ? stored : QString());
        } catch (const EConvertError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), error);
            QVERIFY(tracer.DisableOnDate().isEmpty());
        }
        // Every other key is in place before the date is judged.
        QCOMPARE(tracer.FileName, QStringLiteral("loaded.log"));
        QCOMPARE(tracer.TraceLevel(), quint16(4));
        QCOMPARE(tracer.AutoDisabling, autoDisabling);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "SettingsTest.moc"
