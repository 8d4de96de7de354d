// Differences between settings as the installer reads them: one row per setting, day/night
// start or telephone number, with page and caption in the language in use; the byte
// compare after a write that leaves the door phone's own bytes out.
#include "CommLog.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsDiff.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Change {
    const char* what;
    std::function<void(SettingsModel&)> apply;
    DiffRow row; // the one row expected (built-in English texts)
};

// One change of each kind of setting, and one telephone number.
std::vector<Change> OneOfEachKind() {
    return {
        {"text",
         [](SettingsModel& m) { m.SetText("Edit7", "12"); },
         {"Relay 1", "311* Number of button", "01", "12", "Edit7", {"relay1.button"}}},
        {"radio group",
         [](SettingsModel& m) { m.SelectRadioButton("RadioButton2"); },
         {"Basic parameters", "41 Dial", "Tone (DTMF)", "Pulse", "GroupBox1", {"dial.method"}}},
        {"list",
         [](SettingsModel& m) { m.SetChoice("ComboBox4", 12); },
         {"Dial parameters",
          "507 Level of DTMF tone",
          "-10",
          "-4",
          "ComboBox4",
          {"dial.dtmf_level"}}},
        {"list without selection",
         [](SettingsModel& m) { m.SetChoice("ComboBox11", -1); },
         {"HandsFree settings",
          "76 Background noise monitoring ofset",
          "180",
          "(empty)",
          "ComboBox11",
          {"audio.noise_offset"}}},
        {"flag",
         [](SettingsModel& m) { m.SetFlag("CheckBox7", true); },
         {"System parameters",
          "65 Close switch signalization (open the door)",
          "off",
          "on",
          "CheckBox7",
          {"signal.door_open"}}},
        {"external code",
         [](SettingsModel& m) { m.SetText("Edit28", "4711"); },
         {"External codes 1",
          "331 Day mode - 2 impulses",
          "(empty)",
          "4711",
          "Edit28",
          {"relay1.external.day.two_pulses"}}},
        {"day/night start",
         [](SettingsModel& m) { m.SetText("Edit70", "45"); },
         {"Automatic Day-Night",
          "01 Monday - Starting night",
          "00:00",
          "00:45",
          "Edit69+Edit70",
          {"day_night.monday.night_hour", "day_night.monday.night_minute"}}},
        {"telephone number",
         [](SettingsModel& m) { m.SetText(SecondNumberField(15), "602"); },
         {"Buttons 11-20",
          "Button 15 - Night / Group2",
          "(empty)",
          "602",
          "M115",
          {"button15.night"}}},
    };
}

void ExpectRow(const DiffRow& got, const DiffRow& want, const char* what) {
    EXPECT_EQ(got.page, want.page) << what;
    EXPECT_EQ(got.caption, want.caption) << what;
    EXPECT_EQ(got.valueA, want.valueA) << what;
    EXPECT_EQ(got.valueB, want.valueB) << what;
    EXPECT_EQ(got.key, want.key) << what;
    EXPECT_EQ(got.names, want.names) << what;
}

// The model as it comes back from a settings file.
void ThroughFile(const QString& path, const SettingsModel& in, SettingsModel& out) {
    CommLog log;
    WriteSettingsFile(path, in, log);
    ReadSettingsFile(path, out, log);
}

} // namespace

TEST(SettingsDiff, FilesDifferingInOneSettingOfEachKindGiveExactlyThatRow) {
    const LanguageTexts texts;
    QTemporaryDir dir;
    SettingsModel base;
    base.SetChoice("ComboBox4", 6);
    for (const Change& c : OneOfEachKind()) {
        SettingsModel changed;
        changed.CopyFrom(base);
        c.apply(changed);
        SettingsModel a, b;
        ThroughFile(dir.filePath("a.nvs"), base, a);
        ThroughFile(dir.filePath("b.nvs"), changed, b);
        const QList<DiffRow> rows = DiffSettings(a, b, texts);
        ASSERT_EQ(rows.size(), 1) << c.what;
        ExpectRow(rows[0], c.row, c.what);
        // The other way round swaps the values only.
        const QList<DiffRow> back = DiffSettings(b, a, texts);
        ASSERT_EQ(back.size(), 1) << c.what;
        EXPECT_EQ(back[0].valueA, c.row.valueB) << c.what;
    }
    EXPECT_TRUE(DiffSettings(base, base, texts).isEmpty());
}

