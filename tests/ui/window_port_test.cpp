// The window on a real serial port (the pseudo-terminal simulator behind --port) and the
// real clock: a write that runs through a freeze of the window itself ends verified, and a
// door phone that goes away and comes back at the same path is let go and found again.
// These run in real time.
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "sim_process.h"
#include "window_harness.h"

#include <QFile>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

namespace {

// The window with its own timers on the real clock, its cable a port path that a link
// points at the simulator's terminal (so that a new simulator can take the same path).
struct PortRig {
    QTemporaryDir home;
    QTemporaryDir state;
    QString port = home.filePath("door");
    std::unique_ptr<SimProcess> sim;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> window;

    PortRig() {
        StartSimulator();
        MainWindowOptions options;
        options.home = home.path();
        options.backend.port = port;
        options.dialogs = &dialogs;
        window = std::make_unique<TForm1>(options);
        window->show();
        dialogs.shown.clear(); // start-up's own remarks (an empty program folder)
    }
    ~PortRig() {
        dialogs.answers = {false};
        window->close();
    }
    void StartSimulator() {
        sim = std::make_unique<SimProcess>(QStringList{"--state", state.path()});
        QFile::remove(port);
        QFile::link(sim->Path(), port);
    }
    // A pulled cable takes its device node with it. A link left behind would point at a
    // terminal number that the next simulator on this machine (another test) is given, and
    // the window would find that door phone instead.
    void PullCable() {
        sim->Stop();
        QFile::remove(port);
    }
    bool WaitFor(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }
    bool Idle() const {
        return !window->Guarded().Busy() && !window->Comm().TransferActive() &&
               !window->Comm().ContinuationPending();
    }
};

} // namespace

class WindowPort : public ::testing::TestWithParam<int> {};

// Write parameters with backup and verify; the window stands still for 1 s or 3 s in the
// middle of the write itself, as a loaded machine makes it.
TEST_P(WindowPort, AWriteThroughAFrozenWindowEndsVerified) {
    const int freezeMs = GetParam();
    PortRig rig;
    ASSERT_TRUE(rig.WaitFor([&] { return rig.window->DeviceCommandsOn(); }, 10000));
    rig.window->Model().SetText("Edit54", "7");
    rig.dialogs.answers = {true}; // the button-count question
    bool frozen = false;
    rig.window->Guarded().onStep = [&](const QString& step) {
        if (step != QLatin1String("Writing to the door phone")) return;
        // The bracket takes a second; then the bytes go, and the window stops.
        QTimer::singleShot(1200, [&] {
            frozen = true;
            QThread::msleep(freezeMs);
        });
    };
    rig.window->Action("Writeparameters1")->trigger();
    ASSERT_TRUE(rig.WaitFor([&] { return frozen && rig.Idle(); }, 120000));
    EXPECT_TRUE(MessageTexts(rig.dialogs.shown).isEmpty())
        << MessageTexts(rig.dialogs.shown).join('|').toStdString();
    EXPECT_TRUE(rig.window->statusBar()->currentMessage().startsWith("Write verified"))
        << rig.window->statusBar()->currentMessage().toStdString();
    rig.PullCable();
    SettingsModel stored;
    CommLog log;
    QFile f(QDir(rig.state.path()).filePath("parameters.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    ASSERT_TRUE(DecodeParameterBlock(f.readAll(), stored, log, [](BlockRefusal) {}).accepted);
    EXPECT_EQ(stored.Text("Edit54"), "7");
}

INSTANTIATE_TEST_SUITE_P(RealTime, WindowPort, ::testing::Values(1000, 3000));

// The simulator ends (the cable is pulled) while the window polls, and again in the middle
// of a read; each time the window lets the port go, says so, and finds the door phone
// again once a new one answers at the same path.
TEST(WindowPortRealTime, ADoorPhoneThatGoesIsFoundAgainAtTheSamePath) {
    PortRig rig;
    ASSERT_TRUE(rig.WaitFor([&] { return rig.window->DeviceCommandsOn(); }, 10000));
    for (const bool midTransfer : {false, true}) {
        SCOPED_TRACE(midTransfer ? "in the middle of a read" : "while polling");
        rig.dialogs.shown.clear();
        if (midTransfer) {
            rig.window->Action("Readall1")->trigger();
            QTest::qWait(3000); // the bracket, then records
        }
        rig.PullCable();
        // The status line no longer claims the cable once the poll has had its turn.
        ASSERT_TRUE(rig.WaitFor(
            [&] {
                return !rig.window->DeviceCommandsOn() && rig.Idle() &&
                       !rig.window->StatusPanelText(0).contains("OK-Norva");
            },
            20000));
        EXPECT_TRUE(rig.window->Link().Lost());
        EXPECT_FALSE(rig.window->Action("Readparameters1")->isEnabled());

        rig.StartSimulator();
        ASSERT_TRUE(rig.WaitFor([&] { return rig.window->DeviceCommandsOn(); }, 10000));
        rig.dialogs.shown.clear();
        rig.window->Action("Readparameters1")->trigger();
        ASSERT_TRUE(rig.WaitFor(
            [&] {
                return rig.Idle() && rig.window->statusBar()->currentMessage().startsWith(
                                         "Read from the door phone");
            },
            30000));
        EXPECT_TRUE(MessageTexts(rig.dialogs.shown).isEmpty());
    }
}

// Twenty guarded "Write all" runs in a row (backup, write, read back) on the real port,
// every one verified. Run by hand on a loaded machine (two CPU hogs beside it):
//   norva_ui_tests --gtest_also_run_disabled_tests --gtest_filter='*TwentyWriteAll*'
TEST(WindowPortRealTime, DISABLED_TwentyWriteAllInARowAllVerified) {
    PortRig rig;
    ASSERT_TRUE(rig.WaitFor([&] { return rig.window->DeviceCommandsOn(); }, 10000));
    for (int run = 1; run <= 20; ++run) {
        SCOPED_TRACE(run);
        rig.window->Model().SetText(FirstNumberField(run), QString::number(run * 1111));
        rig.dialogs.answers = {true}; // the button-count question
        rig.dialogs.shown.clear();
        rig.window->Action("Writeall1")->trigger();
        ASSERT_TRUE(rig.WaitFor([&] { return rig.Idle(); }, 300000));
        EXPECT_TRUE(MessageTexts(rig.dialogs.shown).isEmpty())
            << MessageTexts(rig.dialogs.shown).join('|').toStdString();
        EXPECT_TRUE(rig.window->statusBar()->currentMessage().startsWith("Write verified"))
            << rig.window->statusBar()->currentMessage().toStdString();
    }
}
