#include "LabelCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace print {

namespace {
QFont LabelFont(int pointSize) {
    QFont font;
    font.setBold(true);
    font.setPointSize(pointSize);
    return font;
}
} // namespace

LabelCanvas::LabelCanvas(QPainter& painter, std::function<bool()> newPage)
    : painter_(painter), geometry_(*painter.device()), newPage_(std::move(newPage)) {
    painter_.setBackgroundMode(Qt::TransparentMode);
    painter_.setBrush(Qt::NoBrush);
}

int LabelCanvas::PageHeight() const {
    return painter_.device()->height();
}

bool LabelCanvas::NewPage() {
    if (newPage_) return newPage_();
    if (auto* paged = dynamic_cast<QPagedPaintDevice*>(painter_.device())) return paged->newPage();
    return false;
}

void LabelCanvas::Frame(int left, int top, int right, int bottom) {
    painter_.setPen(QPen(QColor(Qt::blue), 1));
    painter_.setBrush(Qt::NoBrush);
    // A one-pixel outline of a w x h rectangle covers w + 1 pixels: the lines lie on the
    // edge positions themselves.
    painter_.drawRect(QRect(left, top, right - left, bottom - top));
}

QSize LabelCanvas::Measure(const QString& text, int pointSize) const {
    if (text.isEmpty()) return QSize(0, 0);
    const QFontMetrics metrics(LabelFont(pointSize), painter_.device());
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

void LabelCanvas::Text(int x, int y, const QString& text, int pointSize) {
    if (text.isEmpty()) return;
    const QFont font = LabelFont(pointSize);
    painter_.setFont(font);
    painter_.setPen(QColor(Qt::black));
    const QFontMetrics metrics(font, painter_.device());
    painter_.drawText(QPoint(x, y + metrics.ascent()), text);
}

void LabelCanvas::Picture(const QRect& target, const QImage& image) {
    painter_.drawImage(target, image);
}

} // namespace print
