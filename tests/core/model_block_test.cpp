// The parameter block: the golden block, the decoder's rules and the encoder's rules.
#include "Clock.h"
#include "CommLog.h"
#include "FieldCatalogue.h"
#include "LanguageTexts.h"
#include "MsgIcon.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct ShownMessage {
    QString text, caption;
    MsgIcon icon;
};

QByteArray LoadHexFixture(const QString& name) {
    QFile f(QStringLiteral(NORVA_SOURCE_DIR "/tests/fixtures/model/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    QByteArray block(kParameterBlockSize, '\0');
    QList<bool> seen(kParameterBlockSize, false);
    for (QString line : QString::fromLatin1(f.readAll()).split('\n')) {
        line = line.section('#', 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const QStringList parts = line.split(QRegularExpression("\\s+"));
        const QStringList range = parts[0].split('-');
        const int first = range[0].toInt();
        if (range.size() == 2) {
            for (int n = first; n <= range[1].toInt(); ++n) {
                block[n - 1] = char(parts[1].toInt(nullptr, 16));
                seen[n - 1] = true;
            }
        } else {
            for (int k = 1; k < parts.size(); ++k) {
                block[first + k - 2] = char(parts[k].toInt(nullptr, 16));
                seen[first + k - 2] = true;
            }
        }
    }
    EXPECT_EQ(seen.count(true), kParameterBlockSize) << "fixture must give every byte";
    return block;
}

// The hand-chosen settings of the golden block: every coding at a non-default value.
void MakeGolden(SettingsModel& m) {
    const std::vector<std::pair<const char*, const char*>> texts = {
        {"Edit2", "*5"},      {"Edit3", "90"},     {"Edit1", "4071"},   {"Edit4", "*0"},
        {"Edit5", ""},        {"Edit91", "3"},     {"Edit54", "3"},     {"Edit55", "4"},
        {"Edit57", "5"},      {"Edit56", "1"},     {"Edit58", "07"},    {"Edit59", "150"},
        {"Edit60", "40"},     {"Edit61", "600"},   {"Edit62", "1400"},  {"Edit7", "12"},
        {"Edit12", ""},       {"Edit8", "*7"},     {"Edit13", ""},      {"Edit9", "80"},
        {"Edit14", "3"},      {"Edit10", "0.5"},   {"Edit15", "12"},    {"Edit6", "99"},
        {"Edit11", "1"},      {"Edit16", "7"},     {"Edit53", "1010"},  {"Edit281", "0001"},
        {"Edit291", "1111"},  {"Edit292", "0000"}, {"Edit293", "1100"}, {"Edit17", "102"},
        {"Edit18", "123456"}, {"Edit20", "90"},    {"Edit21", "5555"},  {"Edit35", "78"},
        {"Edit23", "11"},     {"Edit41", "2468"},  {"Edit29", "00"},    {"Edit34", "13579"},
        {"Edit52", "999999"}, {"Edit63", "07"},    {"Edit64", "30"},    {"Edit65", "22"},
        {"Edit66", "00"},     {"Edit67", "06"},    {"Edit68", "45"},    {"Edit69", "21"},
        {"Edit70", "15"},     {"Edit87", "23"},    {"Edit88", "59"},    {"Edit89", "00"},
        {"Edit90", "01"},
    };
    for (const auto& [name, value] : texts) m.SetText(name, value);
    for (const char* rb : {"RadioButton2", "RadioButton6", "RadioButton3", "RadioButton16",
                           "RadioButton21", "RadioButton24", "RadioButton8", "RadioButton35",
                           "RadioButton42", "RadioButton40", "RadioButton44"})
        m.SelectRadioButton(rb);
    const std::vector<std::pair<const char*, int>> lists = {
        {"ComboBox15", 2}, {"ComboBox17", 10}, {"ComboBox1", 9},  {"ComboBox2", 0},
        {"ComboBox3", 4},  {"ComboBox4", 12},  {"ComboBox5", 1},  {"ComboBox6", 3},
        {"ComboBox7", 15}, {"ComboBox8", 0},   {"ComboBox9", 7},  {"ComboBox11", 3},
        {"ComboBox12", 2}, {"ComboBox13", 0},  {"ComboBox14", 2}, {"ComboBox10", 1},
    };
    for (const auto& [name, pos] : lists) m.SetChoice(name, pos);
    const std::vector<std::pair<const char*, bool>> flags = {
        {"CheckBox7", true},   {"CheckBox9", false}, {"CheckBox8", true},  {"CheckBox6", false},
        {"CheckBox12", true},  {"CheckBox1", false}, {"CheckBox2", true},  {"CheckBox13", true},
        {"CheckBox3", false},  {"CheckBox4", true},  {"CheckBox14", true}, {"CheckBox10", true},
        {"CheckBox11", false}, {"CheckBox5", true},
    };
    for (const auto& [name, on] : flags) m.SetFlag(name, on);
}

struct Decoded {
    bool accepted = false;
    int defaultsLoaded = 0;
    std::vector<ShownMessage> shown;
    QStringList log;
};

// Decodes into model with the log on, returning what was shown and logged.
Decoded Decode(const QByteArray& block, SettingsModel& model) {
    QTemporaryDir dir;
    VirtualClock clock;
    CommLog log(&clock);
    EXPECT_TRUE(log.Open(dir.path()));
    LanguageTexts texts;
    Decoded d;
    // What a caller does with a refusal: the message box, then the defaults.
    d.accepted =
        DecodeParameterBlock(block, model, log, [&](BlockRefusal refusal) {
            d.shown.push_back({BlockRefusalMessage(refusal, texts), QString(), MsgIcon::None});
            ++d.defaultsLoaded;
            log.LogLine("Defaults: test");
        }).accepted;
    log.Close(false);
    QFile f(QDir(dir.path()).filePath(CommLog::kFileName));
    f.open(QIODevice::ReadOnly);
    d.log = QString::fromLatin1(f.readAll()).split("\r\n");
    return d;
}

QByteArray ValidBlock() {
    SettingsModel m;
    return EncodeParameterBlock(m, {}).bytes;
}

} // namespace

TEST(ModelBlock, GoldenBlockMatchesTheHandWorkedFixture) {
    SettingsModel m;
    MakeGolden(m);
    const EncodeResult r = EncodeParameterBlock(m, {true, "1000"});
    ASSERT_TRUE(r.ok) << r.errorMessage.toStdString();
    const QByteArray golden = LoadHexFixture("golden_block.hex");
    for (int n = 1; n <= kParameterBlockSize; ++n)
        EXPECT_EQ(quint8(r.bytes[n - 1]), quint8(golden[n - 1]))
            << "byte " << n << " (" << ParameterByte(n).field.toStdString() << ")";
}

TEST(ModelBlock, GoldenBlockDecodesBackExceptTheDocumentedAsymmetries) {
    SettingsModel golden;
    MakeGolden(golden);
    SettingsModel decoded;
    const Decoded d = Decode(LoadHexFixture("golden_block.hex"), decoded);
    ASSERT_TRUE(d.accepted);
    EXPECT_TRUE(d.shown.empty());
    const QHash<QString, QString> asymmetric = {{"Edit12", "255"}, {"Edit58", "7"}};
    for (const FieldDef& f : FieldCatalogue()) {
        const QString expected = asymmetric.value(f.name, golden.ValueString(f.name));
        EXPECT_EQ(decoded.ValueString(f.name), expected) << f.name.toStdString();
    }
}

TEST(ModelBlock, RoundTripAsymmetriesOfEmptyButtonAndNoCallDuration) {
    SettingsModel m;
    m.SetText("Edit7", "");
    m.SetChoice("ComboBox17", -1);
    SettingsModel back;
    ASSERT_TRUE(Decode(EncodeParameterBlock(m, {}).bytes, back).accepted);
    EXPECT_EQ(back.Text("Edit7"), "255");
    EXPECT_EQ(back.ChoiceText("ComboBox17"), "1");
}

TEST(ModelBlock, WrongLengthIsRefusedWithTheLengthMessageAndDefaults) {
    for (int length : {0, 255, 257}) {
        SettingsModel m;
        m.SetText("Edit1", "9999");
        const Decoded d = Decode(QByteArray(length, char(1)), m);
        EXPECT_FALSE(d.accepted);
        EXPECT_EQ(d.defaultsLoaded, 1);
        EXPECT_EQ(m.Text("Edit1"), "9999") << "nothing decoded";
        ASSERT_EQ(d.shown.size(), 1u);
        EXPECT_EQ(d.shown[0].text, "Error in data reading - length of data\r\n"
                                   "      - not reading any data -");
        EXPECT_EQ(d.shown[0].icon, MsgIcon::None);
        EXPECT_TRUE(d.log.contains("Error in data: restore defaults"));
        EXPECT_FALSE(d.log.filter(QRegularExpression("^Par\\.")).size());
    }
}

TEST(ModelBlock, ErasedBlockIsRefusedAtByte32AndEveryByteIsLogged) {
    SettingsModel m;
    m.SetText("Edit91", "2");
    const Decoded d = Decode(QByteArray(kParameterBlockSize, char(255)), m);
    EXPECT_FALSE(d.accepted);
    EXPECT_EQ(d.defaultsLoaded, 1);
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text, "Error in data reading - EEPROM\r\n      - default data -");
    const QStringList par = d.log.filter(QRegularExpression("^Par\\."));
    ASSERT_EQ(par.size(), kParameterBlockSize);
    EXPECT_EQ(par[0], QStringLiteral("Par.1 : ") + QChar(0xFF));
    // The defaults are loaded when byte 32 is reached; the rest is still logged after.
    const int at = d.log.indexOf("Defaults: test");
    EXPECT_EQ(d.log[at - 1].left(8), "Par.32 :");
    EXPECT_EQ(d.log[at + 1].left(8), "Par.33 :");
    // A refused block gives no field anything, not even from the bytes before 32.
    EXPECT_EQ(m.Text("Edit91"), "2");
}

TEST(ModelBlock, LogLineShowsTheRawByte) {
    QByteArray b = ValidBlock();
    b[4] = 'A';
    SettingsModel m;
    const Decoded d = Decode(b, m);
    EXPECT_TRUE(d.log.contains("Par.5 : A"));
}

// One byte set on a valid block, and what a field shows afterwards. before: a value set
// first so that "leaves the field" can be seen.
struct DecodeCase {
    int byte;
    int value;
    const char* field;
    const char* before; // ValueString style; nullptr: nothing set
    const char* expected;
};

class ModelDecodeRule : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ModelDecodeRule, GivesTheField) {
    const DecodeCase& c = GetParam();
    SettingsModel m;
    const FieldDef* f = FindField(c.field);
    ASSERT_TRUE(f);
    QByteArray b = ValidBlock();
    // Start from a block that repeats the "before" state, then change the byte.
    if (c.before) {
        SettingsModel seed;
        switch (f->kind) {
        case FieldKind::Text: seed.SetText(c.field, c.before); break;
        case FieldKind::Flag: seed.SetFlag(c.field, QString(c.before) == "1"); break;
        case FieldKind::Choice:
            if (f->style == ChoiceStyle::RadioGroup)
                seed.SelectRadioButton(c.before);
            else
                seed.SetChoice(c.field, seed.ChoiceItems(c.field).indexOf(c.before));
            break;
        }
        m.CopyFrom(seed);
        b = EncodeParameterBlock(seed, {}).bytes;
    }
    b[c.byte - 1] = char(c.value);
    ASSERT_TRUE(Decode(b, m).accepted);
    EXPECT_EQ(m.ValueString(c.field), QString::fromUtf8(c.expected))
        << "byte " << c.byte << " = " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ModelDecodeRule,
    ::testing::Values(
        // keyboard place order
        DecodeCase{16, 3, "GroupBox8", nullptr, "RadioButton16"},
        DecodeCase{16, 4, "GroupBox8", nullptr, "RadioButton12"},
        DecodeCase{16, 7, "GroupBox8", nullptr, "RadioButton15"},
        DecodeCase{16, 8, "GroupBox8", nullptr, "RadioButton17"},
        DecodeCase{16, 9, "GroupBox8", "RadioButton11", "RadioButton11"},
        DecodeCase{2, 12, "GroupBox3", nullptr, "RadioButton6"},
        DecodeCase{2, 1, "GroupBox3", "RadioButton6", "RadioButton6"},
        // half-second coding
        DecodeCase{61, 1, "Edit10", nullptr, "0.5"}, DecodeCase{61, 7, "Edit10", nullptr, "3"},
        DecodeCase{61, 0, "Edit10", "15", "15"}, DecodeCase{65, 198, "Edit6", nullptr, "99"},
        // call duration
        DecodeCase{34, 49, "ComboBox17", nullptr, "30"},
        DecodeCase{34, 4, "ComboBox17", nullptr, "2"},
        DecodeCase{34, 3, "ComboBox17", nullptr, "2"},
        DecodeCase{34, 17, "ComboBox17", nullptr, "9"},
        DecodeCase{34, 18, "ComboBox17", nullptr, "15"},
        DecodeCase{34, 0, "ComboBox17", nullptr, "0.5"}, DecodeCase{34, 51, "ComboBox17", "4", "4"},
        // tone frequency, busy tones, permanent tone, line loss
        DecodeCase{39, 13, "ComboBox1", nullptr, "275-375"},
        DecodeCase{39, 12, "ComboBox1", nullptr, "275-375"},
        DecodeCase{39, 31, "ComboBox1", nullptr, "725-825"},
        DecodeCase{39, 10, "ComboBox1", nullptr, ""}, DecodeCase{39, 40, "ComboBox1", nullptr, ""},
        DecodeCase{40, 10, "ComboBox2", nullptr, "10"}, DecodeCase{40, 1, "ComboBox2", nullptr, ""},
        DecodeCase{41, 25, "ComboBox3", nullptr, "1"},
        DecodeCase{41, 125, "ComboBox3", nullptr, "5"},
        DecodeCase{41, 24, "ComboBox3", nullptr, ""},
        DecodeCase{217, 3, "ComboBox14", nullptr, "off"},
        DecodeCase{217, 0, "ComboBox14", nullptr, "20-50"},
        DecodeCase{217, 2, "ComboBox14", nullptr, "45-75"},
        DecodeCase{217, 1, "ComboBox14", "45-75", "45-75"},
        DecodeCase{22, 200, "ComboBox15", nullptr, ""},
        DecodeCase{22, 3, "ComboBox15", nullptr, ""}, // three items without newer firmware
        // plain, scaled
        DecodeCase{38, 4, "Edit58", nullptr, "4"}, DecodeCase{51, 255, "Edit7", nullptr, "255"},
        DecodeCase{45, 10, "Edit62", nullptr, "1400"}, DecodeCase{42, 4, "Edit59", nullptr, "40"},
        // dial digits: 15, 255 and unused values give nothing, 0 is "D"
        DecodeCase{3, 0, "Edit2", nullptr, "D1"}, DecodeCase{3, 15, "Edit2", nullptr, "1"},
        DecodeCase{3, 200, "Edit2", nullptr, "1"}, DecodeCase{3, 16, "Edit2", nullptr, "-1"},
        // bit quartets
        DecodeCase{70, 0x9A, "Edit53", nullptr, "1011"},
        DecodeCase{70, 0x00, "Edit53", nullptr, "0000"},
        DecodeCase{70, 0x57, "Edit53", nullptr, "0000"},
        // digit pairs
        DecodeCase{81, 0xA5, "Edit17", nullptr, "50"}, DecodeCase{81, 0x0B, "Edit17", nullptr, "0"},
        // time coding
        DecodeCase{225, 255, "Edit63", nullptr, "1515"},
        DecodeCase{225, 0x23, "Edit63", nullptr, "23"},
        DecodeCase{226, 0x07, "Edit64", nullptr, "07"},
        // flags: strict, loose, inverted
        DecodeCase{20, 1, "CheckBox7", "0", "1"}, DecodeCase{20, 2, "CheckBox7", "1", "1"},
        DecodeCase{20, 2, "CheckBox7", "0", "0"}, DecodeCase{63, 2, "CheckBox1", "1", "0"},
        DecodeCase{63, 1, "CheckBox1", "0", "1"}, DecodeCase{75, 7, "CheckBox13", "1", "0"},
        DecodeCase{222, 0, "CheckBox14", "0", "1"}, DecodeCase{222, 1, "CheckBox14", "1", "0"},
        DecodeCase{222, 2, "CheckBox14", "1", "1"}));

