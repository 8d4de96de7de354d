// The settings as text: the stable names scripts rely on, the text form's exact round trip
// through settings files, its errors with line numbers, and set's field rules.
#include "CommLog.h"
#include "Defaults.h"
#include "FieldCatalogue.h"
#include "IniFile.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "SettingsText.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QString Source(const QString& path) {
    return QDir(QStringLiteral(NORVA_SOURCE_DIR)).filePath(path);
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Settings as the command line starts them: a language file's models, every list item.
void Prepare(SettingsModel& model) {
    model.SetChoiceItems("ComboBox16", {"Norva 10", "Norva 99"});
    OfferEveryListItem(model);
}

// A settings file as the program writes it after reading bytes.
QByteArray Rewritten(const QByteArray& bytes) {
    SettingsModel model;
    Prepare(model);
    ApplySettingsFileBytes(bytes, model);
    return SettingsFileBytes(model);
}

// The settings file the text form of a file gives back.
QByteArray ThroughText(const QByteArray& file) {
    SettingsModel model;
    Prepare(model);
    ApplySettingsFileBytes(file, model);
    const QString text = SettingsText(model);
    SettingsModel back;
    Prepare(back);
    const QList<SettingProblem> problems = ApplySettingsText(text.toUtf8(), back);
    EXPECT_TRUE(problems.isEmpty()) << SettingProblemText(problems.value(0)).toStdString();
    return SettingsFileBytes(back);
}

} // namespace

TEST(SettingsText, StableNamesAndTheirValuesAreTheReleasedOnes) {
    QStringList expected;
    for (const QByteArray& line : FileBytes(Source("tests/fixtures/setting-names.txt")).split('\n'))
        if (!line.isEmpty() && !line.startsWith('#')) expected << QString::fromUtf8(line);
    SettingsModel model;
    OfferEveryListItem(model);
    QStringList actual;
    QSet<QString> seen;
    const QRegularExpression form(QStringLiteral("^[a-z0-9_]+(\\.[a-z0-9_]+)+$"));
    for (const FieldDef* def : FieldsInTextOrder()) {
        actual << def->stableName + " | " + SettingRange(*def, model, ExitContext{});
        EXPECT_TRUE(form.match(def->stableName).hasMatch()) << def->stableName.toStdString();
        EXPECT_FALSE(seen.contains(def->stableName)) << def->stableName.toStdString();
        seen.insert(def->stableName);
        EXPECT_EQ(FindFieldByStableName(def->stableName), def);
    }
    EXPECT_EQ(int(seen.size()), int(FieldCatalogue().size())) << "every field has its name";
    ASSERT_EQ(actual.size(), expected.size());
    for (int i = 0; i < actual.size(); ++i) EXPECT_EQ(actual[i], expected[i]);
}

// import(export(x)) is x for every settings file the program writes: the fuzz corpus of
// settings files, every shipped template's defaults, and values that need quoting.
TEST(SettingsText, TextFormGivesEverySettingsFileBackByteForByte) {
    QList<QPair<QString, QByteArray>> files;
    const QDir seeds(Source("tests/fixtures/fuzz-seeds/settings_file"));
    for (const QString& name : seeds.entryList(QDir::Files))
        files << qMakePair(name, Rewritten(FileBytes(seeds.filePath(name))));
    ASSERT_GE(files.size(), 4);

    const QDir assets(Source("assets"));
    for (const QString& name : assets.entryList({"*.ini"}, QDir::Files)) {
        SettingsModel model;
        IniFile ini;
        ASSERT_TRUE(ini.Load(assets.filePath(name)));
        ApplyTemplateDefaults(model, ini);
        files << qMakePair(name, SettingsFileBytes(model));
    }
    ASSERT_GE(files.size(), 9);

    SettingsModel odd;
    Prepare(odd);
    odd.SetChoice("ComboBox16", 1);
    odd.SetChoice("ComboBox15", 3);         // only newer door phones show it
    odd.SetChoice("ComboBox4", -1);         // a list without a selection
    odd.SelectRadioButton("RadioButton34"); // relay 1 mode 5, as a read may give it
    odd.SetText("Edit1", "\"quoted\"");     // a leading quote
    odd.SetText("Edit2", "a\\b");           // a backslash
    odd.SetText("Edit3", "1\t2\x01"
                         "3");                               // control characters inside
    odd.SetText("Edit17", QString::fromLatin1("\xe9\xa0x")); // Latin-1 beyond ASCII
    odd.SetText(FirstNumberField(5), "=#;");                 // what comments and names are made of
    odd.SetText(SecondNumberField(99), QString(32, '9'));
    files << qMakePair(QStringLiteral("odd values"), SettingsFileBytes(odd));

    for (const auto& [name, file] : files) EXPECT_EQ(ThroughText(file), file) << name.toStdString();
}

