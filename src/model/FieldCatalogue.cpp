#include "FieldCatalogue.h"

#include "FactoryValues.h"
#include "LanguageTable.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace {

// ---- compact row builders --------------------------------------------------------------

QString EditName(int n) {
    return QStringLiteral("Edit%1").arg(n);
}

// Where the page shows a field: its group box, caption label and unit.
struct Show {
    const char* group = "";
    const char* label = "";
    const char* unit = "";
};

void Place(FieldDef& f, const Show& show) {
    f.group = QString::fromLatin1(show.group);
    f.label = QString::fromLatin1(show.label);
    f.unit = QString::fromLatin1(show.unit);
}

struct Radio {
    int button;      // RadioButton number
    int value;       // parameter-block value
    const char* key; // what a script writes for it
};

FieldDef RadioGroup(const char* name, const char* stableName, std::initializer_list<Radio> buttons,
                    int defaultPos, int record, const char* fileKey, int page) {
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.stableName = QString::fromLatin1(stableName);
    f.kind = FieldKind::Choice;
    f.style = ChoiceStyle::RadioGroup;
    for (const Radio& r : buttons)
        f.options.append({QStringLiteral("RadioButton%1").arg(r.button),
                          r.value,
                          QString::fromLatin1(r.key),
                          {QStringLiteral("RB%1").arg(r.button)},
                          true});
    f.defaultChoice = defaultPos;
    f.builtInDefault = true;
    f.fileRecord = record;
    f.fileKey = QString::fromLatin1(fileKey);
    f.fileCoding = FileCoding::Choice;
    f.page = page;
    return f;
}

FieldDef ListField(const char* name, const char* stableName, const QStringList& items,
                   int defaultPos, int record, const char* fileKey, int page, int exitPosition,
                   const Show& show) {
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.stableName = QString::fromLatin1(stableName);
    f.kind = FieldKind::Choice;
    f.style = ChoiceStyle::List;
    for (int i = 0; i < items.size(); ++i) f.options.append({items[i], i, items[i], {}, true});
    f.defaultChoice = defaultPos;
    f.templateKey = QStringLiteral("CB") + f.name.mid(8); // "ComboBox17" -> "CB17"
    f.builtInDefault = true;
    f.fileRecord = record;
    f.fileKey = QString::fromLatin1(fileKey);
    f.fileCoding = FileCoding::ListIndex;
    f.keyFilter = KeyFilter::Blocked;
    f.exitRule = ExitRule::M;
    f.page = page;
    f.exitPosition = exitPosition;
    Place(f, show);
    return f;
}

FieldDef TextField(int edit, const QString& stableName, const QString& def, int record,
                   const QString& fileKey, KeyFilter filter, ExitRule rule, int maxLength, int page,
                   const Show& show) {
    FieldDef f;
    f.name = EditName(edit);
    f.stableName = stableName;
    f.kind = FieldKind::Text;
    f.defaultText = def;
    f.templateKey = QStringLiteral("ET%1").arg(edit);
    f.builtInDefault = true;
    f.fileRecord = record;
    f.fileKey = fileKey;
    f.fileCoding = FileCoding::Text;
    f.keyFilter = filter;
    f.exitRule = rule;
    f.maxLength = maxLength;
    f.page = page;
    Place(f, show);
    return f;
}

FieldDef FlagField(int box, const char* stableName, bool def, int record, const char* fileKey,
                   int page, const char* group = "") {
    FieldDef f;
    f.name = QStringLiteral("CheckBox%1").arg(box);
    f.stableName = QString::fromLatin1(stableName);
    f.kind = FieldKind::Flag;
    f.defaultFlag = def;
    f.templateKey = QStringLiteral("CKB%1").arg(box);
    f.builtInDefault = true;
    f.fileRecord = record;
    f.fileKey = QString::fromLatin1(fileKey);
    f.fileCoding = FileCoding::Flag;
    f.page = page;
    f.group = QString::fromLatin1(group);
    return f;
}