TEST(ModelBlock, DigitPairCodesFromNibbles) {
    struct Case {
        quint8 b1, b2, b3;
        const char* expected;
    } cases[] = {
        {0xA3, 0xF7, 0xFF, "307"}, // A0 + a, F0 + b, FF
        {0xFF, 0xFF, 0xFF, ""},    // empty code
        {0x21, 0x43, 0x65, "123456"},
        {0x0A, 0xFF, 0xFF, "00"}, // nibble 0 is a zero as well
    };
    for (const Case& c : cases) {
        QByteArray b = ValidBlock();
        b[80] = char(c.b1);
        b[81] = char(c.b2);
        b[82] = char(c.b3);
        SettingsModel m;
        ASSERT_TRUE(Decode(b, m).accepted);
        EXPECT_EQ(m.Text("Edit17"), c.expected);
    }
}

TEST(ModelBlock, RelayModesAreJudgedTogether) {
    // Relay 2 in mode 5 on the page; the block brings relay 1 mode 3 and relay 2 mode 2.
    SettingsModel m;
    m.SelectRadioButton("RadioButton28");
    ASSERT_TRUE(m.IsRadioButtonSelected("RadioButton30"));
    QByteArray b = ValidBlock();
    b[48] = 3;
    b[49] = 2;
    ASSERT_TRUE(Decode(b, m).accepted);
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton32"));
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton19"));
    // A block with relay 2 in mode 5 still holds relay 1 in mode 1.
    b[49] = 5;
    ASSERT_TRUE(Decode(b, m).accepted);
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton30"));
}

