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

// Radio buttons and groups the features act on.
const char* const kKeypadPlaces[] = {"RadioButton10", "RadioButton11", "RadioButton16",
                                     "RadioButton12", "RadioButton13", "RadioButton14",
                                     "RadioButton15", "RadioButton17"};
const char* const kKeypadModes[] = {"RadioButton20", "RadioButton21", "RadioButton22",
                                    "RadioButton23", "RadioButton24", "RadioButton25"};
const char* const kRelay2Groups[] = {"GroupBox14", "GroupBox15", "GroupBox16",
                                     "GroupBox20", "GroupBox21", "GroupBox22"};
const char* const kExternalPowerModes[] = {"RadioButton36", "RadioButton37", "RadioButton41",
                                           "RadioButton42", "CheckBox6"};
const char* const kExitButtons[] = {"GroupBox13",    "RadioButton38", "RadioButton39",
                                    "RadioButton40", "GroupBox15",    "RadioButton43",
                                    "RadioButton44", "RadioButton45"};
const char* const kButtonRanges[] = {"  1-10", " 11-20", " 21-30", " 31-40", " 41-50",
                                     " 51-60", " 61-70", " 71-80", " 81-90", " 91-99"};
constexpr int kRelay2Entry = 8, kExternalCodes2Entry = 9, kFirstButtonsEntry = 16;

void SetAllEnabled(TemplateTarget& t, std::initializer_list<const char*> names, bool on) {
    for (const char* n : names) t.SetEnabled(QLatin1String(n), on);
}
template <std::size_t N>
void SetAllEnabled(TemplateTarget& t, const char* const (&names)[N], bool on) {
    for (const char* n : names) t.SetEnabled(QLatin1String(n), on);
}
template <std::size_t N>
void SetAllVisible(TemplateTarget& t, const char* const (&names)[N], bool on) {
    for (const char* n : names) t.SetVisible(QLatin1String(n), on);
}

QString NumberRowName(const char* kind, int button) {
    return QString::fromLatin1(kind) + QString::number(button);
}

void ShowRelay2TreeEntries(TemplateContext& c) {
    c.target.SetTreeEntry(kRelay2Entry, c.texts.Text(QStringLiteral("Tree"), 5) + " 2", true);
    c.target.SetTreeEntry(kExternalCodes2Entry, c.texts.Text(QStringLiteral("Tree"), 6) + " 2",
                          true);
}

// Every telephone-number row and heading shown, the ten button entries of the tree named.
void ShowAllNumberRows(TemplateContext& c) {
    for (int k = 1; k <= 99; ++k) c.target.SetVisible(NumberRowName("ButtonRow", k), true);
    for (int p = 1; p <= 10; ++p) c.target.SetVisible(NumberRowName("NumberHeadings", p), true);
    const QString buttons = c.texts.Text(QStringLiteral("Tree"), 13);
    for (int p = 0; p < 10; ++p)
        c.target.SetTreeEntry(kFirstButtonsEntry + p, buttons + QLatin1String(kButtonRanges[p]),
                              true);
}

bool IsOne(const QString& value) {
    return value == QLatin1String("1");
}
} // namespace

void ApplyBasicConfiguration(TemplateContext& c, ModelState& state) {
    TemplateTarget& t = c.target;
    t.SetEnabled(QLatin1String(kButtonCountField), true);
    t.SetEnabled(QStringLiteral("Label123"), true);
    SetAllEnabled(t, kKeypadPlaces, true);
    SetAllEnabled(t, kKeypadModes, true);
    SetAllEnabled(t, {"Edit6", "Label17", "Label249"}, true);
    SetAllVisible(t, kRelay2Groups, true);
    SetAllEnabled(t, kExternalPowerModes, true);
    SetAllEnabled(t, kExitButtons, true);
    SetAllEnabled(t, {"CheckBox5", "Button1", "SendtimefromPC1"}, true);
    t.SetVisible(QStringLiteral("GroupBox28"), true);
    state.labelKind = QStringLiteral("2");
    t.SetVisible(QStringLiteral("GroupBox9"), true);
    t.SetVisible(QStringLiteral("GroupBox10"), true);
    ShowRelay2TreeEntries(c);
    ShowAllNumberRows(c);
    state.buttons = 99;
}

