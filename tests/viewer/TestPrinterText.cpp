// The printer text channel: lines one below the other, new pages when a page
// is full, and failures raised as EInOutError.

#include "PdfText.h"

#include <Orbalog/Exception.h>
#include <Orbalog/TPrinterText.h>

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace Orbalog;

class TestPrinterText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesRunOverPages_data();
    void linesRunOverPages();
    void writingWithoutJobRaises();
    void unwritableOutputRaisesAndStaysClosed();
};

void TestPrinterText::linesRunOverPages_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("lines");
    QTest::newRow("one page") << 8 << 20;
    QTest::newRow("several pages") << 20 << 120;
}

void TestPrinterText::linesRunOverPages()
{
    QFETCH(int, pointSize);
    QFETCH(int, lines);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    printer.setOutputFileName(pdf);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    const QFont font(QStringLiteral("DejaVu Sans Mono"), pointSize);
    QStringList written;
    for (int i = 0; i < lines; ++i)
        written << QStringLiteral("%1 line   with  blanks").arg(i, 4);
    TPrinterText channel(printer);
    channel.Rewrite();
    QVERIFY(channel.IsOpen());
    channel.SetFont(font);
    for (const QString &line : written)
        channel.WriteLine(line);
    channel.Close();
    QVERIFY(!channel.IsOpen());

    const int perPage = printer.height() / QFontMetrics(font, &printer).lineSpacing();
    QCOMPARE(channel.PagesBegun(), (lines + perPage - 1) / perPage);
    QCOMPARE(PdfLines(pdf, AdvanceInPoints(font, printer)), written);
}

void TestPrinterText::writingWithoutJobRaises()
{
    QPrinter printer;
    TPrinterText channel(printer);
    try {
        channel.WriteLine(QStringLiteral("x"));
        QFAIL("no exception");
    } catch (const EInOutError &error) {
        QCOMPARE(error.ErrorCode(), EInOutError::FileNotOpen);
    }
    channel.Close(); // closing a channel that is not open does nothing
}

void TestPrinterText::unwritableOutputRaisesAndStaysClosed()
{
    QTemporaryDir dir;
    QPrinter printer;
    printer.setOutputFileName(dir.filePath(QStringLiteral("missing/folder/out.pdf")));
    TPrinterText channel(printer);
    QVERIFY_THROWS_EXCEPTION(EInOutError, channel.Rewrite());
    QVERIFY(!channel.IsOpen());
    QVERIFY(printer.printerState() != QPrinter::Active);
}

QTEST_MAIN(TestPrinterText)
#include "TestPrinterText.moc"