TEST(SettingsDiff, AllChangesTogetherComeInPageOrderWithNumbersLast) {
    const LanguageTexts texts;
    SettingsModel a, b;
    for (const Change& c : OneOfEachKind()) c.apply(b);
    const QList<DiffRow> rows = DiffSettings(a, b, texts);
    QStringList keys;
    for (const DiffRow& r : rows) keys << r.key;
    EXPECT_EQ(keys, (QStringList{"GroupBox1", "Edit7", "Edit28", "ComboBox4", "ComboBox11",
                                 "Edit69+Edit70", "CheckBox7", "M115"}));
}

TEST(SettingsDiff, CaptionsAndValuesComeFromTheLanguageInUse) {
    LanguageTexts texts;
    texts.Set("Page1", 1, "Volba");
    texts.Set("Page1", 3, "Pulzní");
    texts.Set("Tree", 1, "Základní");
    texts.Set("Backup", 10, "zap");
    texts.Set("Page14", 5, "Tlačítko");
    SettingsModel a, b;
    b.SelectRadioButton("RadioButton2");
    b.SetFlag("CheckBox7", true);
    b.SetText(FirstNumberField(3), "1");
    const QList<DiffRow> rows = DiffSettings(a, b, texts);
    ASSERT_EQ(rows.size(), 3);
    ExpectRow(rows[0],
              {"Základní", "41 Volba", "Tone (DTMF)", "Pulzní", "GroupBox1", {"dial.method"}},
              "radio");
    EXPECT_EQ(rows[1].valueB, "zap");
    EXPECT_EQ(rows[2].caption, "Tlačítko 3 - Day / Group1");
}

// What the door phone takes alike is no difference, whichever way the texts are written.
TEST(SettingsDiff, NumbersCompareAsTheDoorPhoneTakesThem) {
    const LanguageTexts texts;
    const struct {
        const char* field;
        const char* a;
        const char* b;
        bool differs;
    } cases[] = {
        {"Edit7", "01", "1", false},      // a button number as read back
        {"Edit7", "", "255", false},      // an empty one comes back as 255
        {"Edit7", "", "0", true},         //
        {"Edit58", "04", "4", false},     // rings before redial
        {"Edit59", "100", "0100", false}, // a scaled timing
        {"Edit10", "5", "05", false},     // half-second coding
        {"Edit10", "0.5", "1", true},     //
        {"Edit54", "2", "3", true},       //
        {"Edit54", "x", "x", false},      // the same text, number or not
        {"Edit54", "x", "y", true},       //
        {"Edit2", "*1", "*01", true},     // a code is its characters, not a number
        {"Edit63", "07", "7", true},      // a time is coded by its characters
        {"Edit92", "12F", "12R", false},  // "F" is stored as the flash "R"
        {"Edit92", "12F", "12", true},    //
    };
    for (const auto& c : cases) {
        SettingsModel a, b;
        a.SetText(c.field, c.a);
        b.SetText(c.field, c.b);
        EXPECT_EQ(DiffSettings(a, b, texts).size(), c.differs ? 1 : 0)
            << c.field << " '" << c.a << "' '" << c.b << "'";
    }
}

TEST(SettingsDiff, ParameterCompareLeavesOutTheDoorPhonesOwnBytes) {
    SettingsModel model;
    const QByteArray sent = EncodeParameterBlock(model, DoorPhoneState{true, "300"}).bytes;
    ASSERT_EQ(sent.size(), 256);
    const struct {
        int byte;
        int value;
        QList<int> differing;
    } cases[] = {
        {28, 0, {}},     // the door phone switched to night
        {30, 2, {}},     // ... and counted resets
        {31, 0, {}},     //
        {256, 7, {}},    // never written
        {1, 1, {1}},     // a setting
        {26, 5, {26}},   // a byte without a setting still has to be kept
        {32, 0, {32}},   // the validity marker
        {255, 0, {255}}, // the last byte written
    };
    for (const auto& c : cases) {
        QByteArray back = sent;
        back[c.byte - 1] = char(c.value);
        EXPECT_EQ(DifferingParameterBytes(sent, back), c.differing) << c.byte;
    }
    EXPECT_EQ(DifferingParameterBytes(sent, sent.left(250)), (QList<int>{251, 252, 253, 254, 255}));
    for (int byte = 1; byte <= 256; ++byte)
        EXPECT_EQ(IsDoorPhoneOwnByte(byte), byte == 28 || byte == 30 || byte == 31 || byte == 256)
            << byte;
}

