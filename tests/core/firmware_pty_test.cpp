// norvaset-cli firmware against the pseudo-terminal simulator in real time: a loader that
// stalls, a loader that refuses a block, a loader left waiting by a run that was given up,
// and the command line itself stopped in the middle of a run. Outcomes only: the machine
// may be loaded, so no test holds a run to its timing.
#include "cli_harness.h"
#include "firmware_harness.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>

namespace {

class FirmwarePty : public cli::CliTest {
protected:
    // A short program: words 4 .. 0xFF in 63 blocks and the end block.
    static constexpr int kProgramEnd = 0x200;

    QString Hex(int programEnd = kProgramEnd) {
        const QString path = Path(QStringLiteral("door%1.hex").arg(programEnd));
        cli::WriteBytes(path, DoorPhoneHex(programEnd));
        return path;
    }
    QString State() const { return Path(QStringLiteral("phone")); }
    QByteArray Flashed() const { return cli::ReadBytes(State() + "/firmware.bin"); }
    QStringList Firmware(const cli::SimProcess& sim, const QString& hex) const {
        return {"--port", sim.Path(), "firmware", hex, "--yes"};
    }
};

} // namespace

TEST_F(FirmwarePty, LoaderFaultsEndAsTheyShould) {
    struct Case {
        QStringList simArgs;
        int exit;
        const char* out;
        const char* err; // a part of stderr: what happened
    };
    const Case cases[] = {
        {{"--loader-stall-at", "25", "1000"}, 0, "firmware: Finish\n", "took all 64 blocks"},
        {{"--loader-error-at-block", "3"},
         1,
         "firmware: ERROR\n",
         "the door phone answered 'E' to block 3 of 64"},
    };
    const QString hex = Hex();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.simArgs.join(' ').toStdString());
        QFile::remove(State() + "/firmware.bin");
        cli::SimProcess sim(QStringList{"--state", State()} + c.simArgs);
        ASSERT_TRUE(sim.Path().startsWith("/dev/")) << sim.Errors().toStdString();
        const cli::Result r = Run(Firmware(sim, hex));
        EXPECT_EQ(r.exitCode, c.exit) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_EQ(sim.Stop(), 0);
        if (c.exit == 0)
            EXPECT_EQ(Flashed(), DoorPhoneMemory(kProgramEnd));
        else
            EXPECT_TRUE(Flashed().isEmpty());
    }
}

// A run given up in the middle leaves the loader waiting for the rest of the image: it
// answers no status. The same command again goes on to the loader and finishes.
TEST_F(FirmwarePty, TheSameCommandAgainFinishesAGivenUpRun) {
    // The loader holds its answers 11 s: the first run gives up after 11 time-outs of
    // 0.8 s; the second starts the loader after its status request has waited in vain.
    cli::SimProcess sim({"--state", State(), "--loader-stall-at", "25", "11000"});
    ASSERT_TRUE(sim.Path().startsWith("/dev/")) << sim.Errors().toStdString();
    const QString hex = Hex();
    const cli::Result first = Run(Firmware(sim, hex));
    EXPECT_EQ(first.exitCode, 1) << first.err.toStdString();
    EXPECT_EQ(first.out, "firmware: ERROR/TIME\n");
    EXPECT_TRUE(first.err.contains("no answer for 0.8 s at block 3")) << first.err.toStdString();
    EXPECT_TRUE(Flashed().isEmpty());

    const cli::Result again = Run(Firmware(sim, hex));
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, "firmware: Finish\n");
    EXPECT_TRUE(again.err.contains("no status from the door phone")) << again.err.toStdString();
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(Flashed(), DoorPhoneMemory(kProgramEnd));
}

// The command line stopped for a second in the middle of a run (SIGSTOP, SIGCONT), as a
// loaded laptop or a stalled USB hub does it: the run still ends "Finish".
TEST_F(FirmwarePty, AStoppedCommandLineStillFinishes) {
    constexpr int kLong = 0x800; // 255 blocks, several seconds
    cli::SimProcess sim({"--state", State()});
    ASSERT_TRUE(sim.Path().startsWith("/dev/")) << sim.Errors().toStdString();
    const QString home = Path("home");
    QDir().mkpath(home);
    QProcess cliProcess;
    cliProcess.setWorkingDirectory(Path("."));
    cliProcess.start(cli::BinPath("norvaset-cli"),
                     QStringList{"--home", home} + Firmware(sim, Hex(kLong)));
    ASSERT_TRUE(cliProcess.waitForStarted(10000));
    cliProcess.closeWriteChannel();
    // The first progress line comes with the first tick of the run.
    QByteArray err;
    QElapsedTimer waited;
    waited.start();
    while (!err.contains("block ") && waited.elapsed() < 60000 &&
           cliProcess.state() == QProcess::Running) {
        cliProcess.waitForReadyRead(200);
        err += cliProcess.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("block ")) << err.toStdString();
    QThread::msleep(1500);
    const qint64 pid = cliProcess.processId();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid_t(pid), SIGSTOP), 0);
    QThread::msleep(1000);
    ASSERT_EQ(::kill(pid_t(pid), SIGCONT), 0);
    ASSERT_TRUE(cliProcess.waitForFinished(120000));
    err += cliProcess.readAllStandardError();
    EXPECT_EQ(cliProcess.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cliProcess.exitCode(), 0) << err.toStdString();
    EXPECT_EQ(cliProcess.readAllStandardOutput(), "firmware: Finish\n");
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(Flashed(), DoorPhoneMemory(kLong));
}