QStringList Numbers(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i) items << QString::number(i);
    return items;
}

// The column headings of the ten telephone-number pages ("Day / Group1"); the night
// heading follows each one.
constexpr int kDayHeadings[10] = {125, 137, 149, 161, 173, 185, 197, 219, 231, 243};

// ---- the catalogue, page by page ---------------------------------------------------------

std::vector<FieldDef> BuildCatalogue() {
    std::vector<FieldDef> c;
    using KF = KeyFilter;
    using ER = ExitRule;
    auto text = [&](int edit, const char* stableName, const QString& def, int record,
                    const char* key, KF filter, ER rule, int maxLength, int page,
                    const Show& show = {}) {
        c.push_back(TextField(edit, QString::fromLatin1(stableName), def, record,
                              QString::fromLatin1(key), filter, rule, maxLength, page, show));
    };

    // DoorPhone select. The model selector's items come from the language file; its
    // number of buttons is set by the model template, not by the defaults.
    {
        FieldDef f = ListField("ComboBox16", "doorphone.model", {}, -1, 129,
                               "Modl: ", Page::DoorPhoneSelect, 0, {"", "Label124"});
        f.templateKey.clear();
        f.builtInDefault = false;
        c.push_back(f);
        FieldDef e = TextField(91, QStringLiteral("doorphone.basic_buttons"), QStringLiteral("2"),
                               130, QStringLiteral("Ptla: "), KF::ZeroToFour, ER::L, 1,
                               Page::DoorPhoneSelect, {"", "Label123"});
        e.templateKey.clear();
        e.builtInDefault = false;
        c.push_back(e);
    }

    // Basic parameters.
    c.push_back(RadioGroup("GroupBox1", "dial.method", {{1, 0, "tone"}, {2, 1, "pulse"}}, 0, 1,
                           "Dial: ", Page::Basic));
    c.push_back(RadioGroup("GroupBox2", "numbers.mode", {{3, 0, "two_groups"}, {4, 1, "day_night"}},
                           1, 2, "Mode: ", Page::Basic));
    c.push_back(RadioGroup("GroupBox3", "call.prolong_key", {{5, 11, "star"}, {6, 12, "hash"}}, 0,
                           3, "Prol: ", Page::Basic));
    c.push_back(RadioGroup("GroupBox4", "call.hang_up_by_button", {{7, 0, "off"}, {8, 1, "on"}}, 0,
                           4, "Hang: ", Page::Basic));
    text(1, "service.password", Factory::Password, 5, "Pass: ", KF::Digits, ER::B, 4, Page::Basic,
         {"GroupBox5", "Label10"});

    // Codes.
    text(2, "hang_up.code1", Factory::HangUpCode1, 6, "Khg1: ", KF::DigitsStar, ER::C, 2,
         Page::Codes, {"GroupBox6", "Label13"});
    text(3, "hang_up.code2", Factory::HangUpCode2, 7, "Khg2: ", KF::DigitsStar, ER::C, 2,
         Page::Codes, {"GroupBox6", "Label14"});
    text(4, "day_night.day_code", Factory::DayCode, 8, "Days: ", KF::DigitsStar, ER::C, 2,
         Page::Codes, {"GroupBox7", "Label15"});
    text(5, "day_night.night_code", Factory::NightCode, 9, "Nigs: ", KF::DigitsStar, ER::C, 2,
         Page::Codes, {"GroupBox7", "Label16"});

    // Keyboard: the place group is in place order; RadioButton16 is the third place.
    c.push_back(RadioGroup("GroupBox8", "keyboard.place",
                           {{9, 0, "none"},
                            {10, 1, "1"},
                            {11, 2, "2"},
                            {16, 3, "3"},
                            {12, 4, "4"},
                            {13, 5, "5"},
                            {14, 6, "6"},
                            {15, 7, "7"},
                            {17, 8, "8"}},
                           0, 10, "Cmod: ", Page::Keyboard));
    // A template without keyboard keys leaves the mode and the dialling during a call.
    c.push_back(RadioGroup("GroupBox9", "keyboard.mode", {{20, 0, "direct"}, {21, 1, "memory"}}, 0,
                           11, "Kmod: ", Page::Keyboard));
    c.back().keptWithoutKeys = true;
    c.push_back(RadioGroup("GroupBox10", "keyboard.dtmf_in_call",
                           {{22, 0, "off"}, {23, 1, "star"}, {24, 2, "hash"}, {25, 3, "a"}}, 0, 12,
                           "Ddac: ", Page::Keyboard));
    c.back().keptWithoutKeys = true;

    // Relays.
    text(6, "relay2.delay", QStringLiteral("15"), 13, "Dela: ", KF::Seconds, ER::E, 3, Page::Relays,
         {"", "Label17", "sec"});

    // Relay 1. Mode 5 belongs to relay 2 only: the page shows it switched off, and the
    // [Defaults] key RB34 selects mode 1.
    {
        FieldDef g = RadioGroup("GroupBox11", "relay1.mode",
                                {{30, 1, "1"},
                                 {31, 2, "2"},
                                 {32, 3, "3"},
                                 {33, 4, "4"},
                                 {34, 5, "5"},
                                 {35, 6, "6"},
                                 {36, 7, "7"},
                                 {37, 8, "8"}},
                                0, 14, "Mor1: ", Page::Relay1);
        g.options[0].templateKeys << g.options[4].templateKeys;
        g.options[4].templateKeys.clear();
        g.options[4].offered = false;
        c.push_back(g);
    }
    text(7, "relay1.button", QStringLiteral("01"), 15, "Ctl1: ", KF::Digits, ER::F, 2, Page::Relay1,
         {"GroupBox11", "Label6"});
    text(8, "relay1.internal_code1", Factory::Relay1Code1, 16, "1im1: ", KF::DigitsStar, ER::C, 2,
         Page::Relay1, {"GroupBox12", "Label18"});
    text(9, "relay1.internal_code2", Factory::Relay1Code2, 17, "2im1: ", KF::DigitsStar, ER::C, 2,
         Page::Relay1, {"GroupBox12", "Label19"});
    text(10, "relay1.pulse_time", QStringLiteral("5"), 18, "Pdu1: ", KF::Seconds, ER::E, 3,
         Page::Relay1, {"GroupBox12", "Label20", "sec"});
    text(11, "relay1.pulse_gap", QStringLiteral("5"), 19, "Pde1: ", KF::Seconds, ER::E, 3,
         Page::Relay1, {"GroupBox12", "Label21", "sec"});
    c.push_back(FlagField(1, "relay1.incoming_call", true, 20, "Ovl1: ", Page::Relay1));
    c.push_back(RadioGroup("GroupBox13", "relay1.exit_button",
                           {{38, 0, "none"}, {39, 1, "1"}, {40, 2, "2"}}, 0, 21,
                           "Exb1: ", Page::Relay1));

    // External codes: per relay three groups (day + night, day, night) of five
    // one-impulse codes "1" .. "5" and one two-impulse code "*". Records "Ko11: " ..
    // "Kn61: ".
    struct CodeGroup {
        const char *fileLetter, *stable, *group, *one, *two;
    };
    auto externalCodes = [&](int firstEdit, int firstRecord, int relay, int page,
                             const CodeGroup(&groups)[3]) {
        for (int g = 0; g < 3; ++g)
            for (int k = 0; k < 6; ++k) {
                const int edit = firstEdit + 6 * g + k;
                const QString key = QStringLiteral("K%1%2%3: ")
                                        .arg(QLatin1String(groups[g].fileLetter))
                                        .arg(k + 1)
                                        .arg(relay);
                const QString stable =
                    QStringLiteral("relay%1.external.%2.%3")
                        .arg(relay)
                        .arg(QLatin1String(groups[g].stable),
                             k < 5 ? QString::number(k + 1) : QStringLiteral("two_pulses"));
                FieldDef f = TextField(edit, stable, QString(), firstRecord + 6 * g + k, key,
                                       KF::Digits, ER::D, 6, page, {groups[g].group});
                f.subGroup = QString::fromLatin1(k < 5 ? groups[g].one : groups[g].two);
                f.mark = k < 5 ? QString::number(k + 1) : QStringLiteral("*");
                c.push_back(f);
            }
    };
    const CodeGroup relay1Codes[3] = {
        {"o", "day_night", "GroupBox18", "GroupBox173", "GroupBox174"},
        {"d", "day", "GroupBox19", "GroupBox175", "GroupBox176"},
        {"n", "night", "GroupBox17", "GroupBox171", "GroupBox172"},
    };
    externalCodes(17, 22, 1, Page::ExternalCodes1, relay1Codes);

    // Code relay: came with a later settings file and is not touched by the built-in
    // defaults; keys CR01 .. CR06.
    {
        FieldDef f = FlagField(13, "code_relay.enabled", false, 329, "Kren: ", Page::CodeRelay);
        f.templateKey = QStringLiteral("CR01");
        f.builtInDefault = false;
        f.fileCoding = FileCoding::CodeRelayFlag;
        f.fileGeneration = 1;
        c.push_back(f);
        const struct {
            int edit;
            const char* stable;
            const char* def;
            const char* key;
            int record;
            const char* fileKey;
            Show show;
        } patterns[] = {
            {53,
             "code_relay.one_pulse.external",
             Factory::CodeRelay1External,
             "CR02",
             330,
             "Kr1t: ",
             {"GroupBox31", "Label255"}},
            {281,
             "code_relay.one_pulse.internal",
             Factory::CodeRelay1Internal,
             "CR03",
             331,
             "Kr1p: ",
             {"GroupBox31", "Label256"}},
            {291,
             "code_relay.two_pulses.external",
             Factory::CodeRelay2External,
             "CR04",
             332,
             "Kr2t: ",
             {"GroupBox32", "Label257"}},
            {292,
             "code_relay.two_pulses.internal",
             Factory::CodeRelay2Internal,
             "CR05",
             333,
             "Kr2p: ",
             {"GroupBox32", "Label258"}},
            {293,
             "code_relay.other_mode",
             Factory::CodeRelayOtherMode,
             "CR06",
             334,
             "Krot: ",
             {"", "Label259"}},
        };
        for (const auto& p : patterns) {
            FieldDef e = TextField(
                p.edit, QString::fromLatin1(p.stable), QString::fromLatin1(p.def), p.record,
                QString::fromLatin1(p.fileKey), KF::Bits, ER::K, 4, Page::CodeRelay, p.show);
            e.templateKey = QString::fromLatin1(p.key);
            e.builtInDefault = false;
            e.fileGeneration = 1;
            c.push_back(e);
        }
    }

    // Relay 2.
    c.push_back(RadioGroup("GroupBox14", "relay2.mode",
                           {{18, 1, "1"},
                            {19, 2, "2"},
                            {26, 3, "3"},
                            {27, 4, "4"},
                            {28, 5, "5"},
                            {29, 6, "6"},
                            {41, 7, "7"},
                            {42, 8, "8"}},
                           0, 40, "Mor2: ", Page::Relay2));
    text(12, "relay2.button", QStringLiteral("01"), 41, "Ctl2: ", KF::Digits, ER::F, 2,
         Page::Relay2, {"GroupBox14", "Label7"});
    text(13, "relay2.internal_code1", Factory::Relay2Code1, 42, "1im2: ", KF::DigitsStar, ER::C, 2,
         Page::Relay2, {"GroupBox16", "Label8"});
    text(14, "relay2.internal_code2", Factory::Relay2Code2, 43, "2im2: ", KF::DigitsStar, ER::C, 2,
         Page::Relay2, {"GroupBox16", "Label12"});
    text(15, "relay2.pulse_time", QStringLiteral("5"), 44, "Pdu2: ", KF::Seconds, ER::E, 3,
         Page::Relay2, {"GroupBox16", "Label22", "sec"});
    text(16, "relay2.pulse_gap", QStringLiteral("5"), 45, "Pde2: ", KF::Seconds, ER::E, 3,
         Page::Relay2, {"GroupBox16", "Label23", "sec"});
    c.push_back(FlagField(2, "relay2.incoming_call", true, 46, "Ovl2: ", Page::Relay2));
    c.push_back(RadioGroup("GroupBox15", "relay2.exit_button",
                           {{43, 0, "none"}, {44, 1, "1"}, {45, 2, "2"}}, 0, 47,
                           "Exb2: ", Page::Relay2));
    const CodeGroup relay2Codes[3] = {
        {"o", "day_night", "GroupBox20", "GroupBox201", "GroupBox202"},
        {"d", "day", "GroupBox21", "GroupBox204", "GroupBox203"},
        {"n", "night", "GroupBox22", "GroupBox205", "GroupBox206"},
    };
    externalCodes(35, 48, 2, Page::ExternalCodes2, relay2Codes);

    // Time parameters.
    const Show operation{"GroupBox23"}, detector{"GroupBox24"};
    c.push_back(ListField("ComboBox17", "call.max_duration",
                          {"0.5", "1", "2", "3", "4", "5", "6", "7", "8", "9", "15", "30"}, 2, 66,
                          "Mdho: ", Page::Time, 2, {operation.group, "Label61", "min"}));
    text(54, "call.rings_before_answer", QStringLiteral("2"), 67, "Pznv: ", KF::OneToNine, ER::G, 1,
         Page::Time, {operation.group, "Label62"});
    text(55, "call.button_gap", QStringLiteral("2"), 68, "Cmst: ", KF::OneToNine, ER::G, 1,
         Page::Time, {operation.group, "Label63", "sec"});
    text(56, "call.dial_delay", QStringLiteral("1"), 69, "Cpzv: ", KF::OneToFive, ER::G, 1,
         Page::Time, {operation.group, "Label64", "sec"});
    text(57, "call.redial_hang_up", QStringLiteral("2"), 70, "Czpo: ", KF::OneToFive, ER::G, 1,
         Page::Time, {operation.group, "Label65", "sec"});
    text(58, "call.rings_before_redial", QStringLiteral("12"), 71, "Pvno: ", KF::Digits, ER::H, 2,
         Page::Time, {operation.group, "Label66"});
    c.push_back(ListField("ComboBox1", "tone_detector.frequency",
                          {"275-375", "325-425", "375-475", "425-525", "475-575", "525-625",
                           "575-675", "625-725", "675-775", "725-825"},
                          2, 72, "Foft: ", Page::Time, 2, {detector.group, "Label67", "Hz"}));
    c.push_back(ListField("ComboBox2", "tone_detector.busy_tones", Numbers(2, 10), 4, 73,
                          "Nobt: ", Page::Time, 3, {detector.group, "Label68"}));
    {
        FieldDef f = ListField("ComboBox3", "tone_detector.permanent_tone", Numbers(1, 5), 2, 74,
                               "Dpto: ", Page::Time, 2, {detector.group, "Label69", "sec"});
        f.keyFilter = KF::Digits; // the only list that takes typing
        c.push_back(f);
    }

    // Dial parameters.
    const char* dialGroup = "GroupBox25";
    text(59, "dial.dtmf_tone", QStringLiteral("100"), 75, "Dton: ", KF::Digits, ER::I, 3,
         Page::Dial, {dialGroup, "Label72", "ms"});
    text(60, "dial.dtmf_space", QStringLiteral("100"), 76, "Dmez: ", KF::Digits, ER::I, 3,
         Page::Dial, {dialGroup, "Label73", "ms"});
    text(61, "dial.flash", QStringLiteral("100"), 77, "Dfla: ", KF::Digits, ER::I, 3, Page::Dial,
         {dialGroup, "Label74", "ms"});
    text(62, "dial.pause", QStringLiteral("800"), 78, "Dpau: ", KF::Digits, ER::I, 4, Page::Dial,
         {dialGroup, "Label75", "ms"});
    const QStringList levels = Numbers(-16, -4);
    c.push_back(ListField("ComboBox4", "dial.dtmf_level", levels, 6, 79, "Ldtt: ", Page::Dial, 6,
                          {dialGroup, "Label83", "dBm"}));
    c.push_back(ListField("ComboBox5", "dial.preemphasis", {"2.2", "3.2"}, 0, 80,
                          "Pree: ", Page::Dial, 0, {dialGroup, "Label84", "dB"}));
    c.push_back(ListField("ComboBox6", "dial.confidence_level", {"-15", "-9", "-3", "+3"}, 1, 81,
                          "Conf: ", Page::Dial, 1, {dialGroup, "Label85", "dB"}));

    // HandsFree settings.
    const char* levelGroup = "GroupBox26";
    const char* circuitGroup = "GroupBox27";
    c.push_back(ListField("ComboBox7", "audio.receive_volume", Numbers(1, 16), 7, 82,
                          "Lmic: ", Page::HandsFree, 7, {levelGroup, "Label86"}));
    c.push_back(ListField("ComboBox8", "audio.transmit_level", Numbers(1, 16), 7, 83,
                          "Ltra: ", Page::HandsFree, 7, {levelGroup, "Label87"}));
    c.push_back(ListField("ComboBox9", "audio.mic_speaker_ratio", Numbers(1, 16), 7, 84,
                          "Lrec: ", Page::HandsFree, 7, {levelGroup, "Label88"}));
    c.push_back(ListField("ComboBox10", "audio.signal_tone_level", levels, 6, 85,
                          "Lsig: ", Page::HandsFree, 6, {levelGroup, "Label89", "dBm"}));
    c.push_back(
        FlagField(3, "audio.soft_clipping", true, 86, "Scli: ", Page::HandsFree, circuitGroup));
    c.push_back(
        FlagField(4, "audio.noise_monitoring", true, 87, "Bgrn: ", Page::HandsFree, circuitGroup));
    c.push_back(ListField("ComboBox11", "audio.noise_offset", {"120", "180", "240", "300"}, 1, 88,
                          "Blev: ", Page::HandsFree, 2, {circuitGroup, "Label91", "mV"}));
    c.push_back(ListField("ComboBox12", "audio.switching_speed", {"1", "2", "4", "8"}, 1, 89,
                          "Spee: ", Page::HandsFree, 1, {circuitGroup, "Label92", "ms"}));
    c.push_back(ListField("ComboBox13", "audio.dc_mask", {"3.5", "4.5"}, 1, 90,
                          "Dcma: ", Page::HandsFree, 1, {circuitGroup, "Label93", "V"}));
    c.push_back(ListField("ComboBox14", "audio.line_loss_compensation", {"off", "20-50", "45-75"},
                          1, 91, "Loos: ", Page::HandsFree, 0, {circuitGroup, "Label97", "mA"}));

    // Automatic Day-Night: per weekday from Sunday, day-start hour and minute, then
    // night-start hour and minute; each row is labelled by its weekday.
    c.push_back(FlagField(5, "day_night.automatic", false, 92, "Auto: ", Page::AutoDayNight));
    const char* weekdays[7] = {"sunday",   "monday", "tuesday", "wednesday",
                               "thursday", "friday", "saturday"};
    const char* starts[4] = {"day_hour", "day_minute", "night_hour", "night_minute"};
    for (int i = 0; i < 28; ++i) {
        FieldDef f =
            TextField(63 + i,
                      QStringLiteral("day_night.%1.%2")
                          .arg(QLatin1String(weekdays[i / 4]), QLatin1String(starts[i % 4])),
                      QStringLiteral("00"), 93 + i,
                      QStringLiteral("Ti%1: ").arg(i + 1, 2, 10, QLatin1Char('0')), KF::Digits,
                      ER::J, 2, Page::AutoDayNight, {"GroupBox28"});
        f.label = QStringLiteral("Label%1").arg(99 + i / 4);
        f.column = i % 4 < 2 ? QStringLiteral("Label107") : QStringLiteral("Label106");
        c.push_back(f);
    }

    // System parameters. The fourth signalling item exists only with newer firmware.
    const char* signalGroup = "GroupBox29";
    const char* systemGroup = "GroupBox30";
    {
        FieldDef f =
            ListField("ComboBox15", "signal.line", {"Off", "Type 1", "Type 2", "Silent call"}, 1,
                      121, "Spih: ", Page::System, 1, {signalGroup, "Label122"});
        f.initialItemCount = 3;
        c.push_back(f);
    }
    c.push_back(FlagField(7, "signal.door_open", false, 122, "Sclo: ", Page::System, signalGroup));
    c.push_back(FlagField(8, "signal.tick", false, 123, "Stic: ", Page::System, signalGroup));
    c.push_back(FlagField(9, "signal.other_tones", true, 124, "Soth: ", Page::System, signalGroup));
    c.push_back(
        FlagField(6, "system.external_power", false, 125, "Expw: ", Page::System, systemGroup));
    c.push_back(FlagField(10, "system.microphone_dtmf_suppression", false, 126,
                          "Dtmi: ", Page::System, systemGroup));
    c.push_back(FlagField(11, "system.baby_call", false, 127, "Baby: ", Page::System, systemGroup));
    c.push_back(
        FlagField(12, "system.pbx_start_delay", false, 128, "Siem: ", Page::System, systemGroup));
    {
        FieldDef f =
            FlagField(14, "system.mute_at_lock", false, 335, "MutA: ", Page::System, systemGroup);
        f.builtInDefault = false;
        f.fileGeneration = 2;
        c.push_back(f);
    }

    // Telephone numbers: ten pages of ten buttons (nine on the last), first numbers in
    // the left column, second numbers in the right. Records "M001: " .. "M198: " run
    // down the left column, then the right one, page after page.
    int record = 131;
    for (int p = 0; p < 10; ++p) {
        const int rows = p == 9 ? 9 : 10;
        for (int column = 0; column < 2; ++column)
            for (int r = 0; r < rows; ++r) {
                const int edit = 92 + 20 * p + 10 * column + r;
                const int button = 10 * p + r + 1;
                FieldDef f =
                    TextField(edit,
                              QStringLiteral("button%1.%2")
                                  .arg(button)
                                  .arg(QLatin1String(column == 0 ? "day" : "night")),
                              QString(), record,
                              QStringLiteral("M%1: ").arg(record - 130, 3, 10, QLatin1Char('0')),
                              KF::Dialling, ER::A, 24, Page::FirstButtons + p, {});
                f.label = ButtonRowLabel(button);
                f.column = QStringLiteral("Label%1").arg(kDayHeadings[p] + column);
                c.push_back(f);
                ++record;
            }
    }
    return c;
}

