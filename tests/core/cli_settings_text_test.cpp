// norvaset-cli show, set, export, import, names, and status/diff --json, as processes: the
// shipped models' defaults and a door phone's read survive the text form byte for byte,
// set changes a file or the door phone through the field rules, bad input writes nothing.
#include "cli_harness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using cli::Result;

namespace {

// A program folder with the shipped language files and model templates.
class CliText : public cli::CliTest {
protected:
    void SetUp() override {
        cli::CliTest::SetUp();
        const QDir assets(QStringLiteral(NORVA_SOURCE_DIR "/assets"));
        QDir().mkpath(Path("home"));
        for (const QString& name : assets.entryList({"*.lng", "*.ini"}, QDir::Files))
            ASSERT_TRUE(QFile::copy(assets.filePath(name), Path("home/" + name)));
        cli::MakeInstallerSettings(phone_);
        cli::SeedDoorPhone(Path("phone"), phone_);
    }
    Result Device(const QStringList& args) {
        return Run(QStringList{"--simulator=" + Path("phone")} + args);
    }
    QJsonObject Json(const Result& r) { return QJsonDocument::fromJson(r.out.toUtf8()).object(); }

    SettingsModel phone_; // what the simulated door phone holds at first
};

} // namespace

TEST_F(CliText, ShippedModelsDefaultsSurviveTheTextForm) {
    cli::WriteBytes(Path("empty.txt"), "# nothing named: every setting keeps its default\n");
    const char* models[] = {"Vant Norva low cost", "Norva 2 Keypad", "Vant Norva 4", "Norva 10",
                            "Norva 99"};
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(models[n]);
        const QString model = QString::number(n);
        Result r = Run({"--model", model, "import", "empty.txt", "defaults.nvs"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        ASSERT_EQ(Run({"--model", model, "export", "defaults.nvs", "defaults.txt"}).exitCode, 0);
        ASSERT_EQ(Run({"--model", model, "import", "defaults.txt", "back.nvs"}).exitCode, 0);
        EXPECT_EQ(cli::ReadBytes(Path("back.nvs")), cli::ReadBytes(Path("defaults.nvs")));
        EXPECT_TRUE(QString::fromUtf8(cli::ReadBytes(Path("defaults.txt")))
                        .contains(QStringLiteral("\ndoorphone.model = %1\n").arg(models[n])));

        r = Run({"--model", model, "show", "defaults.nvs"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), int(FieldCatalogue().size()));
        EXPECT_EQ(lines.value(0),
                  QStringLiteral("DoorPhone select | Type of DoorPhone (model) | %1 | "
                                 "doorphone.model")
                      .arg(models[n]));
        r = Run({"--model", model, "show", "defaults.nvs", "--json"});
        EXPECT_EQ(Json(r).value("model").toString(), models[n]);
    }
}

TEST_F(CliText, ADoorPhonesReadSurvivesTheTextForm) {
    ASSERT_EQ(Device({"read-all", "read.nvs"}).exitCode, 0);
    ASSERT_EQ(Run({"export", "read.nvs", "read.txt"}).exitCode, 0);
    const Result r = Run({"import", "read.txt", "back.nvs"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(cli::ReadBytes(Path("back.nvs")), cli::ReadBytes(Path("read.nvs")));

    const QJsonObject json = Json(Run({"show", "read.nvs", "--json"}));
    const QJsonArray numbers = json.value("numbers").toArray();
    ASSERT_EQ(numbers.size(), 99);
    EXPECT_EQ(numbers[0].toObject().value("night").toObject().value("value").toString(), "*0#P");
    for (const QJsonValue& v : json.value("settings").toArray())
        if (v.toObject().value("name").toString() == "keyboard.place") {
            EXPECT_EQ(v.toObject().value("raw").toString(), "3");
            EXPECT_EQ(v.toObject().value("value").toString(), "Keyboard on 3th. place");
        }
}

// One setting on every page that has one, changed in a file by its name.
TEST_F(CliText, SetChangesAFileOnEveryPage) {
    cli::SaveModel(Path("in.nvs"), phone_);
    const struct {
        const char* assignment;
        const char* field;
        const char* value; // as the model holds it
    } cases[] = {
        {"doorphone.basic_buttons=1", "Edit91", "1"},
        {"numbers.mode=two_groups", "GroupBox2", "RadioButton3"},
        {"day_night.night_code=*9", "Edit5", "*9"},
        {"keyboard.dtmf_in_call=hash", "GroupBox10", "RadioButton24"},
        {"relay2.delay=30", "Edit6", "30"},
        {"relay1.pulse_gap=0.5", "Edit11", "0.5"},
        {"relay1.external.night.two_pulses=4711", "Edit34", "4711"},
        {"code_relay.enabled=on", "CheckBox13", "1"},
        {"relay2.button=", "Edit12", ""},
        {"relay2.external.day_night.3=555", "Edit37", "555"},
        {"call.rings_before_answer=4", "Edit54", "4"},
        {"dial.dtmf_space=70", "Edit60", "70"},
        {"audio.transmit_level=12", "ComboBox8", "12"},
        {"day_night.saturday.night_minute=5", "Edit90", "05"},
        {"system.mute_at_lock=on", "CheckBox14", "1"},
        {"button99.night=112", "Edit290", "112"},
    };
    QStringList args{"set", "in.nvs", "out.nvs"};
    for (const auto& c : cases) args << QString::fromUtf8(c.assignment);
    const Result r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    SettingsModel out;
    cli::LoadModel(Path("out.nvs"), out);
    for (const auto& c : cases) {
        const FieldDef* def = FindField(QString::fromLatin1(c.field));
        const QString value = def->style == ChoiceStyle::RadioGroup ? out.ChoiceText(def->name)
                                                                    : out.ValueString(def->name);
        EXPECT_EQ(value, QString::fromUtf8(c.value)) << c.assignment;
    }
    // Everything else is as it was.
    EXPECT_EQ(out.Text("Edit1"), "4071");
    EXPECT_EQ(out.Text(FirstNumberField(1)), "0123456789");
}

TEST_F(CliText, BadInputIsSaidWithItsPlaceAndWritesNothing) {
    cli::SaveModel(Path("in.nvs"), phone_);
    cli::WriteBytes(Path("bad.txt"), "service.password = 1111\nrelay1.mode = 9\n");
    const struct {
        QStringList args;
        const char* err;
    } cases[] = {
        {{"set", "in.nvs", "out.nvs", "relay1.pulse_time=1.5"},
         "relay1.pulse_time = 1.5: takes 0.5 or 1 ... 99 sec"},
        {{"set", "in.nvs", "out.nvs", "nosuch=1"}, "nosuch = 1: no setting of this name"},
        {{"set", "in.nvs", "out.nvs"}, "usage: norvaset-cli [options] set IN.nvs OUT.nvs"},
        {{"set", "missing.nvs", "out.nvs", "service.password=1111"}, "missing.nvs: File not found"},
        {{"import", "bad.txt", "out.nvs"}, "bad.txt: line 2: relay1.mode = 9: not one of"},
        {{"import", "missing.txt", "out.nvs"}, "missing.txt: File not found"},
        {{"export", "missing.nvs", "out.txt"}, "missing.nvs: File not found"},
        {{"export", "in.nvs", "no/such/folder/out.txt"}, "cannot be written here"},
        {{"show", "in.nvs", "--write"}, "--write belongs to 'set --device'"},
        {{"read-all", "out.nvs", "--json"}, "--json belongs to 'status', 'diff' and 'show'"},
        {{"export", "in.nvs", "out.txt", "--device"}, "--device belongs to 'diff' and 'set'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Path("out.nvs")));
        EXPECT_FALSE(QFileInfo::exists(Path("out.txt")));
    }
}

TEST_F(CliText, SetOnTheDoorPhoneWritesBackThroughTheGuardedWrite) {
    const QByteArray blockBefore = cli::ReadBytes(Path("phone/parameters.bin"));
    // A refused value: the door phone is read, nothing is saved or written.
    Result r = Device({"set", "--device", "out.nvs", "relay1.pulse_time=1.5", "--write"});
    EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("out.nvs")));
    EXPECT_EQ(cli::ReadBytes(Path("phone/parameters.bin")), blockBefore);
    // A misspelt name is said before the door phone is asked for anything.
    r = Device({"set", "--device", "out.nvs", "relay1.pulse=3", "--write"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(r.err.contains("Backup saved")) << r.err.toStdString();

    r = Device(
        {"set", "--device", "out.nvs", "relay1.pulse_time=3", "button5.day=0601", "--write"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    SettingsModel saved, back;
    cli::LoadModel(Path("out.nvs"), saved);
    EXPECT_EQ(saved.Text("Edit10"), "3");
    ASSERT_EQ(Device({"read-all", "back.nvs"}).exitCode, 0);
    cli::LoadModel(Path("back.nvs"), back);
    EXPECT_EQ(back.Text("Edit10"), "3");
    EXPECT_EQ(back.Text(FirstNumberField(5)), "0601");
    EXPECT_EQ(back.Text("Edit1"), phone_.Text("Edit1"));
    EXPECT_EQ(quint8(cli::ReadBytes(Path("phone/parameters.bin"))[60]), 6); // byte 61

    // Only what changed is written: the numbers alone leave the parameters to the door phone.
    r = Device({"set", "--device", "out.nvs", "button5.night=77", "--write"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = Device({"set", "--device", "out.nvs", "button5.night=77", "--write"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("nothing written")) << r.err.toStdString();
}

TEST_F(CliText, StatusAndDiffAsJson) {
    const QJsonObject status = Json(Device({"status", "--json"}));
    EXPECT_EQ(status.value("version").toString(), "2.53");
    EXPECT_EQ(status.value("resets").toInt(-1), 7);
    EXPECT_EQ(status.value("mode").toString(), "day");
    EXPECT_EQ(status.value("usb").toString(), "OK-Norva");

    cli::SaveModel(Path("a.nvs"), phone_);
    SettingsModel other;
    other.CopyFrom(phone_);
    other.SetText("Edit7", "012"); // the same button as "12"
    other.SetText("Edit64", "45");
    cli::SaveModel(Path("b.nvs"), other);
    const Result r = Run({"diff", "a.nvs", "b.nvs", "--json"});
    EXPECT_EQ(r.exitCode, 1);
    const QJsonObject diff = Json(r);
    EXPECT_FALSE(diff.value("equal").toBool(true));
    const QJsonArray rows = diff.value("differences").toArray();
    ASSERT_EQ(rows.size(), 1) << r.out.toStdString();
    const QJsonObject row = rows[0].toObject();
    EXPECT_EQ(row.value("a").toString(), "07:30");
    EXPECT_EQ(row.value("b").toString(), "07:45");
    EXPECT_EQ(row.value("names").toArray().toVariantList(),
              QVariantList({"day_night.sunday.day_hour", "day_night.sunday.day_minute"}));
    const Result same = Run({"diff", "a.nvs", "a.nvs", "--json"});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_TRUE(Json(same).value("equal").toBool());
}

TEST_F(CliText, NamesListEverySettingOnce) {
    const Result r = Run({"names"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), int(FieldCatalogue().size()));
    EXPECT_TRUE(lines.contains("relay1.pulse_time | Relay 1 | 371 Pulse duration | 0.5 or 1 ... 99 "
                               "sec"));
    EXPECT_TRUE(lines.contains("button50.night | Buttons 41-50 | Button 50 - Night / Group2 | up "
                               "to 24 of 0-9 * # P R F, or empty"));
}
