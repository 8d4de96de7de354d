#pragma once
// A model template adapts the window to the selected door-phone model: it switches off,
// hides or forces what the model lacks ([Enable] section) and picks the cable kind.
// The walk lives here, headless; the window supplies what it means to hide or disable
// one of its controls by name.

#include "MsgIcon.h"

#include <QString>

class CommLog;
class LanguageTexts;
class SettingsModel;
class ModelTable;
struct ModelEntry;

// What a template does to the window's controls, by object name.
class TemplateTarget {
public:
    virtual ~TemplateTarget() = default;
    virtual void SetVisible(const QString& objectName, bool visible) = 0;
    virtual void SetEnabled(const QString& objectName, bool enabled) = 0;
    // Bold or regular at a point size (the basic-module field and its caption).
    virtual void SetEmphasis(const QString& objectName, bool bold, int pointSize) = 0;
    // Navigation-tree entry by position (0 = "DoorPhone select"); icons false = none.
    virtual void SetTreeEntry(int entry, const QString& text, bool icons) = 0;
    virtual bool IsEnabled(const QString& objectName) const = 0;
    // A message box ("No file with template").
    virtual void ShowMessage(const QString& text, const QString& caption, MsgIcon icon) = 0;
};

// The cable side of a template: which programming cables are plugged in, and the kind
// the model uses. The door-phone link implements it.
class TemplateCable {
public:
    virtual ~TemplateCable() = default;
    virtual void ListDevices() = 0;
    virtual bool VantFound() const = 0;
    virtual bool TroxFound() const = 0;
    // The template value: "1" Vant cable, "0" TROX cable, anything else nothing.
    virtual void SelectCableKind(const QString& templateValue) = 0;
};

// What the template leaves behind for the rest of the program.
struct ModelState {
    int modelMaximum = 2; // buttons in the basic module the model allows
    QString labelKind = QStringLiteral("2");
    int buttons = 99;                // call buttons of the model
    bool basicConfiguration = false; // the last template was missing
};

struct TemplateContext {
    SettingsModel& model;
    TemplateCable& link;
    CommLog& log;
    const LanguageTexts& texts;
    TemplateTarget& target;
    QString programFolder;
};

// Applies the template file; a missing file gives the basic configuration with the
// "No file with template" message.
void ApplyModelTemplate(const QString& templatePath, TemplateContext& context, ModelState& state);
// Every feature on, as for a model without a template file (no message, no log).
void ApplyBasicConfiguration(TemplateContext& context, ModelState& state);

// The model selector ComboBox16: the table's names, the given position selected, and the
// "Model of DoorPhone: " log line.
void FillModelSelector(SettingsModel& model, const ModelTable& table, int position, CommLog& log);
// The selected model's entry, or nullptr for no model.
const ModelEntry* SelectedModel(const SettingsModel& model, const ModelTable& table);
// The selected model's template file; "" for no model (the basic configuration).
QString SelectedModelTemplate(const SettingsModel& model, const ModelTable& table);
