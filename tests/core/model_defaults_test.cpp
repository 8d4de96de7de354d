// Default settings: the template's [Defaults] section and the built-in basic defaults.
#include "Clock.h"
#include "CommLog.h"
#include "Defaults.h"
#include "IniFile.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

IniFile Template(const QString& defaultsBody) {
    IniFile ini;
    ini.LoadText(QStringLiteral("[Enable]\r\nLabels=2\r\n[Defaults]\r\n") + defaultsBody);
    return ini;
}

// A model that differs from every default, so that "left as it was" shows.
void Scramble(SettingsModel& m) {
    m.SelectRadioButton("RadioButton21");
    m.SelectRadioButton("RadioButton25");
    m.SelectRadioButton("RadioButton33");
    m.SetFlag("CheckBox13", true);
    m.SetText("Edit53", "1");
    m.SetText("Edit291", "01");
    m.SetFlag("CheckBox14", true);
    m.SetText("Edit91", "4");
    m.SetText("Edit63", "12");
    m.SetText("Edit17", "5555");
    m.SetText("Edit200", "123");
}

} // namespace

TEST(ModelDefaults, TemplateKeyFormats) {
    struct Case {
        const char* body;
        const char* field;
        const char* expected; // ValueString
    } cases[] = {
        {"RB34=1\r\n", "GroupBox11", "RadioButton30"},
        {"RB30=0\r\nRB34=1\r\n", "GroupBox11", "RadioButton30"},
        {"RB30=0\r\nRB33=1\r\n", "GroupBox11", "RadioButton33"},
        {"RB10=1\r\nRB12=1\r\n", "GroupBox8", "RadioButton12"},
        {"RB12=1\r\nRB16=1\r\n", "GroupBox8", "RadioButton16"}, // key order, not place
        {"RB9=0\r\nRB2=1\r\n", "GroupBox1", "RadioButton2"},
        {"RB1=yes\r\n", "GroupBox1", "RadioButton1"},
        {"CB2=12\r\n", "ComboBox2", ""},
        {"CB2=-1\r\n", "ComboBox2", ""},
        {"CB2=0\r\n", "ComboBox2", "2"},
        {"CB15=3\r\n", "ComboBox15", ""}, // the fourth item is not there yet
        {"ET58=5\r\n", "Edit58", "5"},
        {"ET1=12 34\r\n", "Edit1", "12 34"},
        {"CKB1=yes\r\n", "CheckBox1", "0"},
        {"CKB1=1\r\n", "CheckBox1", "1"},
        {"CKB7=1\r\n", "CheckBox7", "1"},
        {"CR01=1\r\n", "CheckBox13", "1"},
        {"CR03=0110\r\n", "Edit281", "0110"},
        {"", "CheckBox1", "1"}, // missing key: the table's default
        {"", "Edit6", "15"},
        {"", "ComboBox17", "2"},
        {"", "Edit53", "1000"},
        {"", "CheckBox13", "0"},
        {"", "Edit63", "00"},
        {"", "Edit200", ""},
        {"", "Edit91", "4"},                // no key: the model template sets it
        {"", "GroupBox9", "RadioButton21"}, // no keys: left as it was
        {"", "GroupBox10", "RadioButton25"},
        {"RB21=0\r\nRB20=1\r\n", "GroupBox9", "RadioButton20"},
        {"ET281=0000\r\n", "Edit281", "1000"}, // the code relay uses CR keys only
    };
    for (const Case& c : cases) {
        SettingsModel m;
        Scramble(m);
        ApplyTemplateDefaults(m, Template(c.body));
        EXPECT_EQ(m.ValueString(c.field), c.expected) << c.body << " -> " << c.field;
    }
}

TEST(ModelDefaults, RelayModesFromATemplateAreJudgedTogether) {
    // Relay 2 in mode 5 before loading must not hold relay 1 when the template moves
    // relay 2 away from mode 5.
    SettingsModel m;
    m.SelectRadioButton("RadioButton28");
    ApplyTemplateDefaults(m, Template("RB30=0\r\nRB32=1\r\nRB18=0\r\nRB19=1\r\n"));
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton32"));
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton19"));
    // A template giving relay 2 mode 5 holds relay 1 in mode 1.
    ApplyTemplateDefaults(m, Template("RB30=0\r\nRB32=1\r\nRB18=0\r\nRB28=1\r\n"));
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton30"));
}

TEST(ModelDefaults, ListValueThatIsNotAnIntegerStopsAtThatKey) {
    SettingsModel m;
    m.SetText("Edit54", "9"); // ET54 comes after CB17 in the key order
    m.SetText("Edit16", "9"); // ET16 comes before
    try {
        ApplyTemplateDefaults(m, Template("CB17=x\r\nET54=3\r\nET16=4\r\n"));
        FAIL() << "no conversion error";
    } catch (const ConversionError& e) { EXPECT_EQ(e.text(), "'x' is not a valid integer value"); }
    EXPECT_EQ(m.Text("Edit16"), "4");
    EXPECT_EQ(m.Text("Edit54"), "9");
}

TEST(ModelDefaults, BuiltInDefaultsWithoutTemplate) {
    QTemporaryDir dir;
    VirtualClock clock;
    CommLog log(&clock);
    ASSERT_TRUE(log.Open(dir.path()));
    SettingsModel m;
    Scramble(m);
    const QString missing = dir.filePath("no_such_template.ini");
    LoadDefaults(m, missing, log);
    log.Close(false);

    QFile f(QDir(dir.path()).filePath(CommLog::kFileName));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(f.readAll()).split("\r\n");
    const int at = lines.indexOf("Defaults: " + missing);
    ASSERT_GE(at, 0);
    EXPECT_EQ(lines.value(at + 1), "Defaults: BASIC - no file");

    // Untouched by the built-in defaults.
    EXPECT_TRUE(m.Flag("CheckBox13"));
    EXPECT_EQ(m.Text("Edit53"), "1");
    EXPECT_EQ(m.Text("Edit291"), "01");
    EXPECT_TRUE(m.Flag("CheckBox14"));
    EXPECT_EQ(m.Text("Edit91"), "4");
    // Set by them.
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton20"));
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton22"));
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton30"));
    EXPECT_EQ(m.Text("Edit17"), "");
    EXPECT_EQ(m.Text("Edit200"), "");
    for (int n = 63; n <= 90; ++n) EXPECT_EQ(m.Text(QString("Edit%1").arg(n)), "00");
    EXPECT_EQ(m.Text("Edit1"), "1234");
    EXPECT_EQ(m.ChoiceText("ComboBox2"), "6");
}

TEST(ModelDefaults, TemplateFileOnDiskIsRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("norva_test.ini");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Defaults]\r\nET1=5678\r\nRB2=1\r\n");
    f.close();
    CommLog log;
    SettingsModel m;
    LoadDefaults(m, path, log);
    EXPECT_EQ(m.Text("Edit1"), "5678");
    EXPECT_TRUE(m.IsRadioButtonSelected("RadioButton2"));
}
