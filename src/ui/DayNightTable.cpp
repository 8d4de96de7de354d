#include "DayNightTable.h"

#include "LanguageTexts.h"
#include "Pages.h"
#include "Ports.h"
#include "SettingsModel.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>

DayNightTable::DayNightTable(SettingsModel& model, QWidget* group,
                             const QHash<QString, QWidget*>& widgets, Host host, QObject* parent)
    : QObject(parent), model_(model), group_(group), host_(std::move(host)) {
    menu_ = new QMenu(group);
    menu_->setObjectName(QStringLiteral("PopupMenu2"));
    const struct {
        const char* name;
        const char* caption;
        void (DayNightTable::*handler)();
    } items[] = {
        {"Copy1", "Copy time", &DayNightTable::Copy1Click},
        {"Paste1", "Paste", &DayNightTable::Paste1Click},
        {"Pasteall1", "Paste all", &DayNightTable::Pasteall1Click},
        {"Delete1", "Delete", &DayNightTable::Delete1Click},
        {"Deleteall1", "Delete all", &DayNightTable::Deleteall1Click},
    };
    for (const auto& item : items) {
        QAction* action = menu_->addAction(QLatin1String(item.caption));
        action->setObjectName(QLatin1String(item.name));
        connect(action, &QAction::triggered, this, item.handler);
        actions_.insert(action->objectName(), action);
    }
    menu_->addSeparator();
    QAction* help = menu_->addAction(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help3"));
    connect(help, &QAction::triggered, this, [this] {
        if (host_.showHelp) host_.showHelp();
    });
    actions_.insert(help->objectName(), help);
    // Nothing to paste before the first copy.
    actions_.value(QStringLiteral("Paste1"))->setEnabled(false);
    actions_.value(QStringLiteral("Pasteall1"))->setEnabled(false);

    // Right-clicking a weekday label chooses that weekday; right-clicking a time field
    // leaves the choice to the focus.
    for (int row = 1; row <= 7; ++row) {
        QWidget* label = widgets.value(WeekdayLabelName(row));
        weekdayLabels_ << label;
        if (!label) continue;
        label->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(label, &QWidget::customContextMenuRequested, this, [this, label, row](QPoint at) {
            selectedWeekday_ = row;
            menu_->popup(label->mapToGlobal(at));
        });
        for (int column = 0; column < 4; ++column) {
            QWidget* field = widgets.value(TimeFieldName(row, column));
            if (!field) continue;
            field->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(field, &QWidget::customContextMenuRequested, this,
                    [this, field](QPoint at) { menu_->popup(field->mapToGlobal(at)); });
        }
    }
    group_->setMouseTracking(true);
    group_->installEventFilter(this);
}

QAction* DayNightTable::Action(const QString& name) const {
    return actions_.value(name);
}

bool DayNightTable::eventFilter(QObject* watched, QEvent* event) {
    // The mouse on the bare group box, outside its labels and fields, forgets the weekday.
    if (watched == group_ && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!group_->childAt(move->position().toPoint())) selectedWeekday_ = 0;
    }
    return QObject::eventFilter(watched, event);
}

QString DayNightTable::Text(TextKey key) const {
    return host_.texts ? host_.texts->Text(key) : QString();
}

int DayNightTable::TargetRow() const {
    const QWidget* focus = QApplication::focusWidget();
    for (int row = 1; row <= 7; ++row) {
        if (selectedWeekday_ == row) return row;
        if (selectedWeekday_ != 0 || !focus) continue;
        for (int column = 0; column < 4; ++column)
            if (focus->objectName() == TimeFieldName(row, column)) return row;
    }
    return 0;
}

void DayNightTable::SetRow(int row, const QStringList& values) {
    SettingsModel::UpdateScope batch(model_);
    for (int column = 0; column < 4; ++column)
        model_.SetText(TimeFieldName(row, column), values.value(column));
}

void DayNightTable::Copy1Click() {
    actions_.value(QStringLiteral("Paste1"))->setEnabled(true);
    actions_.value(QStringLiteral("Pasteall1"))->setEnabled(true);
    const int row = TargetRow();
    if (row == 0) return;
    QStringList copied;
    for (int column = 0; column < 4; ++column) copied << model_.Text(TimeFieldName(row, column));
    clipboard_ = copied;
}

QString DayNightTable::ReplaceQuestion() const {
    const QString c0 = clipboard_.value(0), c1 = clipboard_.value(1), c2 = clipboard_.value(2),
                  c3 = clipboard_.value(3);
    return Text(keys::kReplaceTimes) + QLatin1Char('\n') + QStringLiteral("     ") +
           Text(keys::kDay) + QStringLiteral(": ") + c0 + QLatin1Char(':') + c1 +
           QStringLiteral("   ") + Text(keys::kNight) + QStringLiteral(": ") + c2 +
           QLatin1Char(':') + c3;
}

void DayNightTable::Paste1Click() {
    // The menu item is off before the first copy; a keyboard route must not paste nothing.
    if (clipboard_.size() != 4) return;
    const int row = TargetRow();
    if (!host_.ask || !host_.ask(ReplaceQuestion(), Text(keys::kReplaceCaption), MsgIcon::Question))
        return;
    if (row != 0) SetRow(row, clipboard_);
}

void DayNightTable::Pasteall1Click() {
    if (clipboard_.size() != 4) return;
    if (!host_.ask || !host_.ask(ReplaceQuestion(), Text(keys::kReplaceCaption), MsgIcon::Question))
        return;
    SettingsModel::UpdateScope batch(model_);
    for (int row = 1; row <= 7; ++row) SetRow(row, clipboard_);
}

void DayNightTable::Delete1Click() {
    const int row = TargetRow();
    if (row != 0)
        SetRow(row, {QStringLiteral("00"), QStringLiteral("00"), QStringLiteral("00"),
                     QStringLiteral("00")});
}

void DayNightTable::Deleteall1Click() {
    if (host_.ask && host_.ask(Text(keys::kClearTimesQuestion), Text(keys::kClearTimesCaption),
                               MsgIcon::Question))
        ClearTable();
}

void DayNightTable::ClearTable() {
    SettingsModel::UpdateScope batch(model_);
    for (int row = 1; row <= 7; ++row)
        for (int column = 0; column < 4; ++column)
            model_.SetText(TimeFieldName(row, column), QStringLiteral("00"));
}
