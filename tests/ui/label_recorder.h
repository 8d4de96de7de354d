#pragma once
// A paint device that records what the label sheets draw, in device pixels: frames, texts
// (top-left corner, size and point size) and pictures, each with its page number. Its
// resolution and page height are chosen by the test, so a millimetre is a known number
// of pixels.

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QTextItem>
#include <memory>
#include <vector>

struct RecordedFrame {
    int page;
    QRect rect; // left, top and the edge positions right = left + width, bottom = top + height
    QColor color;
    int Right() const { return rect.x() + rect.width(); }
    int Bottom() const { return rect.y() + rect.height(); }
};
struct RecordedText {
    int page;
    QString text;
    QPoint topLeft;
    QSize size; // advance width and line height
    int pointSize;
};
struct RecordedPicture {
    int page;
    QRect target;
};

class LabelRecorder : public QPaintDevice {
public:
    LabelRecorder(int dpi, int widthPx, int heightPx)
        : dpi_(dpi), width_(widthPx), height_(heightPx), engine_(new Engine(this)) {}
    ~LabelRecorder() override = default;

    QPaintEngine* paintEngine() const override { return engine_.get(); }
    bool NewPage() {
        ++page;
        return true;
    }

    int page = 1;
    std::vector<RecordedFrame> frames;
    std::vector<RecordedText> texts;
    std::vector<RecordedPicture> pictures;

    const RecordedText* Text(const QString& text) const {
        for (const RecordedText& t : texts)
            if (t.text == text) return &t;
        return nullptr;
    }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return width_;
        case PdmHeight: return height_;
        case PdmWidthMM: return int(width_ * 25.4 / dpi_);
        case PdmHeightMM: return int(height_ * 25.4 / dpi_);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return dpi_;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(LabelRecorder* device) : QPaintEngine(AllFeatures), d_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override {
            if (state.state() & DirtyPen) pen_ = state.pen();
        }
        Type type() const override { return User; }
        void drawRects(const QRect* rects, int count) override {
            for (int i = 0; i < count; ++i)
                d_->frames.push_back({d_->page, rects[i], pen_.color()});
        }
        void drawRects(const QRectF* rects, int count) override {
            for (int i = 0; i < count; ++i)
                d_->frames.push_back({d_->page, rects[i].toRect(), pen_.color()});
        }
        void drawTextItem(const QPointF& baseline, const QTextItem& item) override {
            const QFontMetrics m(item.font(), d_);
            const QPoint at(int(baseline.x()), int(baseline.y()) - m.ascent());
            d_->texts.push_back({d_->page, item.text(), at,
                                 QSize(m.horizontalAdvance(item.text()), m.height()),
                                 item.font().pointSize()});
        }
        void drawPixmap(const QRectF& r, const QPixmap&, const QRectF&) override {
            d_->pictures.push_back({d_->page, r.toRect()});
        }
        void drawImage(const QRectF& r, const QImage&, const QRectF&,
                       Qt::ImageConversionFlags) override {
            d_->pictures.push_back({d_->page, r.toRect()});
        }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}

    private:
        LabelRecorder* d_;
        QPen pen_;
    };

    int dpi_, width_, height_;
    std::unique_ptr<Engine> engine_;
};