// ---- encoder ------------------------------------------------------------------------------

struct EncodeCase {
    const char* field;
    const char* value; // text, list item text, radio button name, "1"/"0"; nullptr: none
    int byte;
    std::vector<int> expected; // bytes from byte on
};

class ModelEncodeRule : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(ModelEncodeRule, GivesTheBytes) {
    const EncodeCase& c = GetParam();
    SettingsModel m;
    const FieldDef* f = FindField(c.field);
    ASSERT_TRUE(f);
    switch (f->kind) {
    case FieldKind::Text: m.SetText(c.field, c.value); break;
    case FieldKind::Flag: m.SetFlag(c.field, QString(c.value) == "1"); break;
    case FieldKind::Choice:
        if (!c.value)
            m.SetChoice(c.field, -1);
        else if (f->style == ChoiceStyle::RadioGroup)
            m.SelectRadioButton(c.value);
        else
            m.SetChoice(c.field, m.ChoiceItems(c.field).indexOf(c.value));
        break;
    }
    const EncodeResult r = EncodeParameterBlock(m, {});
    ASSERT_TRUE(r.ok) << r.errorMessage.toStdString();
    for (size_t k = 0; k < c.expected.size(); ++k)
        EXPECT_EQ(quint8(r.bytes[c.byte - 1 + int(k)]), c.expected[k])
            << c.field << " byte " << c.byte + k;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ModelEncodeRule,
    ::testing::Values(
        EncodeCase{"Edit7", "", 51, {255}}, EncodeCase{"Edit7", "12", 51, {12}},
        EncodeCase{"Edit10", "0.5", 61, {1}}, EncodeCase{"Edit10", "5", 61, {10}},
        EncodeCase{"ComboBox17", "15", 34, {29}}, EncodeCase{"ComboBox17", "30", 34, {49}},
        EncodeCase{"ComboBox17", "0.5", 34, {0}}, EncodeCase{"ComboBox17", "9", 34, {17}},
        EncodeCase{"ComboBox17", nullptr, 34, {1}}, EncodeCase{"ComboBox14", "off", 217, {3}},
        EncodeCase{"ComboBox14", nullptr, 217, {3}}, // no selection is sent as "off"
        EncodeCase{"ComboBox1", nullptr, 39, {11}}, EncodeCase{"ComboBox2", nullptr, 40, {1}},
        EncodeCase{"ComboBox3", nullptr, 41, {0}}, EncodeCase{"ComboBox4", nullptr, 46, {255}},
        EncodeCase{"CheckBox14", "1", 222, {0}}, EncodeCase{"CheckBox14", "0", 222, {1}},
        EncodeCase{"Edit2", "*4", 3, {11, 4}}, EncodeCase{"Edit2", "*0", 3, {11, 10}},
        EncodeCase{"Edit2", "", 3, {255, 255}}, EncodeCase{"Edit1", "37", 7, {3, 7, 255, 255}},
        EncodeCase{"Edit2", "#P", 3, {12, 13}}, EncodeCase{"Edit2", "RD", 3, {14, 0}},
        EncodeCase{"Edit2", "x7", 3, {15, 7}}, // outside the table: "no character"
        EncodeCase{"Edit2", "F-", 3, {15, 16}}, EncodeCase{"Edit53", "1111", 70, {0xAA}},
        EncodeCase{"Edit53", "0111", 70, {0x6A}},
        EncodeCase{"Edit53", "10100", 70, {0x99}}, // a fifth character is ignored
        EncodeCase{"Edit53", "x0y0", 70, {0x99}},  // any character but "0" counts as 1
        EncodeCase{"Edit53", "1", 70, {0x95}},     // missing characters count as "0"
        EncodeCase{"Edit53", "", 70, {0x55}}, EncodeCase{"Edit17", "503", 81, {0xA5, 0xF3, 0xFF}},
        EncodeCase{"Edit17", "1234567", 81, {0x21, 0x43, 0x65}},
        EncodeCase{"Edit17", "1x3", 81, {0xF1, 0xF3, 0xFF}}, // a non-digit is an absent digit
        EncodeCase{"Edit22", "", 96, {0xFF, 0xFF, 0xFF}}, EncodeCase{"Edit63", "07", 225, {0x07}},
        EncodeCase{"Edit63", "23", 225, {0x23}}, EncodeCase{"Edit63", "5", 225, {0x55}},
        EncodeCase{"Edit65", "22", 227, {0x22}}, EncodeCase{"Edit66", "30", 228, {0x30}},
        EncodeCase{"Edit62", "1400", 45, {10}}, EncodeCase{"Edit59", "105", 42, {10}},
        EncodeCase{"Edit59", "115", 42, {12}}, EncodeCase{"Edit58", "04", 38, {4}},
        EncodeCase{"Edit58", "300", 38, {300 & 0xFF}},
        EncodeCase{"GroupBox8", "RadioButton16", 16, {3}},
        EncodeCase{"GroupBox8", "RadioButton17", 16, {8}},
        EncodeCase{"GroupBox11", nullptr, 49, {1}},
        EncodeCase{"GroupBox14", "RadioButton28", 49, {1, 5}},
        EncodeCase{"GroupBox3", "RadioButton6", 2, {12}}));