TEST(SettingsText, TextFormIsReadableLinesInPageOrder) {
    SettingsModel model;
    model.SelectRadioButton("RadioButton2");
    model.SetText(SecondNumberField(1), "*0#P");
    const QStringList lines = SettingsText(model).split('\n');
    const auto at = [&](const QString& line) { return lines.indexOf(line); };
    EXPECT_GE(at("# Basic parameters"), 0);
    EXPECT_EQ(at("dial.method = pulse"), at("# Basic parameters") + 1);
    EXPECT_LT(at("service.password = 1234"), at("# Codes"));
    EXPECT_LT(at("# Relay 1"), at("# External codes 1"));
    EXPECT_EQ(at("button1.night = *0#P"), at("button1.day =") + 1);
    EXPECT_GE(at("# Buttons 91-99"), 0);
}

TEST(SettingsText, BadTextIsRefusedWholeWithLineNumbers) {
    const struct {
        const char* text;
        int line;
        const char* reason;
    } cases[] = {
        {"relay1.pulse_time = 3\nnosuch = 1\n", 2, "no setting of this name"},
        {"relay1.pulse_time = 3\n\n# x\nrelay1.pulse_time = 4\n", 4,
         "given twice (first on line 1)"},
        {"just words\n", 1, "not a setting (name = value)"},
        {"relay1.mode = 9\n", 1, "not one of 1, 2, 3, 4, 5, 6, 7, 8"},
        {"dial.method = Pulse\naudio.soft_clipping = yes\n", 2, "takes on or off"},
        {"dial.dtmf_level = -20\n", 1, "not one of -16"},
        {"service.password = \"12\n", 1, "no closing quote"},
        {"service.password = \"12\" 3\n", 1, "text after the closing quote"},
        {"service.password = \"1\\q\"\n", 1, "unknown escape \\q"},
        {"service.password = \"1\\x4\"\n", 1, "\\x needs two hexadecimal digits"},
        {"service.password = \" 12\"\n", 1, "blanks or control characters at the ends"},
        {"service.password = 123456789012345678901234567890123\n", 1,
         "longer than the 32 characters"},
        {"service.password = \xe2\x82\xac\n", 1, "cannot be kept in a settings file"},
        {"service.password = 1\n\xff = 2\n", 2, "not UTF-8 text"},
        {"relay2.mode = 5\nrelay1.mode = 3\n", 2, "relay 2 in mode 5 needs relay 1 in mode 1"},
    };
    for (const auto& c : cases) {
        SettingsModel model;
        const QList<SettingProblem> problems = ApplySettingsText(c.text, model);
        ASSERT_EQ(problems.size(), 1) << c.text;
        EXPECT_EQ(problems[0].line, c.line) << c.text;
        EXPECT_TRUE(problems[0].reason.contains(QString::fromUtf8(c.reason)))
            << c.text << " -> " << problems[0].reason.toStdString();
        EXPECT_TRUE(model.SameValues(SettingsModel())) << "nothing taken: " << c.text;
    }
    // What a text does not name keeps its value; a byte-order mark and CR LF are fine.
    SettingsModel model;
    model.SetText("Edit8", "45");
    ASSERT_TRUE(
        ApplySettingsText("\xEF\xBB\xBFrelay1.pulse_time = 3\r\nsignal.line = type 2\r\n", model)
            .isEmpty());
    EXPECT_EQ(model.Text("Edit10"), "3");
    EXPECT_EQ(model.ChoiceText("ComboBox15"), "Type 2");
    EXPECT_EQ(model.Text("Edit8"), "45");
    // The problem's text quotes what it cannot show.
    EXPECT_EQ(SettingProblemText({3, "service.password", "1\x1b[2J", "takes 4 digits"}),
              "line 3: service.password = \"1\\x1b[2J\": takes 4 digits");
}

