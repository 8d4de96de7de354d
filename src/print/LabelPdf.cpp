#include "LabelPdf.h"

namespace print {

PrintOutcome WriteLabelsPdf(const QString& path, const QString& title,
                            const std::function<void(LabelCanvas&)>& draw) {
    return PaintPdfFile(path, FullA4Page(), kLabelPdfDpi, title,
                        [&draw](QPainter& painter, const std::function<bool()>& newPage) {
                            LabelCanvas canvas(painter, newPage);
                            draw(canvas);
                            return true;
                        });
}

} // namespace print
