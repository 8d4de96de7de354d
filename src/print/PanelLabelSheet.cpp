#include "PanelLabelSheet.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

namespace print {

namespace {
constexpr double kBoxWidth = 62;
constexpr double kLineWidth = 56; // mm a line may take
constexpr double kColumnPitch = 75;
// The picture scale: five dots per pixel at 600 dpi.
constexpr double kPictureDotsPerPixel = 5;
constexpr double kPictureReferenceP = 600 * 10.0 / 254.0;
} // namespace

PanelSizeRow PanelSizeRowFor(PanelSize size) {
    switch (size) {
    case PanelSize::S22x62: return {2, 22, 30, 30, 20, 0, 19};
    case PanelSize::S28x62: return {3, 28, 35, 35, 20, 0, 25};
    case PanelSize::S41x62: return {5, 41, 50, 50, 25, 37, 38};
    case PanelSize::S56x62: break;
    }
    return {6, 56, 70, 50, 30, 52, 52};
}

bool LoadLabelPicture(const QString& path, QImage* image, QString* reason) {
    *image = QImage();
    if (!QFileInfo::exists(path)) {
        *reason = QStringLiteral("file not found");
        return false;
    }
    QImageReader reader(path, "bmp");
    QImage read;
    if (!reader.read(&read)) {
        *reason = QStringLiteral("not a bitmap (%1)").arg(reader.errorString());
        return false;
    }
    if (read.width() > kPictureMaxWidth || read.height() > kPictureMaxHeight) {
        *reason = QStringLiteral("%1 x %2 pixels, at most %3 x %4")
                      .arg(read.width())
                      .arg(read.height())
                      .arg(kPictureMaxWidth)
                      .arg(kPictureMaxHeight);
        return false;
    }
    *image = read;
    return true;
}

QSize PicturePrintedSizeMm(const QSize& pixels) {
    return QSize(static_cast<int>(kPictureDotsPerPixel * pixels.width() / kPictureReferenceP),
                 static_cast<int>(kPictureDotsPerPixel * pixels.height() / kPictureReferenceP));
}

PanelLabelSheet::PanelLabelSheet(LabelCanvas& canvas, PanelSize size)
    : canvas_(canvas), size_(size), row_def_(PanelSizeRowFor(size)) {}

void PanelLabelSheet::PrintLabel(const PanelLabel& label) {
    const PanelSizeRow& def = row_def_;
    const bool takesPictures = size_ == PanelSize::S41x62 || size_ == PanelSize::S56x62;
    auto topMm = [&] { return 10 + def.rowPitch * row_; };
    std::array<QString, kPanelLinesPerLabel> lines;
    for (int n = 0; n < def.linesPrinted; ++n) lines[n] = label.lines[n];
    const bool mark = takesPictures && label.pictureMark;
    // An empty label takes no place and never starts a page.
    if (!mark &&
        std::all_of(lines.begin(), lines.end(), [](const QString& l) { return l.isEmpty(); }))
        return;
    if (canvas_.Px(topMm() + def.height) >
        canvas_.PageHeight() - canvas_.Px(def.newPageAllowance)) {
        canvas_.NewPage();
        row_ = column_ = 0;
    }

    const double leftMm = 10 + kColumnPitch * column_;
    const int left = canvas_.Px(leftMm), top = canvas_.Px(topMm());
    canvas_.Frame(left, top, canvas_.Px(leftMm + kBoxWidth), canvas_.Px(topMm() + def.height));

    // Fit: the first line that is too wide shrinks by a point; when all fit and the size
    // limits the total height, every line shrinks together.
    std::array<int, kPanelLinesPerLabel> sizes;
    sizes.fill(def.startPointSize);
    std::array<QSize, kPanelLinesPerLabel> measured;
    const int lineWidth = canvas_.Px(kLineWidth);
    const int totalLimit = canvas_.Px(def.totalHeightLimit);
    for (;;) {
        int total = 0;
        for (int n = 0; n < kPanelLinesPerLabel; ++n) {
            measured[n] = canvas_.Measure(lines[n], sizes[n]);
            total += measured[n].height();
        }
        auto tooWide = std::find_if(measured.begin(), measured.end(),
                                    [&](const QSize& m) { return m.width() > lineWidth; });
        const int wide = int(tooWide - measured.begin());
        if (tooWide != measured.end() && sizes[wide] > kSmallestPointSize) {
            --sizes[wide];
            continue;
        }
        const bool canShrink =
            std::all_of(sizes.begin(), sizes.end(), [](int s) { return s > kSmallestPointSize; });
        if (def.totalHeightLimit > 0 && total > totalLimit && canShrink) {
            for (int& s : sizes) --s;
            continue;
        }
        break;
    }
    const int boxWidth = canvas_.Px(kBoxWidth);
    auto drawLine = [&](int n, int y) {
        canvas_.Text(left + (boxWidth - measured[n].width()) / 2, y, lines[n], sizes[n]);
    };

    if (mark && !label.picture.isNull()) {
        const QSize mm = PicturePrintedSizeMm(label.picture.size());
        const int hp = canvas_.Px(mm.height()), wp = canvas_.Px(mm.width());
        const int pictureTop = top + canvas_.Px(4);
        canvas_.Picture(QRect(left + (boxWidth - wp) / 2, pictureTop, wp, hp), label.picture);
        const int h5 = measured[4].height();
        if (size_ == PanelSize::S41x62) {
            drawLine(4, pictureTop + (canvas_.Px(38) - hp - h5) / 3 * 2 + hp);
        } else {
            const int h6 = measured[5].height();
            const int step = (canvas_.Px(52) - hp - h5 - h6) / 4;
            drawLine(4, pictureTop + step * 2 + hp);
            drawLine(5, pictureTop + step * 3 + hp + h5);
        }
    } else {
        // Small sizes place only their non-empty lines; the large sizes keep a place for
        // every line, empty ones with no height.
        const bool onlyFilled = !takesPictures;
        std::array<int, kPanelLinesPerLabel> placed{};
        int count = 0, heights = 0;
        for (int n = 0; n < def.linesPrinted; ++n) {
            if (onlyFilled && lines[n].isEmpty()) continue;
            placed[count++] = n;
            heights += measured[n].height();
        }
        const int gap = (canvas_.Px(def.band) - heights) / (count + 1);
        int above = 0;
        for (int k = 0; k < count; ++k) {
            const int n = placed[k];
            drawLine(n, top + canvas_.Px(3) + (k + 1) * gap + above);
            above += measured[n].height();
        }
    }
    if (column_ == 0) {
        column_ = 1;
    } else {
        column_ = 0;
        ++row_;
    }
}

QStringList PrintPanelLabels(LabelCanvas& canvas, const PanelJob& job) {
    QStringList unusable;
    const bool takesPictures = job.size == PanelSize::S41x62 || job.size == PanelSize::S56x62;
    PanelLabelSheet sheet(canvas, job.size);
    for (int k = 0; k < kPanelLabelCount; ++k) {
        PanelLabel label;
        for (int n = 0; n < kPanelLinesPerLabel; ++n)
            label.lines[n] = job.texts[k * kPanelLinesPerLabel + n];
        if (takesPictures) {
            const QString& file = job.pictures[k];
            const bool named = file.size() > 3;
            label.pictureMark = job.pictureMarks[k] || named;
            QString reason;
            if (named && !LoadLabelPicture(file, &label.picture, &reason))
                unusable << QStringLiteral("%1: %2").arg(file, reason);
        }
        sheet.PrintLabel(label);
    }
    return unusable;
}

} // namespace print
