#include <Orbalog/TPrinterText.h>

#include <Orbalog/Exception.h>

#include <QFontMetrics>
#include <QPrinter>

#include <algorithm>
#include <cerrno>

namespace Orbalog {

namespace {

[[noreturn]] void Fail(const char *What)
{
    throw EInOutError(EIO, std::string("Printer: ") + What);
}

} // namespace

TPrinterText::TPrinterText(QPrinter &Printer)
    : FPrinter(Printer)
{
}

TPrinterText::~TPrinterText()
{
    CloseQuietly();
}

void TPrinterText::RequireOpen() const
{
    if (!IsOpen())
        throw EInOutError(EInOutError::FileNotOpen, "Printer: no print job is open");
}

void TPrinterText::Rewrite()
{
    if (IsOpen())
        Close();
    if (!FPainter.begin(&FPrinter))
        Fail("unable to begin the print job");
    FY = 0;
    FPages = 1;
    FPageHasLines = false;
    SetFont(FPainter.font());
}

void TPrinterText::SetFont(const QFont &Font, const QColor &Colour)
{
    RequireOpen();
    FPainter.setFont(Font);
    FPainter.setPen(Colour);
    const QFontMetrics metrics(FPainter.font(), &FPrinter);
    FLineHeight = std::max(1, metrics.lineSpacing());
    FAscent = metrics.ascent();
}

void TPrinterText::WriteLine(const QString &Line)
{
    RequireOpen();
    if (FPageHasLines && FY + FLineHeight > FPrinter.height()) {
        if (!FPrinter.newPage())
            Fail("unable to begin a new page");
        ++FPages;
        FY = 0;
        FPageHasLines = false;
    }
    FPainter.drawText(0, FY + FAscent, Line);
    FY += FLineHeight;
    FPageHasLines = true;
    if (FPrinter.printerState() == QPrinter::Error)
        Fail("unable to write to the print job");
}

void TPrinterText::Close()
{
    if (!IsOpen())
        return;
    const bool aborted = FPrinter.printerState() == QPrinter::Error;
    if (!FPainter.end() || aborted)
        Fail("unable to finish the print job");
}

void TPrinterText::CloseQuietly() noexcept
{
    if (IsOpen())
        FPainter.end();
}

} // namespace Orbalog
