#include "LabelPdf.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace print {

bool WriteLabelsPdf(const QString& path, const QString& title,
                    const std::function<void(LabelCanvas&)>& draw, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setResolution(kLabelPdfDpi);
        // The sheet's positions count from the paper's corner.
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            *error = QStringLiteral("cannot start the PDF document");
            return false;
        }
        LabelCanvas canvas(painter);
        draw(canvas);
        painter.end();
    }
    if (!file.flush()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace print
