// The window's own timers on the real clock: a read from the simulated door phone runs
// from the menu to the pages with nobody ticking the engine by hand.
#include "ParameterBlock.h"
#include "window_harness.h"

TEST(WindowRealTime, ReadParametersWithTheWindowTimers) {
    QTemporaryDir home;
    ScriptedDialogs dialogs;
    MainWindowOptions options;
    options.home = home.path();
    options.backend.simulator = true;
    options.dialogs = &dialogs;
    TForm1 window(options);
    window.show();
    dialogs.shown.clear(); // the start-up's own messages
    auto* sim = dynamic_cast<SimDoorPhone*>(window.DeviceBackendInUse().farEnd.get());
    ASSERT_NE(sim, nullptr);
    SettingsModel device;
    device.SetText("Edit59", "150");
    sim->SetParameters(EncodeParameterBlock(device, {}).bytes);

    QAction* read = window.Action("Readparameters1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return read->isEnabled(); }, 5000)); // first poll tick
    read->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window.Model().Text("Edit59") == "150" && !window.Comm().TransferActive(); },
        10000))
        << window.Model().Text("Edit59").toStdString() << " active "
        << window.Comm().TransferActive() << " cmd "
        << static_cast<int>(window.Comm().State().exchange) << " waiting "
        << window.Comm().State().Waiting() << " t1 "
        << window.Comm().TimerRunning(EngineTimer::Transfer) << " msgs "
        << dialogs.Texts().join("|").toStdString();
    EXPECT_EQ(qobject_cast<QLineEdit*>(window.Control("Edit59"))->text(), QString("150"));
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.Texts().join("|").toStdString();
    dialogs.answers = {false};
    window.close();
}
