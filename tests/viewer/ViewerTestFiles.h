#pragma once
// Small helpers that write the files the viewer tests read.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

inline void WriteFile(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(Path));
    QCOMPARE(file.write(Bytes), Bytes.size());
}

// A file of Size bytes that is a hole except for Tail written at its end.
inline void WriteSparseFile(const QString &Path, qint64 Size, const QByteArray &Tail)
{
    const int handle = ::open(QFile::encodeName(Path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(handle >= 0);
    QCOMPARE(::ftruncate(handle, Size), 0);
    QCOMPARE(::pwrite(handle, Tail.constData(), size_t(Tail.size()), Size - Tail.size()), ssize_t(Tail.size()));
    ::close(handle);
}

// Trace-log lines as the tracer writes them: a time separator every few
// records, then numbered records, each ended by CR LF.
inline QByteArray TraceLines(int Records)
{
    QByteArray text;
    for (int i = 0; i < Records; ++i) {
        if (i % 5 == 0)
            text += "------  03/07/2024 10:15:" + QByteArray::number(10 + i / 5).rightJustified(2, '0') + " ------\r\n";
        text += QByteArray::number(i).rightJustified(6, ' ') + "  Request " + QByteArray::number(i * 7) +
                " handled by worker " + QByteArray::number(i % 3) + "\r\n";
    }
    return text;
}