void ApplyModelTemplate(const QString& templatePath, TemplateContext& c, ModelState& state) {
    TemplateTarget& t = c.target;
    CommLog& log = c.log;
    log.LogLine(QStringLiteral("Template file: ") + templatePath);

    if (!IsRegularFile(templatePath)) {
        log.LogLine(QStringLiteral("Template file: BASIC - no file"));
        t.ShowMessage(c.texts.Text(QStringLiteral("Message"), 58), QString(), MsgIcon::None);
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
        const QString program =
            QDir(c.programFolder).filePath(c.texts.Text(QStringLiteral("Menu"), 47));
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
    t.SetVisible(QStringLiteral("Label123"), chooseBasic);
    t.SetVisible(QLatin1String(kButtonCountField), chooseBasic);
    t.SetEmphasis(QStringLiteral("Label123"), chooseBasic, chooseBasic ? 10 : 8);
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

    // 8: keypad
    const QString keyboard = text("Keyboard", "1");
    log.LogLine(QStringLiteral("Keyboard: ") + keyboard);
    const bool hasKeypad = IsOne(keyboard);
    if (!hasKeypad) c.model.SelectRadioButton(QStringLiteral("RadioButton9"));
    SetAllEnabled(t, kKeypadPlaces, hasKeypad);
    SetAllEnabled(t, kKeypadModes, hasKeypad);
    t.SetVisible(QStringLiteral("GroupBox9"), hasKeypad);
    t.SetVisible(QStringLiteral("GroupBox10"), hasKeypad);

    // 9: relay 2
    const QString rele2 = text("Rele2", "1");
    log.LogLine(QStringLiteral("Rele2: ") + rele2);
    const bool hasRelay2 = IsOne(rele2);
    if (hasRelay2) {
        ShowRelay2TreeEntries(c);
    } else {
        t.SetTreeEntry(kRelay2Entry, QString(), false);
        t.SetTreeEntry(kExternalCodes2Entry, QString(), false);
        c.model.SelectRadioButton(QStringLiteral("RadioButton18"));
    }
    SetAllEnabled(t, {"Edit6", "Label17", "Label249"}, hasRelay2);
    SetAllVisible(t, kRelay2Groups, hasRelay2);

    // 10: external power
    const QString power = text("ExternalPower", "1");
    log.LogLine(QStringLiteral("ExternalPower: ") + power);
    const bool hasPower = IsOne(power);
    if (!hasPower) {
        c.model.SelectRadioButton(QStringLiteral("RadioButton30"));
        c.model.SetFlag(QStringLiteral("CheckBox6"), false);
    }
    SetAllEnabled(t, kExternalPowerModes, hasPower);

    // 11: exit buttons
    const QString exitButton = text("ExitButton", "1");
    log.LogLine(QStringLiteral("ExitButton: ") + exitButton);
    const bool hasExit = IsOne(exitButton);
    if (!hasExit) {
        c.model.SelectRadioButton(QStringLiteral("RadioButton38"));
        c.model.SelectRadioButton(QStringLiteral("RadioButton43"));
    }
    SetAllEnabled(t, kExitButtons, hasExit);

    // 12: real-time clock
    const QString rtc = text("RTC", "1");
    log.LogLine(QStringLiteral("RTC: ") + rtc);
    const bool hasClock = IsOne(rtc);
    if (!hasClock) c.model.SetFlag(QStringLiteral("CheckBox5"), false);
    SetAllEnabled(t, {"CheckBox5", "Button1", "SendtimefromPC1"}, hasClock);
    t.SetVisible(QStringLiteral("GroupBox28"), hasClock);

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
