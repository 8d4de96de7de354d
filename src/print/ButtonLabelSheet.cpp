#include "ButtonLabelSheet.h"

#include <algorithm>

namespace print {

namespace {
constexpr int kStartPointSize = 16;
constexpr int kBigStartPointSize = 20;
constexpr double kPageBottomAllowance = 15; // mm kept free below a label
constexpr double kBigPageBottomAllowance = 50;
constexpr double kBigRowWidth = 45;   // mm a row of the big label may take
constexpr double kBigRowsHeight = 29; // mm the four rows may take together
constexpr double kBigBand = 30;       // mm the rows are spread over
constexpr double kBigCentreWidth = 52;
} // namespace

ButtonLabelLayout ButtonLayoutFor(const QString& labelKind, bool singleButtonPanel) {
    if (labelKind == QLatin1String("1"))
        return singleButtonPanel ? ButtonLabelLayout::BigLabel : ButtonLabelLayout::TwoButtons;
    if (labelKind == QLatin1String("2")) return ButtonLabelLayout::Kind2;
    if (labelKind == QLatin1String("3")) return ButtonLabelLayout::Kind3;
    return ButtonLabelLayout::Other;
}

ButtonLabelBox ButtonLabelBoxFor(ButtonLabelLayout layout) {
    switch (layout) {
    case ButtonLabelLayout::BigLabel: return {55, 35, 10, 70, 10, 50};
    case ButtonLabelLayout::TwoButtons: return {55, 15, 10, 70, 10, 20};
    case ButtonLabelLayout::Kind2: return {52, 14, 10, 70, 10, 20};
    // Rows 15 mm apart with 16 mm labels: consecutive frames overlap by 1 mm, so one cut
    // separates two labels.
    case ButtonLabelLayout::Kind3: return {45, 16, 10, 69, 10, 15};
    case ButtonLabelLayout::Other: break;
    }
    return {56, 12.5, 10, 69, 10, 15};
}

std::array<int, kLabelTextCount> ButtonPrintOrder() {
    std::array<int, kLabelTextCount> order{};
    for (int row = 0; row < kLabelTextCount / 2; ++row) {
        order[2 * row] = row;
        order[2 * row + 1] = row + kLabelTextCount / 2;
    }
    return order;
}

ButtonLabelSheet::ButtonLabelSheet(LabelCanvas& canvas, ButtonLabelLayout layout)
    : canvas_(canvas), layout_(layout) {}

void ButtonLabelSheet::Advance() {
    if (column_ == 0) {
        column_ = 1;
    } else {
        column_ = 0;
        ++row_;
    }
}

void ButtonLabelSheet::PrintLabel(const QString& text) {
    const ButtonLabelBox box = ButtonLabelBoxFor(layout_);
    auto topMm = [&] { return box.top + box.rowPitch * row_; };
    // An empty text takes no place; it never starts a page either, so no blank sheet
    // comes out after the last label.
    if (text.isEmpty()) return;
    if (canvas_.Px(topMm() + box.height) >
        canvas_.PageHeight() - canvas_.Px(kPageBottomAllowance)) {
        canvas_.NewPage();
        row_ = column_ = 0;
    }
    const double leftMm = box.left + box.columnPitch * column_;
    const int left = canvas_.Px(leftMm), top = canvas_.Px(topMm());
    canvas_.Frame(left, top, canvas_.Px(leftMm + box.width), canvas_.Px(topMm() + box.height));

    const int areaWidth = canvas_.Px(box.width), areaHeight = canvas_.Px(box.height);
    const LabelCanvas::FittedLine fitted =
        canvas_.FitLines({text}, kStartPointSize, areaWidth, areaHeight).front();
    canvas_.Text(left + (areaWidth - fitted.size.width()) / 2,
                 top + (areaHeight - fitted.size.height()) / 2, fitted.text, fitted.pointSize);
    Advance();
}

void ButtonLabelSheet::PrintBigLabel(const std::array<QString, 4>& rows) {
    const ButtonLabelBox box = ButtonLabelBoxFor(ButtonLabelLayout::BigLabel);
    auto leftMm = [&] { return box.left + box.columnPitch * column_; };
    auto topMm = [&] { return box.top + box.rowPitch * row_; };
    if (std::all_of(rows.begin(), rows.end(), [](const QString& r) { return r.isEmpty(); })) return;
    if (canvas_.Px(topMm() + box.height) >
        canvas_.PageHeight() - canvas_.Px(kBigPageBottomAllowance)) {
        canvas_.NewPage();
        row_ = column_ = 0;
    }
    const int left = canvas_.Px(leftMm()), top = canvas_.Px(topMm());
    canvas_.Frame(left, top, canvas_.Px(leftMm() + box.width), canvas_.Px(topMm() + box.height));

    // A row that is too wide shrinks on its own; only when every row fits does the whole
    // block shrink to fit the height.
    const std::vector<LabelCanvas::FittedLine> fitted =
        canvas_.FitLines({rows.begin(), rows.end()}, kBigStartPointSize, canvas_.Px(kBigRowWidth),
                         canvas_.Px(kBigRowsHeight));
    int heights = 0;
    for (const LabelCanvas::FittedLine& f : fitted) heights += f.size.height();
    const int gap = (canvas_.Px(kBigBand) - heights) / 4;
    int above = 0;
    for (int k = 0; k < 4; ++k) {
        const LabelCanvas::FittedLine& f = fitted[k];
        const int y = top + canvas_.Px(3) + (k + 1) * gap + above;
        canvas_.Text(left + (canvas_.Px(kBigCentreWidth) - f.size.width()) / 2, y, f.text,
                     f.pointSize);
        above += f.size.height();
    }
    Advance();
}

void ButtonLabelSheet::PrintAll(const LabelTexts& texts) {
    if (layout_ == ButtonLabelLayout::BigLabel) {
        PrintBigLabel({texts[0], texts[1], texts[2], texts[3]});
        return;
    }
    for (int index : ButtonPrintOrder()) PrintLabel(texts[index]);
}

} // namespace print