// set: each value as if typed into its field and left, on every page.
TEST(SettingsText, AssignmentsGoThroughTheWindowsFieldRules) {
    const LanguageTexts texts;
    const struct {
        const char* assignment;
        const char* field;
        const char* stored; // nullptr: refused
        const char* reason;
    } cases[] = {
        {"doorphone.basic_buttons=1", "Edit91", "1", ""},
        {"doorphone.basic_buttons=3", "Edit91", nullptr, "affects numbering buttons"},
        {"dial.method=PULSE", "GroupBox1", "RadioButton2", ""},
        {"service.password=4071", "Edit1", "4071", ""},
        {"service.password=407", "Edit1", nullptr, "Password must be long 4 digit"},
        {"hang_up.code1=5*", "Edit2", "*5", ""}, // the star moves to the front
        {"hang_up.code1=**", "Edit2", "", ""},   // two stars switch the code off
        {"hang_up.code1=5", "Edit2", nullptr, "Code must be long 2 digit or blank"},
        {"keyboard.place=3", "GroupBox8", "RadioButton16", ""},
        {"relay2.delay=0.5", "Edit6", "0.5", ""},
        {"relay1.mode=5", "GroupBox11", nullptr, "mode 5 is only in relay 2"},
        {"relay1.button=7", "Edit7", "7", ""},
        {"relay1.button=100", "Edit7", nullptr, "takes a button 1 ... 99"},
        {"relay1.pulse_time=1.5", "Edit10", nullptr, "takes 0.5 or 1 ... 99 sec"},
        {"relay1.pulse_time=1x", "Edit10", nullptr, "'x' cannot be typed here"},
        {"relay1.external.day.1=7", "Edit23", nullptr, "The code must not contain a one digit"},
        {"relay1.external.day.1=1234567", "Edit23", nullptr, "more than 6 characters"},
        {"code_relay.other_mode=1010", "Edit293", "1010", ""},
        {"code_relay.other_mode=101", "Edit293", nullptr, "4 characters, each 0 or 1"},
        {"relay2.exit_button=2", "GroupBox15", "RadioButton45", ""},
        {"call.rings_before_redial=5", "Edit58", "05", ""}, // a leading zero, as the page adds
        {"call.rings_before_redial=3", "Edit58", nullptr, "takes 4 ... 99"},
        {"call.dial_delay=6", "Edit56", nullptr, "'6' cannot be typed here"},
        {"call.max_duration=15", "ComboBox17", "15", ""},
        {"dial.flash=150", "Edit61", nullptr, "100 ... 600 in steps of 100"},
        {"dial.pause=1400", "Edit62", "1400", ""},
        {"audio.noise_offset=300", "ComboBox11", "300", ""},
        {"audio.soft_clipping=off", "CheckBox3", "0", ""},
        {"day_night.monday.day_hour=7", "Edit67", "07", ""},
        {"day_night.monday.day_minute=60", "Edit68", nullptr, "takes 00 ... 59"},
        {"signal.line=silent call", "ComboBox15", "Silent call", ""},
        {"system.baby_call=on", "CheckBox11", "1", ""},
        {"button12.night=h0k12p", "Edit123", "*0#12P", ""}, // the number keys' rewriting
        {"button12.night=12-3", "Edit123", nullptr, "'-' cannot be typed here"},
    };
    for (const auto& c : cases) {
        SettingsModel model;
        OfferEveryListItem(model);
        const QList<SettingProblem> problems =
            ApplySettingAssignments({c.assignment}, model, ExitContext{}, texts, nullptr);
        if (!c.stored) {
            ASSERT_EQ(problems.size(), 1) << c.assignment;
            EXPECT_TRUE(problems[0].reason.contains(QString::fromUtf8(c.reason)))
                << c.assignment << " -> " << problems[0].reason.toStdString();
            continue;
        }
        ASSERT_TRUE(problems.isEmpty())
            << c.assignment << " -> " << SettingProblemText(problems[0]).toStdString();
        const FieldDef* def = FindField(QString::fromLatin1(c.field));
        const QString stored = def->style == ChoiceStyle::RadioGroup ? model.ChoiceText(def->name)
                                                                     : model.ValueString(def->name);
        EXPECT_EQ(stored, QString::fromLatin1(c.stored)) << c.assignment;
    }
}

