#include "ModelTemplate.h"

#include "CommLog.h"
#include "FieldCatalogue.h"
#include "FileAccess.h"
#include "IniFile.h"
#include "LanguageTexts.h"
#include "ModelTable.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>

namespace {
const QString kEnable = QStringLiteral("Enable");

// The features a template switches on and off ([Enable] key = "1" or not), steps 8 to 12
// of the walk, and what each does to the pages: the controls it enables and shows, and
// the settings it forces when it is off (a model without it must not send it). The basic
// configuration, without a template, is every feature on.
struct NameList {
    std::initializer_list<const char*> names;
};
struct TemplateFeature {
    const char* key;
    NameList enabled;      // enabled with the feature, disabled without
    NameList shown;        // shown with the feature, hidden without
    NameList radioIfOff;   // radio buttons selected when it is off
    NameList clearedIfOff; // flags cleared when it is off
    bool relay2Tree;       // the relay-2 entries of the tree follow it
};
const TemplateFeature kFeatures[] = {
    {"Keyboard",
     {{"RadioButton10", "RadioButton11", "RadioButton16", "RadioButton12", "RadioButton13",
       "RadioButton14", "RadioButton15", "RadioButton17", "RadioButton20", "RadioButton21",
       "RadioButton22", "RadioButton23", "RadioButton24", "RadioButton25"}},
     {{"GroupBox9", "GroupBox10"}},
     {{"RadioButton9"}},
     {{}},
     false},
    {"Rele2",
     {{"Edit6", "Label17", "Label249"}},
     {{"GroupBox14", "GroupBox15", "GroupBox16", "GroupBox20", "GroupBox21", "GroupBox22"}},
     {{"RadioButton18"}},
     {{}},
     true},
    {"ExternalPower",
     {{"RadioButton36", "RadioButton37", "RadioButton41", "RadioButton42", "CheckBox6"}},
     {{}},
     {{"RadioButton30"}},
     {{"CheckBox6"}},
     false},
    {"ExitButton",
     {{"GroupBox13", "RadioButton38", "RadioButton39", "RadioButton40", "GroupBox15",
       "RadioButton43", "RadioButton44", "RadioButton45"}},
     {{}},
     {{"RadioButton38", "RadioButton43"}},
     {{}},
     false},
    {"RTC",
     {{"CheckBox5", "Button1", "SendtimefromPC1"}},
     {{"GroupBox28"}},
     {{}},
     {{"CheckBox5"}},
     false},
};
// The label above the button-count field of the model page.
const char* const kButtonCountLabel = "Label123";
const char* const kButtonRanges[] = {"  1-10", " 11-20", " 21-30", " 31-40", " 41-50",
                                     " 51-60", " 61-70", " 71-80", " 81-90", " 91-99"};
constexpr int kRelay2Entry = 8, kExternalCodes2Entry = 9, kFirstButtonsEntry = 16;

QString NumberRowName(const char* kind, int button) {
    return QString::fromLatin1(kind) + QString::number(button);
}

void ShowRelay2TreeEntries(TemplateContext& c) {
    c.target.SetTreeEntry(kRelay2Entry, c.texts.Text(keys::kRelayEntry) + " 2", true);
    c.target.SetTreeEntry(kExternalCodes2Entry, c.texts.Text(keys::kExternalCodesEntry) + " 2",
                          true);
}

// Every telephone-number row and heading shown, the ten button entries of the tree named.
void ShowAllNumberRows(TemplateContext& c) {
    for (int k = 1; k <= 99; ++k) c.target.SetVisible(NumberRowName("ButtonRow", k), true);
    for (int p = 1; p <= 10; ++p) c.target.SetVisible(NumberRowName("NumberHeadings", p), true);
    const QString buttons = c.texts.Text(keys::kButtonsEntry);
    for (int p = 0; p < 10; ++p)
        c.target.SetTreeEntry(kFirstButtonsEntry + p, buttons + QLatin1String(kButtonRanges[p]),
                              true);
}

bool IsOne(const QString& value) {
    return value == QLatin1String("1");
}

// One feature on or off. Settings are forced before the controls change, as the window
// shows them.
void ApplyFeature(TemplateContext& c, const TemplateFeature& f, bool on) {
    if (!on) {
        for (const char* radio : f.radioIfOff.names)
            c.model.SelectRadioButton(QLatin1String(radio));
        for (const char* flag : f.clearedIfOff.names) c.model.SetFlag(QLatin1String(flag), false);
    }
    if (f.relay2Tree) {
        if (on) {
            ShowRelay2TreeEntries(c);
        } else {
            c.target.SetTreeEntry(kRelay2Entry, QString(), false);
            c.target.SetTreeEntry(kExternalCodes2Entry, QString(), false);
        }
    }
    for (const char* name : f.enabled.names) c.target.SetEnabled(QLatin1String(name), on);
    for (const char* name : f.shown.names) c.target.SetVisible(QLatin1String(name), on);
}
} // namespace

void ApplyBasicConfiguration(TemplateContext& c, ModelState& state) {
    TemplateTarget& t = c.target;
    t.SetEnabled(QLatin1String(kButtonCountField), true);
    t.SetEnabled(QLatin1String(kButtonCountLabel), true);
    for (const TemplateFeature& f : kFeatures) ApplyFeature(c, f, true);
    state.labelKind = QStringLiteral("2");
    ShowAllNumberRows(c);
    state.buttons = 99;
}

