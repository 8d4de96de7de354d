#pragma once
// The controls that hold settings on the pages, and their binding to SettingsModel.
//
// FieldEdit is a line edit that runs the field's key filter on every typed or pasted
// character and enforces the keyboard length limit itself: texts set by a read, a file or
// the defaults are shown whole, only what the user types is limited.
//
// FieldBinder keeps the pages and the model in step both ways, runs the exit check when
// the focus leaves a field and filters the keys of the drop-down lists.

#include "FieldCatalogue.h"
#include "FieldRules.h"
#include "Ports.h"

#include <QHash>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <functional>

class QAbstractButton;
class QComboBox;
class QCheckBox;
class LanguageTexts;
class SettingsModel;

class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    FieldEdit(const FieldDef& def, QWidget* parent = nullptr);

    const FieldDef& Def() const { return def_; }
    // Inserts text at the cursor as if typed: every character through the key filter,
    // within the keyboard length limit. Returns what was inserted.
    QString InsertTyped(const QString& text);

Q_SIGNALS:
    // The focus left the field for another control of the window.
    void FocusLeft(FieldEdit* self, Qt::FocusReason reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int Room() const;
    const FieldDef& def_;
};

// Binds every catalogue field to the widget of the same name; runs the exit checks.
class FieldBinder : public QObject {
    Q_OBJECT
public:
    struct Host {
        std::function<ExitContext()> context;
        std::function<void(const QString& text, const QString& caption, MsgIcon icon)> message;
        const LanguageTexts* texts = nullptr;
    };

    FieldBinder(SettingsModel& model, const QHash<QString, QWidget*>& widgets, Host host,
                QObject* parent = nullptr);

    // Model to widgets for every field.
    void ShowAll();
    // While set, focus changes run no exit check (a page change hiding a field that has
    // already been checked, the focus being put back after a refused value).
    void SetChecksSuspended(bool on) { suspended_ = on; }
    bool ChecksSuspended() const { return suspended_; }
    // Runs the exit check of a field as if the focus had just left it; true when the
    // value passed (no message and the focus not put back).
    bool RunExitCheck(const QString& field);
    // The list text the exit check judges: the selected item, or "" for a typed text
    // that is none of the items.
    static QString ShownListText(const QComboBox* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        const FieldDef* def = nullptr;
        QWidget* widget = nullptr; // edit, list, check box or the radio group's box
        QList<QAbstractButton*> radios;
    };
    void Bind(const FieldDef& def);
    void Show(const QString& field);
    void OnFocusLeft(const QString& field, Qt::FocusReason reason);

    SettingsModel& model_;
    const QHash<QString, QWidget*>& widgets_;
    Host host_;
    QHash<QString, Binding> bindings_;
    QHash<QObject*, QString> listOf_; // list widget (and its editor and view) -> field
    int updating_ = 0;
    bool suspended_ = false;
};
