#include "PrintTarget.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace print {

QString PrintOutcome::Message() const {
    if (file.isEmpty()) return reason;
    return QStringLiteral("%1 cannot be written: %2").arg(file, reason);
}

QPageLayout FullA4Page() {
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

PrintOutcome PaintPdfFile(const QString& path, const QPageLayout& layout, int dpi,
                          const QString& title, const PagePainter& paint) {
    PrintOutcome outcome;
    outcome.file = path;
    OutputFile file(path);
    if (!file.Open()) {
        outcome.failure = file.Failure();
        outcome.reason = file.ErrorString();
        return outcome;
    }
    bool drawn = false;
    {
        QPdfWriter writer(file.Device());
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("NorvaSet"));
        writer.setResolution(dpi);
        QPageLayout fullPage = layout;
        fullPage.setMode(QPageLayout::FullPageMode);
        writer.setPageLayout(fullPage);
        QPainter painter;
        if (painter.begin(&writer)) {
            drawn = paint(painter, [&writer] { return writer.newPage(); });
            drawn = painter.end() && drawn;
        }
    }
    if (!drawn) {
        file.Discard();
        outcome.failure = OutputFailure::System;
        outcome.reason = QStringLiteral("the pages could not be drawn");
        return outcome;
    }
    if (!file.Commit()) {
        outcome.failure = file.Failure();
        outcome.reason = file.ErrorString();
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

PrintOutcome PaintOnPrinter(QPrinter& printer, const PagePainter& paint) {
    const QString target = printer.outputFileName();
    if (printer.outputFormat() == QPrinter::PdfFormat && !target.isEmpty()) {
        const QString title = printer.docName();
        return PaintPdfFile(target, printer.pageLayout(), printer.resolution(), title, paint);
    }
    PrintOutcome outcome;
    // The printer's own origin is the corner of its printable area, a few millimetres in
    // from the paper's: the labels would miss pre-cut stock by that much.
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        outcome.reason = QStringLiteral("the printer refused the job");
        return outcome;
    }
    const bool drawn = paint(painter, [&printer] { return printer.newPage(); });
    const bool ended = painter.end();
    outcome.ok = drawn && ended && printer.printerState() != QPrinter::Error;
    if (!outcome.ok) outcome.reason = QStringLiteral("the printer refused the job");
    return outcome;
}

} // namespace print
