#include "FieldCatalogue.h"

#include "FactoryValues.h"

#include <QHash>
#include <vector>

namespace {

// ---- compact row builders --------------------------------------------------------------

QString EditName(int n) {
    return QStringLiteral("Edit%1").arg(n);
}

struct Radio {
    int button; // RadioButton number
    int value;  // parameter-block value
};

FieldDef RadioGroup(const char* name, std::initializer_list<Radio> buttons, int defaultPos,
                    int record, const char* fileKey, int page) {
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.kind = FieldKind::Choice;
    f.style = ChoiceStyle::RadioGroup;
    for (const Radio& r : buttons)
        f.options.append({QStringLiteral("RadioButton%1").arg(r.button), r.value,
                          QStringLiteral("RB%1").arg(r.button)});
    f.defaultChoice = defaultPos;
    f.builtInDefault = true;
    f.fileRecord = record;
    f.fileKey = QString::fromLatin1(fileKey);
    f.fileCoding = FileCoding::Choice;
    f.page = page;
    return f;
}

FieldDef ListField(const char* name, const QStringList& items, int defaultPos, int record,
                   const char* fileKey, int page, int exitPosition) {
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.kind = FieldKind::Choice;
    f.style = ChoiceStyle::List;
    for (int i = 0; i < items.size(); ++i) f.options.append({items[i], i, QString()});
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
    return f;
}

FieldDef TextField(int edit, const QString& def, int record, const QString& fileKey,
                   KeyFilter filter, ExitRule rule, int maxLength, int page) {
    FieldDef f;
    f.name = EditName(edit);
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
    return f;
}

FieldDef FlagField(int box, bool def, int record, const char* fileKey, int page) {
    FieldDef f;
    f.name = QStringLiteral("CheckBox%1").arg(box);
    f.kind = FieldKind::Flag;
    f.defaultFlag = def;
    f.templateKey = QStringLiteral("CKB%1").arg(box);
    f.builtInDefault = true;
    f.fileRecord = record;
    f.fileKey = QString::fromLatin1(fileKey);
    f.fileCoding = FileCoding::Flag;
    f.page = page;
    return f;
}

QStringList Numbers(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i) items << QString::number(i);
    return items;
}

// ---- the catalogue, page by page ---------------------------------------------------------

