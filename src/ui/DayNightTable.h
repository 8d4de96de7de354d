#pragma once
// Editing of the weekly day/night table on the "Automatic Day-Night" page: the pop-up
// menu of the weekday labels and the 28 time fields copies one weekday's four times,
// pastes them into one weekday or into all, and clears one weekday or the whole table.
//
// A one-row command acts on the weekday whose label was right-clicked last
// (SelectedWeekday), or, when the mouse has crossed the bare group box since, on the row
// of the time field that has the keyboard focus.

#include <QHash>
#include <QObject>
#include <QStringList>
#include <functional>

#include "Ports.h"
#include "TextKeys.h"

class QAction;
class QMenu;
class QWidget;
class LanguageTexts;
class SettingsModel;

class DayNightTable : public QObject {
    Q_OBJECT
public:
    struct Host {
        std::function<bool(const QString& text, const QString& caption, MsgIcon icon)> ask;
        std::function<void()> showHelp;
        const LanguageTexts* texts = nullptr;
    };

    // group: GroupBox28; widgets by name: the weekday labels and the time fields.
    DayNightTable(SettingsModel& model, QWidget* group, const QHash<QString, QWidget*>& widgets,
                  Host host, QObject* parent = nullptr);

    QMenu* Menu() const { return menu_; } // PopupMenu2
    QAction* Action(const QString& name) const;

    int SelectedWeekday() const { return selectedWeekday_; }
    // Four two-digit texts, empty until the first copy.
    const QStringList& TimeClipboard() const { return clipboard_; }
    // The row a one-row command acts on now: 1 (Sunday) .. 7 (Saturday), 0 none.
    int TargetRow() const;

    void Copy1Click();
    void Paste1Click();
    void Pasteall1Click();
    void Delete1Click();
    void Deleteall1Click();
    // Every field "00", without asking (also part of the built-in defaults).
    void ClearTable();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString ReplaceQuestion() const;
    void SetRow(int row, const QStringList& values);
    QString Text(TextKey key) const;

    SettingsModel& model_;
    QWidget* group_;
    Host host_;
    QMenu* menu_;
    QHash<QString, QAction*> actions_;
    QList<QWidget*> weekdayLabels_; // Sunday first
    int selectedWeekday_ = 0;
    QStringList clipboard_;
};