const std::vector<FieldDef>& Catalogue() {
    static const std::vector<FieldDef> catalogue = BuildCatalogue();
    return catalogue;
}

const QHash<QString, int>& NameIndex() {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto& c = Catalogue();
        for (int i = 0; i < int(c.size()); ++i) h.insert(c[i].name, i);
        return h;
    }();
    return index;
}

const QHash<QString, int>& StableNameIndex() {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto& c = Catalogue();
        for (int i = 0; i < int(c.size()); ++i) h.insert(c[i].stableName, i);
        return h;
    }();
    return index;
}

struct RadioPlace {
    int field = -1;
    int option = -1;
};

const QHash<QString, RadioPlace>& RadioIndex() {
    static const QHash<QString, RadioPlace> index = [] {
        QHash<QString, RadioPlace> h;
        const auto& c = Catalogue();
        for (int i = 0; i < int(c.size()); ++i)
            if (c[i].style == ChoiceStyle::RadioGroup)
                for (int o = 0; o < c[i].options.size(); ++o)
                    h.insert(c[i].options[o].name, {i, o});
        return h;
    }();
    return index;
}

int KeyNumber(const QString& key) {
    int i = key.size();
    while (i > 0 && key[i - 1].isDigit()) --i;
    return key.mid(i).toInt();
}

