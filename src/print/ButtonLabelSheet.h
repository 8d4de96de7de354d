#pragma once
// The button label sheet: one label per non-empty text, two columns, rows down the page,
// at the size the model's label kind gives. Kind "1" with one button on the front panel
// prints one big label of four rows instead.

#include "LabelCanvas.h"
#include "LabelFiles.h"

#include <QString>

namespace print {

enum class ButtonLabelLayout { BigLabel, TwoButtons, Kind2, Kind3, Other };

// The layout for a model's label kind ("1", "2", "3", anything else; "0" and "4" never
// print button labels).
ButtonLabelLayout ButtonLayoutFor(const QString& labelKind, bool singleButtonPanel);

struct ButtonLabelBox {
    double width = 0, height = 0;       // mm
    double left = 10, columnPitch = 70; // left edge 10 + pitch x column
    double top = 10, rowPitch = 20;     // top edge 10 + pitch x row
};
ButtonLabelBox ButtonLabelBoxFor(ButtonLabelLayout layout);

// The window's fields in print order: Edit1, Edit13, Edit2, Edit14, ... Edit12, Edit24
// (0-based indexes into LabelTexts).
std::array<int, kLabelTextCount> ButtonPrintOrder();

class ButtonLabelSheet {
public:
    ButtonLabelSheet(LabelCanvas& canvas, ButtonLabelLayout layout);

    // One label of the kind's size at the current sheet position; an empty text takes no
    // place.
    void PrintLabel(const QString& text);
    // The big label of kind "1" from four rows.
    void PrintBigLabel(const std::array<QString, 4>& rows);
    // Every label of the window's fields in print order (or the big label from the first four).
    void PrintAll(const LabelTexts& texts);

    int Row() const { return row_; }
    int Column() const { return column_; }

private:
    void Advance();

    LabelCanvas& canvas_;
    ButtonLabelLayout layout_;
    int row_ = 0;
    int column_ = 0;
};

} // namespace print
