#pragma once
// The blue frames of a PDF page, found on the page rasterised at 254 dpi (ten pixels a
// millimetre, poppler's pdftoppm): the bounding box of every connected run of blue pixels
// wider than 5 mm, in tenths of a millimetre from the paper's corner.

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <vector>

namespace pdf {

// The frames of one page (1 = the first), top to bottom as they are found.
inline std::vector<QRect> BlueFrames(const QString& pdf, const QTemporaryDir& dir,
                                     int pageNumber = 1) {
    QProcess p;
    const QString number = QString::number(pageNumber);
    const QString prefix = dir.filePath(QStringLiteral("frames-%1").arg(pageNumber));
    p.start("pdftoppm",
            {"-r", "254", "-f", number, "-l", number, "-png", "-singlefile", pdf, prefix});
    p.waitForFinished(60000);
    QImage page(prefix + ".png");
    std::vector<QRect> frames;
    if (page.isNull()) return frames;
    auto blue = [&](int x, int y) {
        const QColor c = page.pixelColor(x, y);
        return c.blue() > 150 && c.red() < c.blue() - 40;
    };
    QImage seen(page.size(), QImage::Format_Mono);
    seen.fill(0);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            if (!blue(x, y) || seen.pixelIndex(x, y)) continue;
            // Flood the frame's outline.
            QRect box(x, y, 1, 1);
            std::vector<QPoint> stack{{x, y}};
            seen.setPixel(x, y, 1);
            while (!stack.empty()) {
                const QPoint q = stack.back();
                stack.pop_back();
                box |= QRect(q, QSize(1, 1));
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QPoint n(q.x() + dx, q.y() + dy);
                        if (!page.rect().contains(n) || seen.pixelIndex(n) || !blue(n.x(), n.y()))
                            continue;
                        seen.setPixel(n, 1);
                        stack.push_back(n);
                    }
            }
            if (box.width() > 50) frames.push_back(box);
        }
    return frames;
}

} // namespace pdf
