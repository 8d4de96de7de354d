#include "PrintoutLayout.h"

namespace print {

PrintoutLayout PrintoutLayout::For(int dpiX, int width, int height) {
    const PageGeometry g(dpiX);
    PrintoutLayout l;
    l.p = g.P();
    l.width = width;
    l.height = height;
    l.widthMm = g.Mm(width);

    l.headingX = g.Px(14);
    l.captionX = g.Px(20);
    // The value column sits in the middle of the space right of the captions.
    l.valueX = g.Px((l.widthMm - 20) / 2 + 18);
    l.nightTimeX = l.valueX + g.Px(26);
    l.third = g.Px((l.widthMm - 20) / 3 + 10);
    l.dayX = l.third + g.Px(5);
    l.nightX = 2 * l.third;

    l.start = g.Px(10);
    l.lineHeight = g.Px(5);
    l.gap = g.Px(3);
    l.lastLine = static_cast<int>(height - 15 * l.p - 5 * l.p);
    l.firstLine = g.Px(15);
    l.headerAdvance = g.Px(3) + g.Px(5);
    l.pageNumberRight = width - g.Px(15);
    const int inset = g.Px(10);
    l.frame = QRect(QPoint(inset, inset), QPoint(width - inset, height - inset));

    // 46 characters of the printer's 9-point face fill 75 mm: half of what is right of
    // the captions.
    const double limit = (l.widthMm - 30) / 2 / 75 * 46;
    l.captionLimit = limit > 0 ? static_cast<int>(limit) : 0;
    return l;
}

} // namespace print
