#include "PanelLabelSheet.h"

#include "BmpFile.h"
#include "FileAccess.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>

namespace print {

namespace {
constexpr double kBoxWidth = 62;
constexpr double kLineWidth = 56;    // mm a line may take
constexpr double kPictureTop = 4;    // mm from the box top
constexpr double kPictureMargin = 1; // mm a picture keeps from the box's sides and bottom
constexpr double kColumnPitch = 75;
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

LabelPicture LoadLabelPicture(const QString& path) {
    LabelPicture picture;
    // Read as a bounded regular file: a FIFO named as picture would block, a device never
    // end.
    const FileContents contents = ReadBoundedFile(path, kMaxPictureFileBytes);
    if (!contents.ok()) {
        picture.reason = contents.error;
        return picture;
    }
    const BmpCheck check = CheckBmp(contents.bytes);
    if (!check.ok) {
        picture.reason = check.error;
        return picture;
    }
    picture.size = QSize(check.width, check.height);
    if (check.width > kPictureMaxWidth || check.height > kPictureMaxHeight) {
        picture.tooLarge = true;
        picture.reason = QStringLiteral("%1 x %2 pixels, at most %3 x %4")
                             .arg(check.width)
                             .arg(check.height)
                             .arg(kPictureMaxWidth)
                             .arg(kPictureMaxHeight);
        return picture;
    }
    QBuffer buffer;
    buffer.setData(contents.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage read;
    if (!reader.read(&read) || read.size() != picture.size) {
        picture.reason = QStringLiteral("not a bitmap (%1)").arg(reader.errorString());
        return picture;
    }
    picture.image = read;
    return picture;
}

QSize PicturePrintedSizeMm(const QSize& pixels, double p, int row) {
    // Five printer dots a picture pixel on the first row, six and a millimetre more on the
    // second.
    if (row == 0)
        return QSize(static_cast<int>(5 * pixels.width() / p),
                     static_cast<int>(5 * pixels.height() / p));
    return QSize(static_cast<int>(6 * pixels.width() / p + 1),
                 static_cast<int>(6 * pixels.height() / p + 1));
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

    const int boxWidth = canvas_.Px(kBoxWidth);
    const int lineWidth = canvas_.Px(kLineWidth);
    auto drawLine = [&](const LabelCanvas::FittedLine& line, int y) {
        canvas_.Text(left + (boxWidth - line.size.width()) / 2, y, line.text, line.pointSize);
    };

    if (mark && !label.picture.isNull()) {
        // The picture's size follows the printer's dots and the row; one that would not
        // fit the label (a coarse printer) is scaled down into it.
        const QSize mm = PicturePrintedSizeMm(label.picture.size(), canvas_.Geometry().P(), row_);
        QSize target(canvas_.Px(mm.width()), canvas_.Px(mm.height()));
        const QSize room(canvas_.Px(kBoxWidth - 2 * kPictureMargin),
                         canvas_.Px(def.height - kPictureTop - kPictureMargin));
        if (target.width() > room.width() || target.height() > room.height())
            target = target.scaled(room, Qt::KeepAspectRatio);
        const int wp = target.width(), hp = target.height();
        const int pictureTop = top + canvas_.Px(kPictureTop);
        canvas_.Picture(QRect(left + (boxWidth - wp) / 2, pictureTop, wp, hp), label.picture);
        // Only the lines below the picture are printed: they share what it leaves of the
        // text band.
        const int band = canvas_.Px(size_ == PanelSize::S41x62 ? 38 : 52);
        std::vector<QString> below{lines[4]};
        if (size_ == PanelSize::S56x62) below.push_back(lines[5]);
        const auto fitted =
            canvas_.FitLines(below, def.startPointSize, lineWidth, std::max(1, band - hp));
        const int h5 = fitted[0].size.height();
        if (size_ == PanelSize::S41x62) {
            drawLine(fitted[0], pictureTop + (band - hp - h5) / 3 * 2 + hp);
        } else {
            const int h6 = fitted[1].size.height();
            const int step = (band - hp - h5 - h6) / 4;
            drawLine(fitted[0], pictureTop + step * 2 + hp);
            drawLine(fitted[1], pictureTop + step * 3 + hp + h5);
        }
    } else {
        // Fit: a line that is too wide shrinks on its own; when all fit, every line shrinks
        // together until they take at most the size's height (the sizes without a limit
        // of their own keep to their text band).
        const double limit = def.totalHeightLimit > 0 ? def.totalHeightLimit : def.band;
        const std::vector<QString> buffered(lines.begin(), lines.end());
        const auto fitted =
            canvas_.FitLines(buffered, def.startPointSize, lineWidth, canvas_.Px(limit));
        // Small sizes place only their non-empty lines; the large sizes keep a place for
        // every line, empty ones with no height.
        const bool onlyFilled = !takesPictures;
        std::array<int, kPanelLinesPerLabel> placed{};
        int count = 0, heights = 0;
        for (int n = 0; n < def.linesPrinted; ++n) {
            if (onlyFilled && lines[n].isEmpty()) continue;
            placed[count++] = n;
            heights += fitted[n].size.height();
        }
        const int gap = (canvas_.Px(def.band) - heights) / (count + 1);
        int above = 0;
        for (int k = 0; k < count; ++k) {
            const LabelCanvas::FittedLine& line = fitted[placed[k]];
            drawLine(line, top + canvas_.Px(3) + (k + 1) * gap + above);
            above += line.size.height();
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
            if (named) {
                // A picture that does not decode whole is left out like a missing one.
                const LabelPicture picture = LoadLabelPicture(file);
                if (picture.image.isNull())
                    unusable << QStringLiteral("%1: %2").arg(file, picture.reason);
                label.picture = picture.image;
            }
        }
        sheet.PrintLabel(label);
    }
    return unusable;
}

} // namespace print
