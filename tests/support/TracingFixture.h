#pragma once
// A scratch folder, a settings folder, fixed date formats and a clock each
// test sets itself, so trace files come out byte for byte.

#include <Orbalog/DateTime.h>
#include <Orbalog/TIniFile.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <string>

class TracingFixture
{
public:
    TracingFixture()
        : FClock(0)
    {
    }

    // Call from init(): every test starts in an empty folder of its own, in
    // an hour no earlier test used, so the separator texts that tracers share
    // across the process never hide a separator line.
    void setUp()
    {
        FDir.reset(new QTemporaryDir);
        QVERIFY(FDir->isValid());
        FPrevious = QDir::currentPath();
        QVERIFY(QDir::setCurrent(FDir->path()));
        Orbalog::SetIniDirectory(FDir->path() + QStringLiteral("/config"));
        Orbalog::TFormatSettings settings;
        settings.ShortDateFormat = QStringLiteral("dd/MM/yyyy");
        settings.LongTimeFormat = QStringLiteral("HH:mm:ss");
        Orbalog::SetFormatSettings(settings);
        static int hour = 0;
        FClock.Set(Orbalog::EncodeDateTime(2026, 12, 11, 0, 0, 0) + (hour++) / 24.0 + 1.0 / 86400 * 7);
        Orbalog::SetClock(&FClock);
    }

    void tearDown()
    {
        Orbalog::SetClock(nullptr);
        Orbalog::SetIniDirectory(QString());
        QDir::setCurrent(FPrevious);
        FDir.reset();
    }

    QString path(const QString &name) const { return FDir->filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void write(const QString &name, const QByteArray &content) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    // The date-and-time text of the clock's present moment.
    QByteArray now() { return QByteArray::fromStdString(Orbalog::DateTimeToStr(FClock.Now())); }
    void advance(int seconds) { FClock.Set(FClock.Now() + seconds / 86400.0); }
    Orbalog::TFixedClock &clock() { return FClock; }

private:
    QScopedPointer<QTemporaryDir> FDir;
    QString FPrevious;
    Orbalog::TFixedClock FClock;
};

// Lines joined with CR LF, each one ended by it: the form of every trace file.
inline QByteArray crlf(std::initializer_list<QByteArray> lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}
