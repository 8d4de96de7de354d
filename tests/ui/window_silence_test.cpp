// A door phone that stops answering the poll, seen in the window: one box, then the
// status line; and no box over the save question when the window closes.
#include "window_harness.h"

#include "SimCableBackend.h"
#include "StatusPanel.h"

#include <QAction>

namespace {
const QString kTimeout = QStringLiteral("Communication error - Norva DoorPhone is not connect");
}

// The silence has a panel of its own beside the file's name; where the window is too
// narrow for it, the panel shortens it and its tooltip holds the whole text.
TEST(WindowSilence, PollFailureShowsOnceThenTheStatusLine) {
    WindowRig rig;
    rig.Connect();
    rig.dialogs.fileAnswers = {rig.home.path() + "/a settings file with a long name.NVS"};
    rig.window->Action("Saveas1")->trigger();
    const QString filePanel = rig.window->StatusPanelText(2);
    ASSERT_EQ(filePanel, QString("File: a settings file with a long name.NVS"));
    EXPECT_EQ(rig.window->StatusErrorText(), QString());
    rig.Sim()->faults().silent = true;
    rig.RunFor(30000);
    EXPECT_EQ(MessageTexts(rig.dialogs.shown), QStringList{kTimeout});
    EXPECT_EQ(rig.window->StatusErrorText(), kTimeout);
    EXPECT_EQ(rig.window->StatusPanelText(2), filePanel);
    EXPECT_TRUE(rig.window->DeviceCommandsOn()) << "the window stays usable";

    rig.window->resize(TForm1::kMinWidth, TForm1::kMinHeight);
    QApplication::processEvents();
    StatusPanel* error = rig.window->StatusErrorPanel();
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->toolTip(), kTimeout);
    for (StatusPanel* panel : {error, rig.window->StatusBarPanel(2)}) {
        ASSERT_TRUE(panel->Shortened()) << panel->objectName().toStdString();
        EXPECT_TRUE(panel->ShownText().endsWith(QChar(0x2026)));
        EXPECT_GE(panel->width(), panel->minimumSizeHint().width());
    }
    EXPECT_TRUE(rig.window->StatusBarPanel(2)->toolTip().endsWith("long name.NVS"));
    rig.window->resize(1366, TForm1::kMinHeight);
    QApplication::processEvents();
    EXPECT_FALSE(error->Shortened()) << "a wide window shows it whole";

    rig.Sim()->faults().silent = false;
    rig.RunFor(6000);
    EXPECT_EQ(rig.window->StatusPanelText(2), filePanel);
    EXPECT_EQ(rig.window->StatusErrorText(), QString());
    EXPECT_FALSE(error->isVisible());
    EXPECT_EQ(MessageTexts(rig.dialogs.shown), QStringList{kTimeout});
}

// A cable pulled out says so, rather than that the door phone is silent.
TEST(WindowSilence, ALostCableHasItsOwnWord) {
    WindowRig rig;
    rig.Connect();
    SimCableBackend* cables = rig.window->DeviceBackendInUse().sim;
    for (int i = 0; i < cables->CableCount(); ++i) cables->SetPlugged(i, false);
    rig.RunFor(3000);
    ASSERT_TRUE(rig.window->Link().Lost());
    EXPECT_EQ(rig.window->StatusErrorText(), QString("The cable was disconnected"));
    EXPECT_TRUE(rig.window->StatusPanelText(2).startsWith("File:"));
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
