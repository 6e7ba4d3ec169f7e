#pragma once
// Reads back the text of a printed PDF with pdftotext in fixed-pitch layout
// mode: with the font's advance (in points) and a zero left margin, each
// character lands in its own column, so indentation and inner blanks come
// back as printed. Trailing blanks, page breaks and trailing empty lines are
// dropped.

#include <QFontMetricsF>
#include <QProcess>
#include <QRegularExpression>
#include <QPrinter>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

inline double AdvanceInPoints(const QFont &Font, QPrinter &Printer)
{
    return QFontMetricsF(Font, &Printer).horizontalAdvance(QLatin1Char('M')) * 72.0 / Printer.resolution();
}

inline QStringList PdfLines(const QString &Pdf, double Advance)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) {
        qWarning("pdftotext is missing (poppler-utils, see scripts/deps.sh)");
        return {QStringLiteral("<pdftotext missing>")};
    }
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), QStringLiteral("-fixed"), QString::number(Advance, 'f', 4), Pdf,
                         QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed: %1>").arg(QString::fromLocal8Bit(process.readAllStandardError()))};
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).remove(u'\f').split(u'\n');
    for (QString &line : lines) {
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// The top of the first word Word on the first page, in points from the
// page's top edge (-1 when it is not there).
inline double PdfWordTop(const QString &Pdf, const QString &Word)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                  {QStringLiteral("-bbox"), QStringLiteral("-l"), QStringLiteral("1"), Pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000))
        return -1;
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression word(QStringLiteral("<word xMin=\"[-0-9.]+\" yMin=\"([-0-9.]+)\"[^>]*>") +
                                  QRegularExpression::escape(Word) + QStringLiteral("</word>"));
    const QRegularExpressionMatch match = word.match(html);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}
