// Closing with settings that were to be saved, and backups named by the PC's clock.
#include "SettingsFile.h"
#include "window_harness.h"

namespace {
const char* const kEdited = "4321"; // Edit1, the service password
} // namespace

// "Yes" to the save question runs Save as; the window closes only when the settings were
// written. Cancelled or failed, the window stays with the edits and goes on polling.
TEST(WindowClose, SettingsToBeSavedAreNeverThrownAway) {
    const struct {
        const char* name;
        QList<bool> answers; // the save question, then the replace question
        QStringList files;   // the save dialog's answers ("" cancelled)
        bool closes;
        const char* written; // file holding the edits afterwards, "" none
        bool key1;           // closed through the key program's item
    } cases[] = {
        {"no", {false}, {}, true, "", false},
        {"yes, saved", {true}, {"kept.nvs"}, true, "kept.nvs", false},
        {"yes, the dialog cancelled", {true}, {""}, false, "", false},
        {"yes, the file cannot be written", {true}, {"no-such-folder/x.nvs"}, false, "", false},
        {"yes, replace refused, then cancelled", {true, false}, {"old.nvs", ""}, false, "", false},
        {"key program, the dialog cancelled", {true}, {""}, false, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig rig;
        rig.Connect();
        const QString home = rig.home.path();
        WriteTextFile(home + "/old.nvs", "old");
        rig.Model().SetText("Edit1", kEdited);
        rig.dialogs.answers = c.answers;
        for (const QString& f : c.files)
            rig.dialogs.fileAnswers << (f.isEmpty() ? f : home + "/" + f);
        if (c.key1)
            rig.window->key1Click();
        else
            rig.window->Action("Exit1")->trigger();

        EXPECT_EQ(rig.window->isVisible(), !c.closes);
        if (*c.written) {
            SettingsModel back;
            CommLog log;
            ReadSettingsFile(home + "/" + c.written, back, log);
            EXPECT_EQ(back.Text("Edit1"), QString(kEdited));
        }
        EXPECT_EQ(QFile(home + "/old.nvs").size(), 3) << "an existing file is kept";
        if (c.closes) continue;
        EXPECT_EQ(rig.Model().Text("Edit1"), QString(kEdited));
        EXPECT_FALSE(rig.window->LaunchKeyProgram());
        // The window is as before: the poll runs, the door phone is used as before.
        EXPECT_TRUE(rig.window->Comm().TimerRunning(EngineTimer::Poll));
        rig.RunFor(3000);
        EXPECT_TRUE(rig.window->DeviceCommandsOn());
        rig.dialogs.shown.clear();
        rig.Transfer("Readparameters1");
        EXPECT_TRUE(MessageTexts(rig.dialogs.shown).isEmpty())
            << rig.Messages().join("|").toStdString();
        // A later close asks again.
        rig.dialogs.answers = {false};
        rig.window->close();
        EXPECT_FALSE(rig.window->isVisible());
    }
}

// A close in the middle of a transfer would leave the door phone half written: the window
// says so and stays; once the transfer has ended it closes.
TEST(WindowClose, NotInTheMiddleOfATransfer) {
    WindowRig rig;
    rig.Connect();
    ASSERT_TRUE(rig.window->Comm().ReadAll());
    rig.RunFor(300);
    ASSERT_TRUE(rig.window->Comm().TransferActive());
    rig.window->close();
    EXPECT_TRUE(rig.window->isVisible());
    EXPECT_EQ(MessageTexts(rig.dialogs.shown),
              QStringList{"The door phone is being read or written. Close NorvaSet when the "
                          "transfer has ended."});
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.window->Comm().TransferActive(); }));
    rig.dialogs.answers = {false};
    rig.window->close();
    EXPECT_FALSE(rig.window->isVisible());
}

// The simulated door phone's clock runs ahead of the PC's; backups are named by the PC's,
// so that they sort in the order they were made.
TEST(WindowClose, BackupsAreNamedByThePcClock) {
    WindowRig rig;
    rig.clock.Advance(400LL * 24 * 3600 * 1000);
    rig.Connect();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    rig.Transfer("Readparameters1");
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QStringList backups =
        QDir(rig.home.path() + "/Backups").entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(backups.size(), 1);
    const QDateTime named =
        QDateTime::fromString(backups[0].left(19), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    ASSERT_TRUE(named.isValid()) << backups[0].toStdString();
    EXPECT_GE(named, before.addMSecs(-before.time().msec())) << backups[0].toStdString();
    EXPECT_LE(named, after) << backups[0].toStdString();
}