QString DefaultValueText(const FieldDef& f) {
    switch (f.kind) {
    case FieldKind::Text: return f.defaultText;
    case FieldKind::Choice: return QString::number(f.defaultChoice);
    case FieldKind::Flag: return f.defaultFlag ? QStringLiteral("1") : QStringLiteral("0");
    }
    return QString();
}

// The [Defaults] keys in reading order: field by field through the catalogue, the keys of
// a radio group by button number. A key missing from the template reads as the field's
// default; for radio buttons the group's usual button reads as "1" and the others as "0",
// so a group kept without keys reads all "0" and stays as it was.
std::vector<TemplateKeyDef> BuildTemplateKeys() {
    std::vector<TemplateKeyDef> keys;
    const auto& c = Catalogue();
    for (int i = 0; i < int(c.size()); ++i) {
        const FieldDef& f = c[i];
        if (f.style != ChoiceStyle::RadioGroup) {
            if (!f.templateKey.isEmpty())
                keys.push_back({f.templateKey, i, -1, DefaultValueText(f)});
            continue;
        }
        std::vector<TemplateKeyDef> group;
        for (int o = 0; o < f.options.size(); ++o)
            for (const QString& key : f.options[o].templateKeys) {
                // Only the button's own key stands for it when the template lacks the key.
                const bool usual = o == f.defaultChoice && !f.keptWithoutKeys &&
                                   key == f.options[o].templateKeys.first();
                group.push_back({key, i, o, usual ? QStringLiteral("1") : QStringLiteral("0")});
            }
        std::stable_sort(group.begin(), group.end(),
                         [](const TemplateKeyDef& a, const TemplateKeyDef& b) {
                             return KeyNumber(a.key) < KeyNumber(b.key);
                         });
        keys.insert(keys.end(), group.begin(), group.end());
    }
    return keys;
}

} // namespace

