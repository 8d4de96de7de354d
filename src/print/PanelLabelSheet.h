#pragma once
// The panel label sheet of the Vant line: up to four labels 62 mm wide in one of four
// heights, six lines each, the two larger sizes optionally with a bitmap picture above
// the last line(s). Font sizes and line positions are worked out per label at print time.

#include "LabelCanvas.h"
#include "LabelFiles.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>

namespace print {

struct PanelSizeRow {
    int linesPrinted = 2;
    double height = 22;           // mm
    double rowPitch = 30;         // mm
    double newPageAllowance = 30; // mm below the box bottom kept free
    int startPointSize = 20;
    double totalHeightLimit = 0; // mm the lines may take together; 0: no limit
    double band = 19;            // mm text band from box top + 3 mm
};
PanelSizeRow PanelSizeRowFor(PanelSize size);

// The largest picture a label takes, in bitmap pixels.
inline constexpr int kPictureMaxWidth = 220;
inline constexpr int kPictureMaxHeight = 80;

struct LabelPicture {
    QImage image;          // null when the picture cannot be used
    QSize size;            // its size in pixels, when the file told it
    bool tooLarge = false; // over 220 x 80 pixels
    QString reason;        // why it cannot be used
};

// Reads a picture file as a BMP bitmap, whole: a missing file or one that is not a
// regular file, a file that is not a bitmap, a bitmap cut short or damaged, or a picture
// over 220 x 80 pixels gives a null image and the reason.
LabelPicture LoadLabelPicture(const QString& path);

// The printed size of a picture in millimetres on a device of p pixels a millimetre: five
// device dots a picture pixel on the sheet's first row (row 0), six dots and a millimetre
// more on the rows below.
QSize PicturePrintedSizeMm(const QSize& pixels, double p, int row);

struct PanelLabel {
    std::array<QString, kPanelLinesPerLabel> lines; // lines beyond the size's count are ignored
    bool pictureMark = false;                       // the label is meant to carry a picture
    QImage picture;                                 // null: no picture is drawn
};

class PanelLabelSheet {
public:
    PanelLabelSheet(LabelCanvas& canvas, PanelSize size);

    // One label at the current sheet position; a label without text and without a picture
    // mark takes no place.
    void PrintLabel(const PanelLabel& label);

    int Row() const { return row_; }
    int Column() const { return column_; }

private:
    LabelCanvas& canvas_;
    PanelSize size_;
    PanelSizeRow row_def_;
    int row_ = 0;
    int column_ = 0;
};

// The labels of a panel label file as the window or a script prints them: the lines of
// each label for the size, and its picture when the size takes pictures, the label has a
// picture file and that file can be used. Files that cannot be used are listed in
// unusable (with the reason), and those labels print without their picture.
struct PanelJob {
    LabelTexts texts;
    PanelSize size = PanelSize::S22x62;
    std::array<QString, kPanelLabelCount> pictures;
    std::array<bool, kPanelLabelCount> pictureMarks{}; // also mark a label (window choice)
};
QStringList PrintPanelLabels(LabelCanvas& canvas, const PanelJob& job);

} // namespace print
