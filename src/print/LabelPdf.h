#pragma once
// A label sheet as an A4 PDF file, written whole or not at all: the pages go to a file
// beside the target that replaces it only when the document is complete.

#include "LabelCanvas.h"

#include <QString>
#include <functional>

namespace print {

inline constexpr int kLabelPdfDpi = 1200;

// draw paints the sheets; returns false (with error) when the file cannot be written.
bool WriteLabelsPdf(const QString& path, const QString& title,
                    const std::function<void(LabelCanvas&)>& draw, QString* error);

} // namespace print
