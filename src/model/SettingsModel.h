#pragma once
// Every editable setting, reached by field name (see FieldCatalogue.h). Setting a value is
// silent: no entry checks run here; they run when the user leaves a field (FieldRules.h).
// The pages bind their widgets through FieldChanged.
//
// Relay interlock: relay 2 in mode 5 (sequential switching) needs relay 1 in mode 1, so
// whenever relay 2 is in mode 5 and relay 1 is in any other mode (or none), relay 1 is
// put back to mode 1. It acts after every change, or once at the end of an update
// (BeginUpdate/EndUpdate) so that loading both relay modes together judges the result.

#include "FieldCatalogue.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class SettingsModel : public QObject {
    Q_OBJECT
public:
    explicit SettingsModel(QObject* parent = nullptr);

    // Back to the catalogue's defaults for every field (the pages' initial values).
    void Reset();

    bool Has(const QString& name) const { return FieldIndex(name) >= 0; }

    // Text fields. Unknown names read as "" and are ignored when set.
    QString Text(const QString& name) const;
    void SetText(const QString& name, const QString& text);

    // Choice fields: 0-based position among the radio buttons or list items, -1 none.
    // A position outside the group or list means no selection.
    int Choice(const QString& name) const;
    void SetChoice(const QString& name, int position);
    // Number of positions: radio buttons, or the list's current items.
    int ChoiceCount(const QString& name) const;
    // The selected radio button's name or the selected list item's text; "" when none.
    QString ChoiceText(const QString& name) const;
    // Selects a radio button by its own name ("RadioButton28"); false when unknown.
    bool SelectRadioButton(const QString& radioButtonName);
    bool IsRadioButtonSelected(const QString& radioButtonName) const;
    // The items of a list. ComboBox15 has 3 or 4 items (the fourth only with newer
    // firmware); ComboBox16 lists the models of the language file. The position is kept
    // when it is still inside the new list, else the list has no selection.
    QStringList ChoiceItems(const QString& name) const;
    void SetChoiceItems(const QString& name, const QStringList& items);

    // Flags.
    bool Flag(const QString& name) const;
    void SetFlag(const QString& name, bool checked);

    // Value as a display string (text, choice text, "1"/"0"): handy for logs and tests.
    QString ValueString(const QString& name) const;

    // Deferral of the relay interlock across a group of changes; nests.
    void BeginUpdate();
    void EndUpdate();
    class UpdateScope {
    public:
        explicit UpdateScope(SettingsModel& model) : model_(model) { model_.BeginUpdate(); }
        ~UpdateScope() { model_.EndUpdate(); }
        UpdateScope(const UpdateScope&) = delete;
        UpdateScope& operator=(const UpdateScope&) = delete;

    private:
        SettingsModel& model_;
    };

    // Whole-model comparison (tests, "did anything change").
    bool SameValues(const SettingsModel& other) const;
    // Copies every value (and list items) from other; FieldChanged for what differs.
    void CopyFrom(const SettingsModel& other);

Q_SIGNALS:
    void FieldChanged(const QString& name);

private:
    struct Value {
        QString text;
        int choice = -1;
        bool flag = false;
        QStringList items; // lists only
    };
    void ApplyInterlock();
    void Changed(int index);

    std::vector<Value> values_;
    int updateDepth_ = 0;
};