std::span<const FieldDef> FieldCatalogue() {
    return Catalogue();
}

int FieldIndex(const QString& name) {
    return NameIndex().value(name, -1);
}
int FieldIndex(QStringView name) {
    return FieldIndex(name.toString());
}

const FieldDef* FindField(const QString& name) {
    const int i = FieldIndex(name);
    return i < 0 ? nullptr : &Catalogue()[i];
}
const FieldDef* FindField(QStringView name) {
    return FindField(name.toString());
}

const FieldDef* FindFieldByStableName(QStringView stableName) {
    const int i = StableNameIndex().value(stableName.toString(), -1);
    return i < 0 ? nullptr : &Catalogue()[i];
}

const FieldDef* FindRadioGroup(QStringView radioButtonName, int* position) {
    return FindRadioGroup(radioButtonName.toString(), position);
}

const FieldDef* FindRadioGroup(const QString& radioButtonName, int* position) {
    const auto it = RadioIndex().constFind(radioButtonName);
    if (it == RadioIndex().constEnd()) return nullptr;
    if (position) *position = it->option;
    return &Catalogue()[it->field];
}

std::span<const TemplateKeyDef> TemplateKeyOrder() {
    static const std::vector<TemplateKeyDef> keys = BuildTemplateKeys();
    return keys;
}
