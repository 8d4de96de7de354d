#pragma once
// The 26 setting pages of the main window. They are built from the field catalogue (which
// control each field needs, its items, its length) and the layout table in Pages.cpp
// (where each control sits). Every control carries its own name as object name
// ("GroupBox11", "RadioButton30", "Edit7", "Label6"), so that the language texts, the
// printout and the model templates find it by name.

#include <QHash>
#include <QString>

class QStackedWidget;
class QWidget;

inline constexpr int kPageCount = 26;

struct PageSet {
    QStackedWidget* area = nullptr;   // "PageControl1"; page n is "TabSheet<n+1>"
    QHash<QString, QWidget*> widgets; // every named control of the pages, pages included
};

// Builds the page area with all pages as a child of parent. Tab goes from tabBefore (the
// tree) through every page as it reads, top to bottom and left to right along a row, the
// pages one after the other (only the page shown takes the focus).
PageSet BuildPages(QWidget* parent, QWidget* tabBefore = nullptr);

// Object name of the unit label beside a field ("sec", "ms" ...), "" when it has none.
QString UnitLabelName(const QString& field);
// Object name of the ":" between the hour and the minute field of the day/night table,
// for the hour field ("Edit63" ...).
QString TimeSeparatorName(const QString& hourField);
// Object name of the caption ("1" .. "5", "*") beside an external code field.
QString CodeCaptionName(const QString& codeField);

// The weekly day/night table: weekday row 1 (Sunday) .. 7 (Saturday), column 0 .. 3
// (day hour, day minute, night hour, night minute).
QString TimeFieldName(int row, int column);
QString WeekdayLabelName(int row); // "Label99" .. "Label105"
