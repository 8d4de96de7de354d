// The firmware window over the simulated door phone: a HEX file flashed from the menu, the
// refused files, the write without a door phone, and a window that cannot be left mid-run.
#include "AppConfig.h"
#include "FirmwareWindow.h"
#include "core/firmware_harness.h"
#include "window_harness.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

namespace {

constexpr int kProgramEnd = 0x0800; // a short program: 254 blocks and the end block

QPushButton* Btn(FirmwareWindow* w, const char* name) {
    return w->findChild<QPushButton*>(name);
}
QString Text(FirmwareWindow* w, const char* name) {
    return w->findChild<QLabel*>(name)->text();
}
QProgressBar* Bar(FirmwareWindow* w, const char* name) {
    return w->findChild<QProgressBar*>(name);
}
QPlainTextEdit* Memo(FirmwareWindow* w, const char* name) {
    return w->findChild<QPlainTextEdit*>(name);
}
// The firmware log in view down to its ending, once the window has laid it out.
bool LogAtItsEnd(FirmwareWindow* w) {
    QApplication::processEvents();
    const QScrollBar* bar = Memo(w, "Memo2")->verticalScrollBar();
    return bar->value() == bar->maximum();
}

// Opens the firmware window from the menu and runs script inside it; the window is left
// with "Cancel" when the script has not left it.
void InWindow(WindowRig& rig, const std::function<void(FirmwareWindow*)>& script) {
    // The script runs once the window is up (the menu handler lets messages run first).
    QTimer poll;
    bool ran = false;
    QObject::connect(&poll, &QTimer::timeout, rig.window.get(), [&] {
        FirmwareWindow* w = rig.window->FirmwareDialog();
        if (ran || !w || !w->isVisible()) return;
        ran = true;
        poll.stop();
        script(w);
        if (w->isVisible()) w->Button3Click();
    });
    poll.start(0);
    rig.window->Firmwareupgrade1Click();
    EXPECT_TRUE(ran);
}

QString WriteHex(const WindowRig& rig, const QString& name, const QByteArray& text) {
    const QString path = QDir(rig.home.path()).filePath(name);
    WriteTextFile(path, text);
    return path;
}

} // namespace

TEST(FirmwareWindow, FlashesAHexFileIntoTheSimulator) {
    WindowRig rig;
    rig.Connect();
    const QString hex = WriteHex(rig, "door.hex", DoorPhoneHex(kProgramEnd));
    rig.dialogs.fileAnswers = {hex};
    rig.dialogs.answers = {true};
    rig.Sim()->ClearLineRecord();
    bool timersStopped = false;
    InWindow(rig, [&](FirmwareWindow* w) {
        timersStopped = !rig.window->Comm().TimerRunning(EngineTimer::Poll) &&
                        !rig.window->Comm().TimerRunning(EngineTimer::Transfer);
        EXPECT_EQ(Text(w, "Label1"), "--------");
        EXPECT_EQ(Text(w, "Label3"), "DoorPhone NORVA");
        EXPECT_EQ(Btn(w, "Button1")->text(), "Open file *.HEX");
        EXPECT_FALSE(Btn(w, "Button2")->isEnabled());
        w->Button1Click();
        EXPECT_EQ(Text(w, "Label2"), hex);
        ASSERT_TRUE(Btn(w, "Button2")->isEnabled());
        EXPECT_TRUE(Memo(w, "Memo1")->toPlainText().endsWith(":00000001FF"));
        w->Button2Click();
        EXPECT_FALSE(Btn(w, "Button1")->isEnabled());
        EXPECT_FALSE(Btn(w, "Button3")->isEnabled());
        int bar1 = 0;
        RunFirmwareTimer(w->Engine(), rig.clock, 600000,
                         [&] { bar1 = std::max(bar1, Bar(w, "ProgressBar1")->value()); });
        EXPECT_EQ(Text(w, "Label1"), "Finish");
        EXPECT_GT(bar1, 20);
        EXPECT_EQ(Bar(w, "ProgressBar1")->value(), Bar(w, "ProgressBar1")->maximum());
        EXPECT_EQ(Bar(w, "ProgressBar2")->value(), Bar(w, "ProgressBar2")->maximum());
        EXPECT_FALSE(Btn(w, "Button1")->isEnabled());
        EXPECT_FALSE(Btn(w, "Button2")->isEnabled());
        EXPECT_TRUE(Btn(w, "Button3")->isEnabled());
        EXPECT_TRUE(Memo(w, "Memo2")->isVisible());
        EXPECT_TRUE(Memo(w, "Memo2")->toPlainText().contains("77<=>Y"));
        EXPECT_GT(Memo(w, "Memo2")->verticalScrollBar()->maximum(), 0);
        EXPECT_TRUE(LogAtItsEnd(w));
        const int count = w->Engine().BlockCount();
        EXPECT_EQ(Bar(w, "ProgressBar1")->text(), QStringLiteral("block %1 of %1").arg(count));
    });
    EXPECT_TRUE(timersStopped);
    // The version the simulator reports (2.53) wants "F" before "x".
    EXPECT_TRUE(rig.Sim()->ReceivedFromHost().startsWith("Fxw"));
    EXPECT_EQ(rig.Sim()->Firmware(), DoorPhoneMemory(kProgramEnd));
    const QStringList shown = rig.Messages();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0], "open: HEX file for NORVA firmware");
    EXPECT_TRUE(shown[1].startsWith("question: Upgrade time is cca 10minutes.\n"));
    EXPECT_EQ(shown[2], "message: Download firmware to NORVA DoorPhone is successfully complete");
    EXPECT_EQ(rig.dialogs.shown[2].icon, MsgIcon::Information);
    // Closed: the poll runs again, SendFFlag is cleared, the HEX file is remembered.
    EXPECT_TRUE(rig.window->Comm().TimerRunning(EngineTimer::Poll));
    EXPECT_FALSE(rig.window->Comm().SendFFlag());
    EXPECT_EQ(AppConfig::ReadLastHexFile(rig.home.path()), hex);
    // Opened again, the open dialog starts in the folder of that file.
    rig.dialogs.fileRequests.clear();
    InWindow(rig, [](FirmwareWindow* w) { w->Button1Click(); });
    ASSERT_EQ(rig.dialogs.fileRequests.size(), 1);
    EXPECT_EQ(QDir(rig.dialogs.fileRequests[0].initialDir), QDir(rig.home.path()));
}

