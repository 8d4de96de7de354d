// A door phone that stops answering the poll, seen in the window: one box, then the
// status line; and no box over the save question when the window closes.
#include "window_harness.h"

#include <QAction>

namespace {
const QString kTimeout = QStringLiteral("Communication error - Norva DoorPhone is not connect");
}

TEST(WindowSilence, PollFailureShowsOnceThenTheStatusLine) {
    WindowRig rig;
    rig.Connect();
    const QString filePanel = rig.window->StatusPanelText(2);
    rig.Sim()->faults().silent = true;
    rig.RunFor(30000);
    EXPECT_EQ(MessageTexts(rig.dialogs.shown), QStringList{kTimeout});
    EXPECT_EQ(rig.window->StatusPanelText(2), kTimeout);
    EXPECT_TRUE(rig.window->DeviceCommandsOn()) << "the window stays usable";

    rig.Sim()->faults().silent = false;
    rig.RunFor(6000);
    EXPECT_EQ(rig.window->StatusPanelText(2), filePanel);
    EXPECT_EQ(MessageTexts(rig.dialogs.shown), QStringList{kTimeout});
}

// File > Exit while the door phone is silent: the save question stays open for a while
// (the window's timers would run meanwhile) and is the only thing shown, whether the
// silence was already reported or begins just before the close.
TEST(WindowSilence, NoBoxOverTheCloseQuestion) {
    for (const bool reported : {true, false}) {
        SCOPED_TRACE(reported ? "silence already reported" : "silence begins at the close");
        WindowRig rig;
        rig.Connect();
        rig.Sim()->faults().silent = true;
        if (reported) {
            rig.RunFor(6000);
            ASSERT_EQ(MessageTexts(rig.dialogs.shown), QStringList{kTimeout});
        } else {
            rig.RunFor(1000); // a status request is waiting for its answer
            ASSERT_TRUE(rig.window->Comm().State().Waiting());
        }
        rig.dialogs.shown.clear();
        rig.dialogs.answers = {false};
        rig.dialogs.whileQuestionOpen = [&] { rig.RunFor(20000); };
        rig.window->Action("Exit1")->trigger();
        rig.dialogs.whileQuestionOpen = nullptr;
        ASSERT_EQ(rig.dialogs.shown.size(), 1) << rig.Messages().join("|").toStdString();
        EXPECT_EQ(rig.dialogs.shown[0].kind, QString("question"));
        EXPECT_FALSE(rig.window->isVisible());
    }
}