TEST(ModelBlock, DefaultBlockConstantsAndState) {
    SettingsModel m;
    const QByteArray b = EncodeParameterBlock(m, {}).bytes;
    auto at = [&](int n) { return int(quint8(b[n - 1])); };
    EXPECT_EQ(at(26), 0);
    EXPECT_EQ(at(27), 0);
    EXPECT_EQ(at(28), 0);
    EXPECT_EQ(at(30), 0);
    EXPECT_EQ(at(31), 0);
    EXPECT_EQ(at(32), 85);
    for (int n : {76, 80, 189, 208, 219, 221, 254, 255, 256}) EXPECT_EQ(at(n), 255) << n;

    struct StateCase {
        DoorPhoneState state;
        int b28, b30, b31;
    } states[] = {
        {{true, ""}, 1, 0, 0},
        {{false, "7"}, 0, 0, 7},
        {{false, "300"}, 0, 1, 44},
        {{false, "65535"}, 0, 255, 255},
    };
    for (const StateCase& s : states) {
        const QByteArray e = EncodeParameterBlock(m, s.state).bytes;
        EXPECT_EQ(quint8(e[27]), s.b28);
        EXPECT_EQ(quint8(e[29]), s.b30) << s.state.resets.toStdString();
        EXPECT_EQ(quint8(e[30]), s.b31) << s.state.resets.toStdString();
    }
}

