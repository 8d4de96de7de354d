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
#include <vector>

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
    // The text cut at its end with an ellipsis so that it is at most width pixels wide.
    QString Elided(const QString& text, int pointSize, int width) const;

    struct FittedLine {
        QString text; // whole, or cut with an ellipsis
        int pointSize = 0;
        QSize size; // 0 x 0 for an empty line
    };
    // Fits the lines of one label. Every line starts at startSize and shrinks one point at
    // a time until it is at most width pixels wide; then, while their heights add up to
    // more than totalHeight (0: no limit), all lines shrink together. No line goes below
    // kSmallestPointSize: one that is still too wide there is cut with an ellipsis.
    std::vector<FittedLine> FitLines(const std::vector<QString>& lines, int startSize, int width,
                                     int totalHeight) const;

private:
    QPainter& painter_;
    PageGeometry geometry_;
    std::function<bool()> newPage_;
};

// Label texts never shrink below this size while fitting: smaller would not be read on
// the door phone. A text that does not fit at this size is cut with an ellipsis.
inline constexpr int kSmallestPointSize = 5;

} // namespace print