TEST(SettingsText, AssignmentsAreTakenAllOrNothingAndTheInterlockHasItsSay) {
    const LanguageTexts texts;
    SettingsModel model;
    model.SelectRadioButton("RadioButton32"); // relay 1 in mode 3
    SettingsModel before;
    before.CopyFrom(model);
    QStringList notes;
    // One refused value keeps the good ones out too.
    EXPECT_EQ(
        ApplySettingAssignments({"service.password=1111", "service.password=2222", "relay1.mode=9"},
                                model, {}, texts, &notes)
            .size(),
        2);
    EXPECT_TRUE(model.SameValues(before));
    // Relay 1 asked for in another mode than relay 2's mode 5 allows is refused ...
    const QList<SettingProblem> refused =
        ApplySettingAssignments({"relay2.mode=5", "relay1.mode=3"}, model, {}, texts, &notes);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0].name, "relay1.mode");
    EXPECT_TRUE(model.SameValues(before));
    // ... and relay 1 not asked for follows, as on the page, with a note.
    ASSERT_TRUE(ApplySettingAssignments({"relay2.mode=5"}, model, {}, texts, &notes).isEmpty());
    EXPECT_TRUE(model.IsRadioButtonSelected("RadioButton30"));
    EXPECT_EQ(notes, QStringList{"relay1.mode = 1: relay 2 in mode 5 needs relay 1 in mode 1"});
    // The form and the names alone, before the settings are at hand.
    const QList<SettingProblem> named =
        CheckSettingNames({"relay1.mode", "nosuch=1", "dial.method=x"});
    ASSERT_EQ(named.size(), 2);
    EXPECT_EQ(named[0].reason, "not NAME=VALUE");
    EXPECT_EQ(named[1].name, "nosuch");
}

TEST(SettingsText, ListingAndJsonShowWhatTheWindowShows) {
    const LanguageTexts texts;
    SettingsModel model;
    model.SetText("Edit10", "0.5");
    model.SetText(FirstNumberField(2), "0601");
    const QList<SettingRow> rows = SettingRows(model, texts);
    ASSERT_EQ(rows.size(), int(FieldCatalogue().size()));
    const auto row = [&](const char* name) {
        for (const SettingRow& r : rows)
            if (r.name == QLatin1String(name)) return r;
        return SettingRow{};
    };
    const SettingRow pulse = row("relay1.pulse_time");
    EXPECT_EQ(pulse.page, "Relay 1");
    EXPECT_EQ(pulse.caption, "371 Pulse duration");
    EXPECT_EQ(pulse.value, "0.5");
    EXPECT_EQ(pulse.unit, "sec");
    const SettingRow dial = row("dial.method");
    EXPECT_EQ(dial.value, "Tone (DTMF)");
    EXPECT_EQ(dial.raw, "tone");
    EXPECT_EQ(row("button2.day").caption, "Button 2 - Day / Group1");

    const QJsonObject root = QJsonDocument::fromJson(SettingsJson(model, texts)).object();
    EXPECT_TRUE(root.contains("model"));
    const QJsonArray settings = root.value("settings").toArray();
    const QJsonArray numbers = root.value("numbers").toArray();
    EXPECT_EQ(settings.size() + 2 * numbers.size(), int(FieldCatalogue().size()));
    ASSERT_EQ(numbers.size(), 99);
    const QJsonObject second = numbers[1].toObject();
    EXPECT_EQ(second.value("button").toInt(), 2);
    EXPECT_EQ(second.value("day").toObject().value("raw").toString(), "0601");
    EXPECT_EQ(second.value("night").toObject().value("name").toString(), "button2.night");
    for (const QJsonValue& v : settings) {
        if (v.toObject().value("name").toString() != "dial.method") continue;
        EXPECT_EQ(v.toObject().value("value").toString(), "Tone (DTMF)");
        EXPECT_EQ(v.toObject().value("raw").toString(), "tone");
    }
}
