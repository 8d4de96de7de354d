#pragma once
// What the label sheets draw with: a painter on any paint device (printer, PDF, a test's
// recorder). Lengths are given in millimetres and become whole device pixels, truncated,
// with P from the device's horizontal resolution for both axes. Text is black bold in the
// default typeface; frames are one blue pixel wide.

#include "PageGeometry.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;

namespace print {

class LabelCanvas {
public:
    // newPage starts the next sheet; by default the painter's device is asked when it is a
    // paged device (printer, PDF).
    explicit LabelCanvas(QPainter& painter, std::function<bool()> newPage = {});

    const PageGeometry& Geometry() const { return geometry_; }
    int Px(double mm) const { return geometry_.Px(mm); }
    // The printable page height in device pixels.
    int PageHeight() const;
    bool NewPage();

    // One-pixel blue frame whose edges are the given pixel positions.
    void Frame(int left, int top, int right, int bottom);
    // Width and height of a text at a point size; an empty text measures 0 x 0.
    QSize Measure(const QString& text, int pointSize) const;
    // Draws a text whose top-left corner is at x, y.
    void Text(int x, int y, const QString& text, int pointSize);
    void Picture(const QRect& target, const QImage& image);

private:
    QPainter& painter_;
    PageGeometry geometry_;
    std::function<bool()> newPage_;
};

// Point sizes never go below this while fitting, so a text that cannot fit still ends.
inline constexpr int kSmallestPointSize = 1;

} // namespace print