TEST(SettingsDiff, ParameterRowsNameTheSettingBehindAByte) {
    const LanguageTexts texts;
    SettingsModel model;
    model.SetText("Edit2", "12");
    model.SetFlag("CheckBox1", false);
    const QByteArray sent = EncodeParameterBlock(model, DoorPhoneState{}).bytes;
    const struct {
        int byte;
        int value;
        DiffRow row;
    } cases[] = {
        {4,
         3,
         {"Codes", "431 Hang up by code from telephone", "12", "13", "Edit2", {"hang_up.code1"}}},
        {1,
         1,
         {"Basic parameters", "41 Dial", "Tone (DTMF)", "Pulse", "GroupBox1", {"dial.method"}}},
        {20,
         1,
         {"System parameters",
          "65 Close switch signalization (open the door)",
          "off",
          "on",
          "CheckBox7",
          {"signal.door_open"}}},
        // Decoded alike (any value but 1 is "off"): the bytes themselves.
        {63,
         2,
         {"Relay 1",
          "381 Control relay at incomming call",
          "0",
          "2",
          "CheckBox1",
          {"relay1.incoming_call"}}},
        {227,
         0x22,
         {"Automatic Day-Night",
          "00 Sunday - Starting night",
          "00:00",
          "22:00",
          "Edit65+Edit66",
          {"day_night.sunday.night_hour", "day_night.sunday.night_minute"}}},
        {26, 9, {"", "Byte 26", "0", "9", "byte 26", {}}},
    };
    for (const auto& c : cases) {
        QByteArray back = sent;
        back[c.byte - 1] = char(c.value);
        const QList<DiffRow> rows = ParameterBlockDiff(sent, back, model, texts);
        ASSERT_EQ(rows.size(), 1) << c.byte;
        ExpectRow(rows[0], c.row, c.row.key.toLatin1().constData());
    }
    // Both bytes of one code are one row.
    QByteArray back = sent;
    back[2] = 4;
    back[3] = 4;
    EXPECT_EQ(ParameterBlockDiff(sent, back, model, texts).size(), 1);
    EXPECT_TRUE(ParameterBlockDiff(sent, sent, model, texts).isEmpty());
}

TEST(SettingsDiff, NumberRowsNameTheButtonAndItsColumn) {
    const LanguageTexts texts;
    SettingsModel model;
    model.SetText(FirstNumberField(7), "0601");
    const QByteArray sent = NumberMemoryBytes(model);
    ASSERT_EQ(sent.size(), 198 * 24);
    const struct {
        int record;
        int position; // 1..24
        int value;
        DiffRow row;
    } cases[] = {
        {7,
         2,
         1,
         {"Buttons  1-10", "Button 7 - Day / Group1", "0601", "0101", "M7", {"button7.day"}}},
        {199,
         1,
         5,
         {"Buttons 91-99",
          "Button 99 - Night / Group2",
          "(empty)",
          "5",
          "M199",
          {"button99.night"}}},
        // 255 and 15 both stand for no character: the number stays its digits, the place
        // that differs follows.
        {150,
         3,
         15,
         {"Buttons 41-50",
          "Button 50 - Night / Group2",
          "(empty) (Byte 3: 255)",
          "(empty) (Byte 3: 15)",
          "M150",
          {"button50.night"}}},
        {7,
         6,
         200,
         {"Buttons  1-10",
          "Button 7 - Day / Group1",
          "0601 (Byte 6: 255)",
          "0601 (Byte 6: 200)",
          "M7",
          {"button7.day"}}},
    };
    for (const auto& c : cases) {
        const int index = c.record > 100 ? c.record - 2 : c.record - 1;
        QByteArray back = sent;
        back[index * 24 + c.position - 1] = char(c.value);
        const QList<DiffRow> rows = NumberMemoryDiff(sent, back, texts);
        ASSERT_EQ(rows.size(), 1) << c.record;
        ExpectRow(rows[0], c.row, c.row.key.toLatin1().constData());
    }
    EXPECT_TRUE(NumberMemoryDiff(sent, sent, texts).isEmpty());
}