void ApplyModelTemplate(const QString& templatePath, TemplateContext& c, ModelState& state) {
    TemplateTarget& t = c.target;
    CommLog& log = c.log;
    log.LogLine(QStringLiteral("Template file: ") + templatePath);

    if (!IsRegularFile(templatePath)) {
        log.LogLine(QStringLiteral("Template file: BASIC - no file"));
        t.ShowMessage(c.texts.Text(keys::kNoTemplateFile), QString(), MsgIcon::None);
        state.basicConfiguration = true;
        ApplyBasicConfiguration(c, state);
        return;
    }
    IniFile ini;
    if (!ini.Load(templatePath)) {
        // There, but not a template (too large, unreadable): say why, then as without one.
        t.ShowMessage(ini.errorString(), QString(), MsgIcon::Error);
        state.basicConfiguration = true;
        ApplyBasicConfiguration(c, state);
        return;
    }
    state.basicConfiguration = false;
    auto text = [&](const char* key, const char* def) {
        return ini.ReadString(kEnable, QLatin1String(key), QLatin1String(def));
    };
    SettingsModel::UpdateScope batch(c.model);

    // 3: the cable
    const QString cable = text("VantCable", "0");
    log.LogLine(QStringLiteral("Kind of Cable USB (Vant=1/TROX=0): ") + cable);
    c.link.ListDevices();
    if (c.link.VantFound()) log.LogLine(QStringLiteral("Cable Vant-USB present"));
    if (c.link.TroxFound()) log.LogLine(QStringLiteral("Cable TROX-USB present"));
    c.link.SelectCableKind(cable);

    // 4: the sibling key program
    const QString vantKey = text("VantKey", "0");
    log.LogLine(QStringLiteral("Possible use VantKey set: ") + vantKey);
    if (IsOne(vantKey)) {
        t.SetVisible(QStringLiteral("key1"), true);
        const QString program = QDir(c.programFolder).filePath(c.texts.Text(keys::kKeyProgramFile));
        if (IsRegularFile(program)) t.SetEnabled(QStringLiteral("key1"), true);
    } else {
        t.SetVisible(QStringLiteral("key1"), false);
        t.SetEnabled(QStringLiteral("key1"), false);
    }

    // 5-6: buttons in the basic module
    const QString basicButtons = text("BasicButtons", "1");
    const int basicNumber = ini.ReadInteger(kEnable, QStringLiteral("BasicNumber"), 2);
    log.LogLine(QStringLiteral("BasicButtons: ") + basicButtons);
    const bool chooseBasic = IsOne(basicButtons);
    t.SetVisible(QLatin1String(kButtonCountLabel), chooseBasic);
    t.SetVisible(QLatin1String(kButtonCountField), chooseBasic);
    t.SetEmphasis(QLatin1String(kButtonCountLabel), chooseBasic, chooseBasic ? 10 : 8);
    t.SetEmphasis(QLatin1String(kButtonCountField), chooseBasic, chooseBasic ? 12 : 8);
    if (!chooseBasic)
        c.model.SetText(QLatin1String(kButtonCountField), QString::number(basicNumber));
    state.modelMaximum = basicNumber;
    log.LogLine(QStringLiteral("BasicNumber: ") + QString::number(basicNumber));
    {
        // A count that is not a number (only a settings file can bring one) is treated
        // like an empty field rather than leaving the template half applied.
        bool ok = false;
        const int count = c.model.Text(QLatin1String(kButtonCountField)).trimmed().toInt(&ok);
        if (!ok || count > state.modelMaximum || count < 1)
            c.model.SetText(QLatin1String(kButtonCountField), QString::number(state.modelMaximum));
    }

    // 7: keypad position group
    const QString keyAuto = text("KeyAuto", "0");
    log.LogLine(QStringLiteral("KeyAuto: ") + keyAuto);
    t.SetVisible(QStringLiteral("GroupBox8"), !IsOne(keyAuto));

    // 8-12: keypad, relay 2, external power, exit buttons, real-time clock
    for (const TemplateFeature& f : kFeatures) {
        const QString value = text(f.key, "1");
        log.LogLine(QLatin1String(f.key) + QStringLiteral(": ") + value);
        ApplyFeature(c, f, IsOne(value));
    }

    // 13: label kind
    state.labelKind = text("Labels", "2");
    log.LogLine(QStringLiteral("Labels: ") + state.labelKind);

    // 14-15: call buttons
    ShowAllNumberRows(c);
    const int buttons = ini.ReadInteger(kEnable, QStringLiteral("Buttons"), 99);
    state.buttons = buttons;
    log.LogLine(QStringLiteral("Buttons: ") + QString::number(buttons));
    for (int k = 2; k <= 99; ++k)
        if (buttons < k) t.SetVisible(NumberRowName("ButtonRow", k), false);
    for (int p = 2; p <= 10; ++p) {
        if (buttons <= 10 * (p - 1)) {
            t.SetTreeEntry(15 + p, QString(), false);
            t.SetVisible(NumberRowName("NumberHeadings", p), false);
        }
    }
}

void FillModelSelector(SettingsModel& model, const ModelTable& table, int position, CommLog& log) {
    const QString selector = QLatin1String(kModelSelectorField);
    model.SetChoiceItems(selector, table.SelectorItems());
    model.SetChoice(selector, position);
    log.LogLine(QStringLiteral("Model of DoorPhone: ") + model.ChoiceText(selector));
}

const ModelEntry* SelectedModel(const SettingsModel& model, const ModelTable& table) {
    return table.AtPosition(model.Choice(QLatin1String(kModelSelectorField)));
}

QString SelectedModelTemplate(const SettingsModel& model, const ModelTable& table) {
    const ModelEntry* entry = SelectedModel(model, table);
    return entry ? entry->templatePath : QString();
}
