// The Communicator menu of the window against the simulated door phone on the virtual
// clock: a field whose value is refused stops a command before anything starts; a write
// that breaks off says what the door phone may now hold and offers to write again; the
// end of each command is confirmed; a cable that goes is let go and found again.
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "window_harness.h"

#include <QProgressBar>
#include <QStatusBar>

namespace {

const QString kRefused = QStringLiteral("Password must be long 4 digit");

QStringList BackupsIn(const QString& home) {
    return QDir(home + "/Backups").entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST(WindowCommands, ARefusedFieldStopsTheCommandBeforeAnythingStarts) {
    for (const char* action :
         {"Writeparameters1", "Writeall1", "Readparameters1", "Readall1", "SendtimefromPC1"}) {
        SCOPED_TRACE(action);
        WindowRig rig;
        rig.Connect();
        rig.Sim()->ClearLineRecord();
        rig.Enter("Edit1");
        rig.Edit("Edit1")->selectAll();
        QTest::keyClicks(rig.W("Edit1"), "12");
        rig.dialogs.shown.clear();

        rig.window->Action(QLatin1String(action))->trigger();
        rig.RunFor(5000);
        // The field's own message, once; nothing read, backed up or written.
        EXPECT_EQ(MessageTexts(rig.dialogs.shown), QStringList{kRefused});
        EXPECT_FALSE(rig.Sim()->ReceivedFromHost().contains('R'));
        EXPECT_FALSE(rig.Sim()->ReceivedFromHost().contains('W'));
        EXPECT_TRUE(BackupsIn(rig.home.path()).isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), rig.W("Edit1"));
        EXPECT_FALSE(rig.window->Guarded().Busy());
    }
}

// With the value mended, the same write goes through, and its steps and end are shown.
TEST(WindowCommands, EachStepIsNamedAndTheEndIsConfirmed) {
    WindowRig rig;
    rig.Connect();
    auto* bar = qobject_cast<QProgressBar*>(rig.W("pbPB"));
    ASSERT_NE(bar, nullptr);
    QStringList captions;
    rig.window->Guarded().onStep = [&](const QString& text) {
        captions << text;
        bar->setFormat(text); // as the window's own handler does
    };
    rig.dialogs.answers = {true}; // the button-count question
    rig.Transfer("Writeall1");
    EXPECT_EQ(captions.size(), 4) << captions.join('|').toStdString();
    // The bar keeps no caption for the next command, and the status line has the end.
    EXPECT_FALSE(bar->isTextVisible());
    const QString confirmed = rig.window->statusBar()->currentMessage();
    EXPECT_TRUE(confirmed.startsWith("Write verified - Backup saved: ")) << confirmed.toStdString();
    EXPECT_TRUE(confirmed.endsWith(BackupsIn(rig.home.path()).last()));
    EXPECT_TRUE(MessageTexts(rig.dialogs.shown).isEmpty());
}

// A write that breaks off in the middle says that the door phone may now hold a mix,
// names the backup of what it held, and offers to write again; Yes writes it whole.
TEST(WindowCommands, AWriteThatBreaksOffOffersToWriteAgain) {
    for (const bool again : {true, false}) {
        SCOPED_TRACE(again ? "Yes" : "No");
        WindowRig rig;
        rig.Connect();
        rig.Model().SetText(FirstNumberField(9), "4711");
        // Record 9 is refused once, in the write: the number half stops there.
        rig.window->Guarded().onStep = [&rig, armed = true](const QString& step) mutable {
            if (!armed || step != QLatin1String("Writing to the door phone")) return;
            armed = false;
            rig.Sim()->ClearLineRecord();
            rig.Sim()->faults().errorAtRecord = 9;
            rig.Sim()->faults().errorRepeats = 1;
        };
        // The button-count question, write again, and the question once more.
        rig.dialogs.answers = {true, again, true};
        rig.Transfer("Writeall1");
        rig.RunUntil([&] { return !rig.window->Guarded().Busy(); });

        QString offer;
        for (const auto& shown : rig.dialogs.shown)
            if (shown.text.contains("may now hold a mix of old and new settings"))
                offer = shown.text;
        ASSERT_FALSE(offer.isEmpty()) << rig.Messages().join('|').toStdString();
        const QStringList backups = BackupsIn(rig.home.path());
        ASSERT_EQ(backups.size(), 1) << "one backup: the one from before the first try";
        EXPECT_TRUE(offer.contains(backups.first()));
        EXPECT_TRUE(offer.endsWith("Write again?"));
        rig.Sim()->Settle();
        EXPECT_EQ(rig.Sim()->Record(9) == EncodeDialNumber("4711"), again);
        if (again) {
            EXPECT_TRUE(rig.window->statusBar()->currentMessage().startsWith("Write verified"));
        }
    }
}

// The cable goes in the middle of a read: the read ends with its message, the status line
// shows the connection as lost and the device commands go off; the poll finds the cable
// again once it is back, and the commands work again.
TEST(WindowCommands, ACableThatGoesIsLetGoAndFoundAgain) {
    WindowRig rig;
    rig.Connect();
    auto& backend = *rig.window->DeviceBackendInUse().sim;
    rig.Sim()->AttachTo(backend);
    rig.Sim()->faults().unplugAfterBytesToHost = 100;
    rig.window->Action("Readparameters1")->trigger();
    rig.RunUntil([&] { return !rig.window->Guarded().Busy(); });
    EXPECT_EQ(MessageTexts(rig.dialogs.shown),
              QStringList{"Communication error - Norva DoorPhone is not connect"});
    rig.RunFor(1500);
    EXPECT_TRUE(rig.window->Link().Lost());
    EXPECT_FALSE(rig.window->DeviceCommandsOn());
    EXPECT_FALSE(rig.window->Action("Readparameters1")->isEnabled());
    EXPECT_EQ(rig.window->StatusPanelText(0), QStringLiteral("USB: ------------"));

    for (int i = 0; i < backend.CableCount(); ++i) backend.SetPlugged(i, true);
    rig.RunFor(2500);
    EXPECT_TRUE(rig.window->DeviceCommandsOn());
    EXPECT_EQ(rig.window->StatusPanelText(0), QStringLiteral("USB: OK-Norva"));
    rig.dialogs.shown.clear();
    rig.Transfer("Readparameters1");
    EXPECT_TRUE(MessageTexts(rig.dialogs.shown).isEmpty());
    EXPECT_TRUE(rig.window->statusBar()->currentMessage().startsWith("Read from the door phone"));
}
