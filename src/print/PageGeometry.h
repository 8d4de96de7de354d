#pragma once

// Printer geometry shared by the settings printout and the label sheets: every position is
// given in millimetres and becomes whole device pixels, so a label cut from the sheet has
// its true size on any printer.

#include <QPaintDevice>

namespace print {

class PageGeometry {
public:
    // P: device pixels per millimetre from the horizontal resolution (dpi x 10 / 254), used
    // for both axes.
    explicit PageGeometry(int horizontalDpi) : p_(horizontalDpi * 10.0 / 254.0) {}
    explicit PageGeometry(const QPaintDevice& device) : PageGeometry(device.logicalDpiX()) {}

    double P() const { return p_; }
    // A length in millimetres as whole pixels, truncated toward zero.
    int Px(double mm) const { return static_cast<int>(mm * p_); }
    // A pixel length back in millimetres (for Wmm = W / P).
    double Mm(int pixels) const { return pixels / p_; }

private:
    double p_;
};

} // namespace print