TEST(FirmwareWindow, RefusedFilesSendNothing) {
    WindowRig rig;
    rig.Connect();
    const QByteArray good = DoorPhoneHex(0x100);
    QByteArray badSum = good;
    badSum[good.indexOf('\n') + 5] = 'F'; // line 2 loses its checksum
    struct Case {
        const char* name;
        QString file;
        QString message;
    };
    const Case cases[] = {
        {"not a .HEX name", WriteHex(rig, "door.txt", good), "Error file"},
        {"a checksum", WriteHex(rig, "sum.hex", badSum), "Error file\nLine 2: wrong checksum"},
        {"truncated", WriteHex(rig, "cut.hex", good.left(good.lastIndexOf(":00000001FF"))),
         "Error file\nLine"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rig.Sim()->ClearLineRecord();
        rig.dialogs.shown.clear();
        // A good file first: the refused one must not leave it writable.
        rig.dialogs.fileAnswers = {WriteHex(rig, "good.hex", good), c.file};
        rig.dialogs.answers = {true};
        InWindow(rig, [&](FirmwareWindow* w) {
            w->Button1Click();
            ASSERT_TRUE(Btn(w, "Button2")->isEnabled());
            w->Button1Click();
            EXPECT_FALSE(Btn(w, "Button2")->isEnabled());
            EXPECT_TRUE(Memo(w, "Memo1")->toPlainText().isEmpty());
            w->Button2Click();
            EXPECT_FALSE(w->Engine().Running());
        });
        EXPECT_EQ(rig.Sim()->BytesFromHost(), 0);
        const QStringList messages = MessageTexts(rig.dialogs.shown);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(c.message)) << messages[0].toStdString();
    }
}

TEST(FirmwareWindow, NoWriteWithoutADoorPhone) {
    WindowRig rig(false);
    rig.dialogs.fileAnswers = {WriteHex(rig, "door.hex", DoorPhoneHex(0x100))};
    rig.dialogs.answers = {true};
    InWindow(rig, [&](FirmwareWindow* w) {
        w->Button1Click();
        w->Button2Click();
        EXPECT_FALSE(w->Engine().Running());
        EXPECT_TRUE(Btn(w, "Button1")->isEnabled());
        EXPECT_TRUE(Btn(w, "Button3")->isEnabled());
    });
    const QStringList messages = MessageTexts(rig.dialogs.shown);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("NORVA DoorPhone is not connected"));
    EXPECT_TRUE(rig.dialogs.answers.contains(true)); // the question was never asked
}

TEST(FirmwareWindow, ARunCannotBeLeftAndEndsUsable) {
    WindowRig rig;
    rig.Connect();
    rig.Sim()->loaderFaults().neverReady = true;
    rig.dialogs.fileAnswers = {WriteHex(rig, "door.hex", DoorPhoneHex(0x100))};
    rig.dialogs.answers = {true};
    InWindow(rig, [&](FirmwareWindow* w) {
        w->Button1Click();
        w->Button2Click();
        RunFirmwareTimer(w->Engine(), rig.clock, 100);
        ASSERT_TRUE(w->Engine().Running());
        QTest::keyClick(w, Qt::Key_Escape);
        w->close();
        w->reject();
        EXPECT_TRUE(w->isVisible());
        RunFirmwareTimer(w->Engine(), rig.clock, 5000);
        EXPECT_EQ(Text(w, "Label1"), "Error conection");
        EXPECT_TRUE(Btn(w, "Button3")->isEnabled());
        EXPECT_TRUE(LogAtItsEnd(w));
        // A failed run says so with the error icon, and says what happened.
        ASSERT_FALSE(rig.dialogs.shown.isEmpty());
        const ScriptedDialogs::Shown& ending = rig.dialogs.shown.last();
        EXPECT_EQ(ending.icon, MsgIcon::Error);
        EXPECT_TRUE(ending.text.contains("the loader did not answer 'Y' to 101 'w'"))
            << ending.text.toStdString();
        w->Button3Click();
        EXPECT_FALSE(w->isVisible());
    });
    EXPECT_TRUE(rig.window->Comm().TimerRunning(EngineTimer::Poll));
}
