#pragma once
// Where printed pages go: the printer chosen in the print dialog, or a PDF file. Pages are
// always laid out on the full sheet, their positions counted from the paper's corner, so
// a label cut from the sheet has its true place whatever margins the printer reports, and
// the window's print and the command line's PDF of the same input are the same pages. A
// PDF file, also one the print dialog chose, is written through OutputFile: whole or not
// at all, with the system's reason when it cannot be.

#include "FileAccess.h"

#include <QPageLayout>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;

namespace print {

// Draws every page on an active painter; newPage starts the next page and says whether it
// could. Returns false when the pages could not be drawn.
using PagePainter = std::function<bool(QPainter& painter, const std::function<bool()>& newPage)>;

struct PrintOutcome {
    bool ok = false;
    QString file;                                // the PDF file; "" on a printer
    OutputFailure failure = OutputFailure::None; // why the PDF file was not written
    QString reason;                              // the system's reason, or what failed
    // "FILE cannot be written: REASON", or the printer's failure.
    QString Message() const;
};

// A4 portrait with no margins: positions count from the paper's corner.
QPageLayout FullA4Page();

PrintOutcome PaintPdfFile(const QString& path, const QPageLayout& layout, int dpi,
                          const QString& title, const PagePainter& paint);

// Prints on the printer the print dialog set up, on the full page. Printing into a PDF
// file is PaintPdfFile with the dialog's paper, orientation and resolution.
PrintOutcome PaintOnPrinter(QPrinter& printer, const PagePainter& paint);

} // namespace print