TEST(ModelBlock, ConversionErrorsNameTheFieldBeforeAnythingIsSent) {
    struct Case {
        const char* field;
        const char* text;
    } cases[] = {
        {"Edit91", ""},    {"Edit54", "x"}, {"Edit7", "1a"},  {"Edit59", ""},
        {"Edit10", "1.5"}, {"Edit63", ""},  {"Edit64", "a5"},
    };
    for (const Case& c : cases) {
        SettingsModel m;
        m.SetText(c.field, c.text);
        const EncodeResult r = EncodeParameterBlock(m, {});
        EXPECT_FALSE(r.ok) << c.field;
        EXPECT_EQ(r.errorField, c.field);
        EXPECT_EQ(r.errorMessage.startsWith("'"), true);
        EXPECT_TRUE(r.errorMessage.endsWith("' is not a valid integer value"));
    }
}

TEST(ModelBlock, EveryEntryIsRecomputedSoNothingStaleIsSent) {
    // Encoding a block never depends on an earlier block: the same model encodes alike
    // after a very different one.
    SettingsModel a;
    MakeGolden(a);
    SettingsModel b;
    b.SetText("Edit2", "x");
    b.SetText("Edit53", "1");
    b.SetChoice("ComboBox14", -1);
    const QByteArray first = EncodeParameterBlock(b, {}).bytes;
    EncodeParameterBlock(a, {true, "999"});
    EXPECT_EQ(EncodeParameterBlock(b, {}).bytes, first);
}
