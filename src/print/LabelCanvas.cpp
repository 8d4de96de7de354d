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

QString LabelCanvas::Elided(const QString& text, int pointSize, int width) const {
    const QFontMetrics metrics(LabelFont(pointSize), painter_.device());
    return metrics.elidedText(text, Qt::ElideRight, width);
}

std::vector<LabelCanvas::FittedLine> LabelCanvas::FitLines(const std::vector<QString>& lines,
                                                           int startSize, int width,
                                                           int totalHeight) const {
    std::vector<FittedLine> fitted(lines.size());
    for (std::size_t n = 0; n < lines.size(); ++n) {
        FittedLine& f = fitted[n];
        f.text = lines[n];
        f.pointSize = startSize;
        f.size = Measure(f.text, f.pointSize);
        while (f.size.width() > width && f.pointSize > kSmallestPointSize)
            f.size = Measure(f.text, --f.pointSize);
    }
    auto total = [&fitted] {
        int sum = 0;
        for (const FittedLine& f : fitted) sum += f.size.height();
        return sum;
    };
    while (totalHeight > 0 && total() > totalHeight) {
        bool shrunk = false;
        for (FittedLine& f : fitted) {
            if (f.text.isEmpty() || f.pointSize <= kSmallestPointSize) continue;
            f.size = Measure(f.text, --f.pointSize);
            shrunk = true;
        }
        if (!shrunk) break;
    }
    for (FittedLine& f : fitted) {
        if (f.size.width() <= width) continue;
        f.text = Elided(f.text, f.pointSize, width);
        f.size = Measure(f.text, f.pointSize);
    }
    return fitted;
}

} // namespace print