std::vector<FieldDef> BuildCatalogue() {
    std::vector<FieldDef> c;
    using KF = KeyFilter;
    using ER = ExitRule;
    auto text = [&](int edit, const QString& def, int record, const char* key, KF filter, ER rule,
                    int maxLength, int page) {
        c.push_back(
            TextField(edit, def, record, QString::fromLatin1(key), filter, rule, maxLength, page));
    };

    // DoorPhone select. The model selector's items come from the language file; its
    // number of buttons is set by the model template, not by the defaults.
    {
        FieldDef f = ListField("ComboBox16", {}, -1, 129, "Modl: ", Page::DoorPhoneSelect, 0);
        f.templateKey.clear();
        f.builtInDefault = false;
        c.push_back(f);
        FieldDef e = TextField(91, QStringLiteral("2"), 130, QStringLiteral("Ptla: "),
                               KF::ZeroToFour, ER::L, 1, Page::DoorPhoneSelect);
        e.templateKey.clear();
        e.builtInDefault = false;
        c.push_back(e);
    }

    // Basic parameters.
    c.push_back(RadioGroup("GroupBox1", {{1, 0}, {2, 1}}, 0, 1, "Dial: ", Page::Basic));
    c.push_back(RadioGroup("GroupBox2", {{3, 0}, {4, 1}}, 1, 2, "Mode: ", Page::Basic));
    c.push_back(RadioGroup("GroupBox3", {{5, 11}, {6, 12}}, 0, 3, "Prol: ", Page::Basic));
    c.push_back(RadioGroup("GroupBox4", {{7, 0}, {8, 1}}, 0, 4, "Hang: ", Page::Basic));
    text(1, Factory::Password, 5, "Pass: ", KF::Digits, ER::B, 4, Page::Basic);

    // Codes.
    text(2, Factory::HangUpCode1, 6, "Khg1: ", KF::DigitsStar, ER::C, 2, Page::Codes);
    text(3, Factory::HangUpCode2, 7, "Khg2: ", KF::DigitsStar, ER::C, 2, Page::Codes);
    text(4, Factory::DayCode, 8, "Days: ", KF::DigitsStar, ER::C, 2, Page::Codes);
    text(5, Factory::NightCode, 9, "Nigs: ", KF::DigitsStar, ER::C, 2, Page::Codes);

    // Keyboard: the place group is in place order; RadioButton16 is the third place.
    c.push_back(
        RadioGroup("GroupBox8",
                   {{9, 0}, {10, 1}, {11, 2}, {16, 3}, {12, 4}, {13, 5}, {14, 6}, {15, 7}, {17, 8}},
                   0, 10, "Cmod: ", Page::Keyboard));
    c.push_back(RadioGroup("GroupBox9", {{20, 0}, {21, 1}}, 0, 11, "Kmod: ", Page::Keyboard));
    c.push_back(RadioGroup("GroupBox10", {{22, 0}, {23, 1}, {24, 2}, {25, 3}}, 0, 12,
                           "Ddac: ", Page::Keyboard));

    // Relays.
    text(6, QStringLiteral("15"), 13, "Dela: ", KF::Seconds, ER::E, 3, Page::Relays);

    // Relay 1. Mode 5 belongs to relay 2 only; no [Defaults] key selects RadioButton34.
    {
        FieldDef g = RadioGroup(
            "GroupBox11", {{30, 1}, {31, 2}, {32, 3}, {33, 4}, {34, 5}, {35, 6}, {36, 7}, {37, 8}},
            0, 14, "Mor1: ", Page::Relay1);
        g.options[4].templateKey.clear();
        c.push_back(g);
    }
    text(7, QStringLiteral("01"), 15, "Ctl1: ", KF::Digits, ER::F, 2, Page::Relay1);
    text(8, Factory::Relay1Code1, 16, "1im1: ", KF::DigitsStar, ER::C, 2, Page::Relay1);
    text(9, Factory::Relay1Code2, 17, "2im1: ", KF::DigitsStar, ER::C, 2, Page::Relay1);
    text(10, QStringLiteral("5"), 18, "Pdu1: ", KF::Seconds, ER::E, 3, Page::Relay1);
    text(11, QStringLiteral("5"), 19, "Pde1: ", KF::Seconds, ER::E, 3, Page::Relay1);
    c.push_back(FlagField(1, true, 20, "Ovl1: ", Page::Relay1));
    c.push_back(
        RadioGroup("GroupBox13", {{38, 0}, {39, 1}, {40, 2}}, 0, 21, "Exb1: ", Page::Relay1));

    // External codes: per relay three groups (day + night, day, night) of five
    // one-impulse codes and one two-impulse code. Records "Ko11: " .. "Kn61: ".
    auto externalCodes = [&](int firstEdit, int firstRecord, int relay, int page) {
        const char* groups[] = {"Ko", "Kd", "Kn"};
        for (int g = 0; g < 3; ++g)
            for (int k = 0; k < 6; ++k) {
                const int edit = firstEdit + 6 * g + k;
                const QString key = QStringLiteral("%1%2%3: ")
                                        .arg(QString::fromLatin1(groups[g]))
                                        .arg(k + 1)
                                        .arg(relay);
                c.push_back(TextField(edit, QString(), firstRecord + 6 * g + k, key, KF::Digits,
                                      ER::D, 6, page));
            }
    };
    externalCodes(17, 22, 1, Page::ExternalCodes1);

    // Code relay: not touched by the built-in defaults; keys CR01 .. CR06.
    {
        FieldDef f = FlagField(13, false, 329, "Kren: ", Page::CodeRelay);
        f.templateKey = QStringLiteral("CR01");
        f.builtInDefault = false;
        f.fileCoding = FileCoding::CodeRelayFlag;
        c.push_back(f);
        const struct {
            int edit;
            const char* def;
            const char* key;
            int record;
            const char* fileKey;
        } patterns[] = {
            {53, Factory::CodeRelay1External, "CR02", 330, "Kr1t: "},
            {281, Factory::CodeRelay1Internal, "CR03", 331, "Kr1p: "},
            {291, Factory::CodeRelay2External, "CR04", 332, "Kr2t: "},
            {292, Factory::CodeRelay2Internal, "CR05", 333, "Kr2p: "},
            {293, Factory::CodeRelayOtherMode, "CR06", 334, "Krot: "},
        };
        for (const auto& p : patterns) {
            FieldDef e =
                TextField(p.edit, QString::fromLatin1(p.def), p.record,
                          QString::fromLatin1(p.fileKey), KF::Bits, ER::K, 4, Page::CodeRelay);
            e.templateKey = QString::fromLatin1(p.key);
            e.builtInDefault = false;
            c.push_back(e);
        }
    }

    // Relay 2.
    c.push_back(RadioGroup("GroupBox14",
                           {{18, 1}, {19, 2}, {26, 3}, {27, 4}, {28, 5}, {29, 6}, {41, 7}, {42, 8}},
                           0, 40, "Mor2: ", Page::Relay2));
    text(12, QStringLiteral("01"), 41, "Ctl2: ", KF::Digits, ER::F, 2, Page::Relay2);
    text(13, Factory::Relay2Code1, 42, "1im2: ", KF::DigitsStar, ER::C, 2, Page::Relay2);
    text(14, Factory::Relay2Code2, 43, "2im2: ", KF::DigitsStar, ER::C, 2, Page::Relay2);
    text(15, QStringLiteral("5"), 44, "Pdu2: ", KF::Seconds, ER::E, 3, Page::Relay2);
    text(16, QStringLiteral("5"), 45, "Pde2: ", KF::Seconds, ER::E, 3, Page::Relay2);
    c.push_back(FlagField(2, true, 46, "Ovl2: ", Page::Relay2));
    c.push_back(
        RadioGroup("GroupBox15", {{43, 0}, {44, 1}, {45, 2}}, 0, 47, "Exb2: ", Page::Relay2));
    externalCodes(35, 48, 2, Page::ExternalCodes2);

    // Time parameters.
    c.push_back(ListField("ComboBox17",
                          {"0.5", "1", "2", "3", "4", "5", "6", "7", "8", "9", "15", "30"}, 2, 66,
                          "Mdho: ", Page::Time, 2));
    text(54, QStringLiteral("2"), 67, "Pznv: ", KF::OneToNine, ER::G, 1, Page::Time);
    text(55, QStringLiteral("2"), 68, "Cmst: ", KF::OneToNine, ER::G, 1, Page::Time);
    text(56, QStringLiteral("1"), 69, "Cpzv: ", KF::OneToFive, ER::G, 1, Page::Time);
    text(57, QStringLiteral("2"), 70, "Czpo: ", KF::OneToFive, ER::G, 1, Page::Time);
    text(58, QStringLiteral("12"), 71, "Pvno: ", KF::Digits, ER::H, 2, Page::Time);
    c.push_back(ListField("ComboBox1",
                          {"275-375", "325-425", "375-475", "425-525", "475-575", "525-625",
                           "575-675", "625-725", "675-775", "725-825"},
                          2, 72, "Foft: ", Page::Time, 2));
    c.push_back(ListField("ComboBox2", Numbers(2, 10), 4, 73, "Nobt: ", Page::Time, 3));
    {
        FieldDef f = ListField("ComboBox3", Numbers(1, 5), 2, 74, "Dpto: ", Page::Time, 2);
        f.keyFilter = KF::Digits; // the only list that takes typing
        c.push_back(f);
    }

    // Dial parameters.
    text(59, QStringLiteral("100"), 75, "Dton: ", KF::Digits, ER::I, 3, Page::Dial);
    text(60, QStringLiteral("100"), 76, "Dmez: ", KF::Digits, ER::I, 3, Page::Dial);
    text(61, QStringLiteral("100"), 77, "Dfla: ", KF::Digits, ER::I, 3, Page::Dial);
    text(62, QStringLiteral("800"), 78, "Dpau: ", KF::Digits, ER::I, 4, Page::Dial);
    const QStringList levels = Numbers(-16, -4);
    c.push_back(ListField("ComboBox4", levels, 6, 79, "Ldtt: ", Page::Dial, 6));
    c.push_back(ListField("ComboBox5", {"2.2", "3.2"}, 0, 80, "Pree: ", Page::Dial, 0));
    c.push_back(ListField("ComboBox6", {"-15", "-9", "-3", "+3"}, 1, 81, "Conf: ", Page::Dial, 1));

    // HandsFree settings.
    c.push_back(ListField("ComboBox7", Numbers(1, 16), 7, 82, "Lmic: ", Page::HandsFree, 7));
    c.push_back(ListField("ComboBox8", Numbers(1, 16), 7, 83, "Ltra: ", Page::HandsFree, 7));
    c.push_back(ListField("ComboBox9", Numbers(1, 16), 7, 84, "Lrec: ", Page::HandsFree, 7));
    c.push_back(ListField("ComboBox10", levels, 6, 85, "Lsig: ", Page::HandsFree, 6));
    c.push_back(FlagField(3, true, 86, "Scli: ", Page::HandsFree));
    c.push_back(FlagField(4, true, 87, "Bgrn: ", Page::HandsFree));
    c.push_back(
        ListField("ComboBox11", {"120", "180", "240", "300"}, 1, 88, "Blev: ", Page::HandsFree, 2));
    c.push_back(ListField("ComboBox12", {"1", "2", "4", "8"}, 1, 89, "Spee: ", Page::HandsFree, 1));
    c.push_back(ListField("ComboBox13", {"3.5", "4.5"}, 1, 90, "Dcma: ", Page::HandsFree, 1));
    c.push_back(
        ListField("ComboBox14", {"off", "20-50", "45-75"}, 1, 91, "Loos: ", Page::HandsFree, 0));

    // Automatic Day-Night: per weekday from Sunday, day-start hour and minute, then
    // night-start hour and minute.
    c.push_back(FlagField(5, false, 92, "Auto: ", Page::AutoDayNight));
    for (int i = 0; i < 28; ++i)
        c.push_back(TextField(63 + i, QStringLiteral("00"), 93 + i,
                              QStringLiteral("Ti%1: ").arg(i + 1, 2, 10, QLatin1Char('0')),
                              KF::Digits, ER::J, 2, Page::AutoDayNight));

    // System parameters. The fourth signalling item exists only with newer firmware.
    {
        FieldDef f = ListField("ComboBox15", {"Off", "Type 1", "Type 2", "Silent call"}, 1, 121,
                               "Spih: ", Page::System, 1);
        f.initialItemCount = 3;
        c.push_back(f);
    }
    c.push_back(FlagField(7, false, 122, "Sclo: ", Page::System));
    c.push_back(FlagField(8, false, 123, "Stic: ", Page::System));
    c.push_back(FlagField(9, true, 124, "Soth: ", Page::System));
    c.push_back(FlagField(6, false, 125, "Expw: ", Page::System));
    c.push_back(FlagField(10, false, 126, "Dtmi: ", Page::System));
    c.push_back(FlagField(11, false, 127, "Baby: ", Page::System));
    c.push_back(FlagField(12, false, 128, "Siem: ", Page::System));
    {
        FieldDef f = FlagField(14, false, 335, "MutA: ", Page::System);
        f.builtInDefault = false;
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
                c.push_back(
                    TextField(edit, QString(), record,
                              QStringLiteral("M%1: ").arg(record - 130, 3, 10, QLatin1Char('0')),
                              KF::Dialling, ER::A, 24, Page::FirstButtons + p));
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

// The [Defaults] keys in reading order. A key that is missing from the template reads as
// the field's default; for radio buttons the groups' usual buttons read as "1" and all
// others as "0", so a template without keyboard-mode keys leaves those groups alone.
std::vector<TemplateKeyDef> BuildTemplateKeys() {
    std::vector<TemplateKeyDef> keys;
    const QStringList radioOnByDefault = {"RB1",  "RB4",  "RB5",  "RB7", "RB9",
                                          "RB18", "RB30", "RB38", "RB43"};
    auto rb = [&](int n) {
        TemplateKeyDef k;
        k.key = QStringLiteral("RB%1").arg(n);
        // RB34 selects mode 1 of relay 1: mode 5 is for relay 2 only.
        const int button = n == 34 ? 30 : n;
        const RadioPlace place = RadioIndex().value(QStringLiteral("RadioButton%1").arg(button));
        k.field = place.field;
        k.option = place.option;
        k.missingValue =
            radioOnByDefault.contains(k.key) ? QStringLiteral("1") : QStringLiteral("0");
        keys.push_back(k);
    };
    auto field = [&](const QString& key, const QString& name) {
        TemplateKeyDef k;
        k.key = key;
        k.field = NameIndex().value(name, -1);
        const FieldDef& f = Catalogue()[k.field];
        switch (f.kind) {
        case FieldKind::Text: k.missingValue = f.defaultText; break;
        case FieldKind::Choice: k.missingValue = QString::number(f.defaultChoice); break;
        case FieldKind::Flag: k.missingValue = f.defaultFlag ? "1" : "0"; break;
        }
        keys.push_back(k);
    };
    auto rbs = [&](int from, int to) {
        for (int n = from; n <= to; ++n) rb(n);
    };
    auto ets = [&](int from, int to) {
        for (int n = from; n <= to; ++n)
            if (n != 281) field(QStringLiteral("ET%1").arg(n), EditName(n));
    };
    auto cbs = [&](int from, int to) {
        for (int n = from; n <= to; ++n)
            field(QStringLiteral("CB%1").arg(n), QStringLiteral("ComboBox%1").arg(n));
    };
    auto ckb = [&](int n) {
        field(QStringLiteral("CKB%1").arg(n), QStringLiteral("CheckBox%1").arg(n));
    };

    rbs(1, 8);
    ets(1, 5);
    rbs(9, 17);
    rbs(20, 25);
    ets(6, 6);
    rbs(30, 37);
    ets(7, 11);
    ckb(1);
    rbs(38, 40);
    ets(17, 34);
    field(QStringLiteral("CR01"), QStringLiteral("CheckBox13"));
    field(QStringLiteral("CR02"), EditName(53));
    field(QStringLiteral("CR03"), EditName(281));
    field(QStringLiteral("CR04"), EditName(291));
    field(QStringLiteral("CR05"), EditName(292));
    field(QStringLiteral("CR06"), EditName(293));
    rbs(18, 19);
    rbs(26, 29);
    rbs(41, 42);
    ets(12, 16);
    ckb(2);
    rbs(43, 45);
    ets(35, 52);
    cbs(17, 17);
    ets(54, 58);
    cbs(1, 3);
    ets(59, 62);
    cbs(4, 10);
    ckb(3);
    ckb(4);
    cbs(11, 14);
    ckb(5);
    ets(63, 90);
    cbs(15, 15);
    for (int n : {7, 8, 9, 6, 10, 11, 12, 14}) ckb(n);
    ets(92, 290);
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
