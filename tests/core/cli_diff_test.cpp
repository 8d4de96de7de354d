// norvaset-cli diff A.nvs B.nvs: one line per difference, exit 0 equal, 1 different,
// 2 a file that cannot be read.
#include "cli_harness.h"

#include <QTemporaryDir>

using namespace cli;

TEST(CliDiff, OneLinePerDifferenceAndTheExitCodeSaysWhether) {
    QTemporaryDir dir;
    SettingsModel base;
    SaveModel(dir.filePath("base.nvs"), base);
    const struct {
        const char* what;
        std::function<void(SettingsModel&)> change;
        const char* line;
    } cases[] = {
        {"text", [](SettingsModel& m) { m.SetText("Edit7", "12"); },
         "Relay 1 | 311* Number of button | 01 | 12"},
        {"radio group", [](SettingsModel& m) { m.SelectRadioButton("RadioButton6"); },
         "Basic parameters | 42 Prolong conversation | *    - star | #    - hash"},
        {"list", [](SettingsModel& m) { m.SetChoice("ComboBox17", 11); },
         "Time parameters | 52 Maximum call duration | 2 | 30"},
        {"flag", [](SettingsModel& m) { m.SetFlag("CheckBox11", true); },
         "System parameters | 67 Baby call function | off | on"},
        {"day/night start", [](SettingsModel& m) { m.SetText("Edit89", "23"); },
         "Automatic Day-Night | 06 Saturday - Starting night | 00:00 | 23:00"},
        {"number", [](SettingsModel& m) { m.SetText(FirstNumberField(91), "*0#P"); },
         "Buttons 91-99 | Button 91 - Day / Group1 | (empty) | *0#P"},
    };
    for (const auto& c : cases) {
        SettingsModel changed;
        changed.CopyFrom(base);
        c.change(changed);
        SaveModel(dir.filePath("b.nvs"), changed);
        const Result r =
            cli::Run(dir.path(), {"diff", dir.filePath("base.nvs"), dir.filePath("b.nvs")});
        EXPECT_EQ(r.exitCode, 1) << c.what << "\n" << r.err.toStdString();
        EXPECT_EQ(r.out, QString::fromUtf8(c.line) + "\n") << c.what;
    }
    const Result same =
        cli::Run(dir.path(), {"diff", dir.filePath("base.nvs"), dir.filePath("base.nvs")});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");
}

TEST(CliDiff, BadFilesAndUsage) {
    QTemporaryDir dir;
    SaveModel(dir.filePath("good.nvs"), SettingsModel());
    WriteBytes(dir.filePath("short.nvs"), QByteArray(100, ' '));
    const struct {
        QStringList args;
        int exitCode;
        const char* err;
    } cases[] = {
        {{"diff", dir.filePath("good.nvs"), dir.filePath("missing.nvs")}, 2, "File not found"},
        {{"diff", dir.filePath("short.nvs"), dir.filePath("good.nvs")}, 2, "short.nvs: "},
        {{"diff", dir.filePath("good.nvs")}, 2, "usage: norvaset-cli [options] diff A.nvs B.nvs"},
        {{"diff", "--verify", dir.filePath("good.nvs"), dir.filePath("good.nvs")},
         2,
         "--verify and --no-backup belong to the writes"},
        {{"status", "--device"}, 2, "--device belongs to 'diff'"},
    };
    for (const auto& c : cases) {
        const Result r = cli::Run(dir.path(), c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.err))) << c.args.join(' ').toStdString() << "\n"
                                                          << r.err.toStdString();
        EXPECT_EQ(r.out, "") << c.args.join(' ').toStdString();
    }
}
