// norvaset-cli against the pseudo-terminal simulator in real time, with one side stopped in
// the middle of a write (SIGSTOP, then SIGCONT) as a loaded machine stops a process: the
// write ends with the door phone holding exactly what was sent, and says so.

#include "cli_harness.h"

#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <sys/types.h>

namespace {

using namespace cli;

struct Stall {
    const char* name;
    bool stopSimulator; // else the command line is stopped
    int afterMs;        // from the start of the command
    int forMs;
};

const Stall kStalls[] = {
    {"CommandLine1sInTheParameterWrite", false, 2600, 1000},
    {"CommandLine3sInTheNumberWrite", false, 5000, 3000},
    {"Simulator1sInTheParameterWrite", true, 2600, 1000},
    {"Simulator3sInTheNumberWrite", true, 5000, 3000},
};

class RealTimeStall : public CliTest, public ::testing::WithParamInterface<Stall> {};

} // namespace

// A whole "Write all" (about 17 s on the line) with one process stopped on the way.
TEST_P(RealTimeStall, WriteAllEndsWithTheDoorPhoneHoldingWhatWasSent) {
    const Stall& s = GetParam();
    SettingsModel m;
    MakeInstallerSettings(m);
    SaveModel(Path("site.nvs"), m);
    // The block the write sends to the simulator: day mode, 7 resets.
    ASSERT_EQ(Run({"encode", "site.nvs", "site.bin", "--day-mode", "--resets", "7"}).exitCode, 0);
    const QByteArray expected = ReadBytes(Path("site.bin"));
    QTemporaryDir state;
    SimProcess sim({QStringLiteral("--state"), state.path()});
    ASSERT_FALSE(sim.Path().isEmpty());

    QProcess cliProcess;
    cliProcess.setWorkingDirectory(dir_.path());
    QDir().mkpath(Path("home"));
    cliProcess.start(BinPath("norvaset-cli"), {"--home", Path("home"), "--port", sim.Path(),
                                               "write-all", Path("site.nvs"), "--no-backup"});
    ASSERT_TRUE(cliProcess.waitForStarted(10000));
    const qint64 stopped = s.stopSimulator ? sim.Pid() : cliProcess.processId();
    QThread::msleep(s.afterMs);
    ASSERT_EQ(::kill(pid_t(stopped), SIGSTOP), 0);
    QThread::msleep(s.forMs);
    ASSERT_EQ(::kill(pid_t(stopped), SIGCONT), 0);
    ASSERT_TRUE(cliProcess.waitForFinished(180000));
    const QString err = QString::fromLocal8Bit(cliProcess.readAllStandardError());
    EXPECT_EQ(cliProcess.exitCode(), 0) << err.toStdString();

    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(ReadBytes(QDir(state.path()).filePath("numbers.bin")), NumberMemoryOf(m));
    EXPECT_EQ(ReadBytes(QDir(state.path()).filePath("parameters.bin")).left(255),
              expected.left(255));
}

INSTANTIATE_TEST_SUITE_P(Stopped, RealTimeStall, ::testing::ValuesIn(kStalls),
                         [](const auto& info) { return std::string(info.param.name); });
