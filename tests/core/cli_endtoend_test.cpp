// norvaset-cli against a door phone with a memory of its own: the in-process simulator
// (--simulator=DIR) and norva-doorphone-sim on a pseudo-terminal, reached through the real
// serial backend (--port). The pseudo-terminal runs in real time at 9600 baud, so only a
// few cases go that way.
#include "cli_harness.h"

#include <QTemporaryDir>
#include <memory>

using cli::Result;

namespace {

enum class Line { Simulator, PseudoTerminal };

class CliEndToEnd : public ::testing::TestWithParam<Line> {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(cli::BinPath("norvaset-cli")));
        ASSERT_TRUE(QFileInfo::exists(cli::BinPath("norva-doorphone-sim")));
        ASSERT_TRUE(dir_.isValid());
        state_ = dir_.filePath("phone");
        QDir().mkpath(state_);
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Starts the door phone (for the pseudo-terminal) and gives the cable options.
    QStringList Door(const QStringList& simArgs = {}) {
        if (GetParam() == Line::Simulator) return {"--simulator=" + state_};
        if (!sim_) {
            sim_ = std::make_unique<cli::SimProcess>(QStringList{"--state", state_} + simArgs);
            EXPECT_TRUE(sim_->Path().startsWith("/dev/")) << sim_->Errors().toStdString();
        }
        return {"--port", sim_->Path()};
    }
    Result Run(const QStringList& args) { return cli::Run(dir_.path(), args); }
    QByteArray Memory(const char* file) { return cli::ReadBytes(state_ + "/" + file); }

    QTemporaryDir dir_;
    QString state_;
    std::unique_ptr<cli::SimProcess> sim_;
};

} // namespace

TEST_P(CliEndToEnd, ReadAllGivesTheDoorPhonesMemory) {
    SettingsModel seed;
    cli::MakeInstallerSettings(seed);
    cli::SeedDoorPhone(state_, seed);

    const Result r = Run(Door() + QStringList{"read-all", "door.nvs"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    SettingsModel read;
    cli::LoadModel(Path("door.nvs"), read);
    for (const QString& field : cli::BlockFields())
        EXPECT_EQ(read.ValueString(field), seed.ValueString(field)) << field.toStdString();
    for (int record : NumberRecordOrder()) {
        const QString field = NumberFieldForRecord(record);
        EXPECT_EQ(read.Text(field), seed.Text(field)) << field.toStdString();
    }
}

TEST_P(CliEndToEnd, WriteAllStoresWhatEncodeBuildsAndTheNumbers) {
    SettingsModel file;
    cli::MakeInstallerSettings(file);
    file.SetText("Edit1", "9876");
    file.SelectRadioButton("RadioButton1");
    file.SetText(FirstNumberField(2), "5551234");
    cli::SaveModel(Path("changed.nvs"), file);

    const Result r = Run(Door() + QStringList{"write-all", "changed.nvs"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    // No model template here: the button count is shown, so it is asked and taken as Yes.
    EXPECT_TRUE(r.err.contains("-->>>  2  <<<--  Yes")) << r.err.toStdString();

    // The door phone reported day mode and 7 resets before the write: the block says so.
    ASSERT_EQ(Run({"encode", "changed.nvs", "changed.bin", "--day-mode", "--resets", "7"}).exitCode,
              0);
    const QByteArray expected = cli::ReadBytes(Path("changed.bin"));
    const QByteArray parameters = Memory("parameters.bin");
    ASSERT_EQ(parameters.size(), kParameterBlockSize);
    // Byte 256 is never sent: it keeps what the memory held.
    EXPECT_EQ(parameters.left(255), expected.left(255));
    EXPECT_EQ(quint8(parameters[27]), 1) << "the write must not switch the door phone to night";
    SettingsModel asRead;
    cli::LoadModel(Path("changed.nvs"), asRead);
    EXPECT_EQ(Memory("numbers.bin"), cli::NumberMemoryOf(asRead));
}

INSTANTIATE_TEST_SUITE_P(Lines, CliEndToEnd,
                         ::testing::Values(Line::Simulator, Line::PseudoTerminal),
                         [](const auto& info) {
                             return info.param == Line::Simulator ? "Simulator" : "PseudoTerminal";
                         });

// A door phone that misbehaves fails the command with the window's message: exit 1.
TEST(CliPseudoTerminal, DoorPhoneFaultsExitOneWithTheirMessage) {
    ASSERT_TRUE(QFileInfo::exists(cli::BinPath("norva-doorphone-sim")));
    QTemporaryDir dir;
    SettingsModel m;
    cli::MakeInstallerSettings(m);
    cli::SaveModel(dir.filePath("in.nvs"), m);
    struct Case {
        QStringList simArgs;
        QStringList command;
        const char* err;
    } cases[] = {
        {{"--silent"}, {"status"}, "Communication error - Norva DoorPhone is not connect\n"},
        {{"--error-at-byte", "10"},
         {"write-parameters", "in.nvs"},
         "Error in communication  ...E\n"},
        {{"--unplug-after", "100"},
         {"read-parameters", "out.nvs"},
         "Communication error - Norva DoorPhone is not connect\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.simArgs.join(' ').toStdString());
        const QString state = dir.filePath("phone-" + c.simArgs[0].mid(2));
        cli::SimProcess sim(QStringList{"--state", state} + c.simArgs);
        ASSERT_TRUE(sim.Path().startsWith("/dev/"));
        const QByteArray before = cli::ReadBytes(state + "/parameters.bin");
        const Result r = cli::Run(dir.path(), QStringList{"--port", sim.Path()} + c.command);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.nvs")));
        EXPECT_EQ(sim.Stop(), 0);
        EXPECT_EQ(cli::ReadBytes(state + "/parameters.bin"), before) << "nothing was stored";
    }
}
