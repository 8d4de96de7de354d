#pragma once
// A label sheet as an A4 PDF file on the full page, written whole or not at all.

#include "LabelCanvas.h"
#include "PrintTarget.h"

#include <QString>
#include <functional>

namespace print {

inline constexpr int kLabelPdfDpi = 1200;

// draw paints the sheets.
PrintOutcome WriteLabelsPdf(const QString& path, const QString& title,
                            const std::function<void(LabelCanvas&)>& draw);

} // namespace print
