#pragma once
// A text channel to a printer: Rewrite begins a print job, WriteLine lays
// one line below the last in the channel's font and begins a new page when
// the page is full, Close ends the job. Every failure raises EInOutError.

#include <Orbalog/OrbalogExport.h>

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>

class QPrinter;

namespace Orbalog {

class ORBALOG_EXPORT TPrinterText
{
public:
    explicit TPrinterText(QPrinter &Printer);
    ~TPrinterText(); // ends a job still open, quietly

    TPrinterText(const TPrinterText &) = delete;
    TPrinterText &operator=(const TPrinterText &) = delete;

    void Rewrite();
    bool IsOpen() const noexcept { return FPainter.isActive(); }
    // The font of the lines written from now on.
    void SetFont(const QFont &Font, const QColor &Colour = Qt::black);
    void WriteLine(const QString &Line);
    void Close();
    // Ends the job, if one is open, without reporting a failure.
    void CloseQuietly() noexcept;

    int PagesBegun() const noexcept { return FPages; }

private:
    void RequireOpen() const;

    QPrinter &FPrinter;
    QPainter FPainter;
    int FLineHeight = 0;
    int FAscent = 0;
    int FY = 0;
    int FPages = 0;
    bool FPageHasLines = false;
};

} // namespace Orbalog
