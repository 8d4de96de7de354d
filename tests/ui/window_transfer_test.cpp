// Reading and writing the simulated door phone through the window, and the relay-mode
// interlock on the page, after the defaults, a read and a settings file.
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "window_harness.h"

#include <QCheckBox>

namespace {
int ByteOf(const QString& field) {
    for (const ByteDef& b : ParameterByteMap())
        if (b.field == field) return b.byte;
    return 0;
}

int RecordOf(const QString& field) {
    for (const SettingsRecordDef& r : SettingsRecordTable())
        if (r.field == field) return r.record;
    return 0;
}

// Relay 1 in mode 3 and relay 2 in mode 5, which the program's own model never holds
// together: built with another mode and patched.
QByteArray BlockWithBothModes() {
    SettingsModel model;
    model.SelectRadioButton("RadioButton32");
    QByteArray block = EncodeParameterBlock(model, {}).bytes;
    block[ByteOf("GroupBox14") - 1] = char(5);
    return block;
}
} // namespace

TEST(WindowTransfer, AReadShowsOnThePages) {
    WindowRig rig;
    SettingsModel device;
    device.SetText("Edit1", "4321");
    device.SetText("Edit59", "140");
    device.SetChoice("ComboBox7", 3);
    device.SetFlag("CheckBox7", true);
    device.SelectRadioButton("RadioButton3");
    device.SetText("Edit63", "07");
    rig.Sim()->SetParameters(EncodeParameterBlock(device, {}).bytes);
    rig.Sim()->SetRecord(101, EncodeDialNumber("0601*23"));
    rig.Connect();

    rig.Transfer("Readparameters1");
    EXPECT_EQ(rig.Edit("Edit1")->text(), QString("4321"));
    EXPECT_EQ(rig.Edit("Edit59")->text(), QString("140"));
    EXPECT_EQ(rig.List("ComboBox7")->currentIndex(), 3);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(rig.W("CheckBox7"))->isChecked());
    EXPECT_TRUE(rig.Button("RadioButton3")->isChecked());
    EXPECT_EQ(rig.Edit("Edit63")->text(), QString("07"));

    rig.Transfer("Readphonenumbers1");
    EXPECT_EQ(rig.Edit("Edit102")->text(), QString("0601*23"));
    EXPECT_TRUE(rig.dialogs.shown.isEmpty()) << rig.Messages().join("|").toStdString();
}

TEST(WindowTransfer, AnEditOnAPageReachesTheWrittenBlock) {
    WindowRig rig;
    rig.Connect();
    // Typed on the page, left through the write command itself (the focus goes to the
    // status bar first, so the field's check runs before the block is built).
    rig.Model().SetText("Edit62", "");
    rig.Enter("Edit62");
    QTest::keyClicks(rig.W("Edit62"), "1449");
    rig.Model().SetText("Edit92", "");
    rig.Enter("Edit92");
    QTest::keyClicks(rig.W("Edit92"), "h55");
    rig.Enter("Edit58");
    rig.Edit("Edit58")->selectAll();
    QTest::keyClicks(rig.W("Edit58"), "5");

    rig.dialogs.answers = {true}; // "Are you sure, that number of buttons ... is OK"
    rig.Transfer("Writeparameters1");
    EXPECT_EQ(rig.Edit("Edit58")->text(), QString("05"));
    ASSERT_EQ(rig.dialogs.shown.size(), 1) << rig.Messages().join("|").toStdString();
    EXPECT_EQ(rig.dialogs.shown[0].caption, QString("Atention!!!"));
    EXPECT_EQ(rig.Sim()->ParameterWrites(), 1);
    const QByteArray written = rig.Sim()->Parameters();
    EXPECT_EQ(quint8(written[ByteOf("Edit58") - 1]), 5);
    // 1400 ms, stored as (1400 - 400) / 100.
    EXPECT_EQ(quint8(written[ByteOf("Edit62") - 1]), 10);

    rig.Transfer("Writephonenumbers1");
    EXPECT_EQ(DecodeDialNumber(rig.Sim()->Record(1)), QString("*55"));

    // And back: what the door phone holds shows again after a read.
    rig.Model().SetText("Edit58", "99");
    rig.Model().SetText("Edit92", "");
    rig.Transfer("Readall1");
    ASSERT_TRUE(rig.RunUntil([&] {
        return rig.Edit("Edit92")->text() == "*55" && !rig.window->Comm().TransferActive();
    }));
    EXPECT_EQ(rig.Edit("Edit58")->text(), QString("5")); // the door phone keeps the number
}

TEST(WindowTransfer, RelayInterlockOnThePage) {
    const struct {
        const char* relay2;
        const char* relay1Clicked;
        const char* relay1Shown;
    } cases[] = {
        {"RadioButton28", "RadioButton32", "RadioButton30"}, // relay 2 in mode 5
        {"RadioButton28", "RadioButton37", "RadioButton30"},
        {"RadioButton19", "RadioButton32", "RadioButton32"}, // relay 2 in mode 2
        {"RadioButton18", "RadioButton35", "RadioButton35"},
    };
    WindowRig rig(false);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.relay2) + " then " + c.relay1Clicked);
        rig.ShowPageOf("GroupBox14");
        rig.Button(c.relay2)->click();
        rig.ShowPageOf("GroupBox11");
        rig.Button(c.relay1Clicked)->click();
        EXPECT_TRUE(rig.Button(c.relay1Shown)->isChecked());
        EXPECT_TRUE(rig.Button(c.relay2)->isChecked());
        EXPECT_EQ(rig.Model().ChoiceText("GroupBox11"), QString(c.relay1Shown));
    }
    // Choosing mode 5 for relay 2 puts relay 1 back to mode 1.
    rig.Button("RadioButton18")->click();
    rig.Button("RadioButton33")->click();
    rig.Button("RadioButton28")->click();
    EXPECT_TRUE(rig.Button("RadioButton30")->isChecked());
    EXPECT_FALSE(rig.Button("RadioButton34")->isEnabled());
}

TEST(WindowTransfer, RelayInterlockAfterDefaultsReadAndFile) {
    // A template whose defaults put relay 1 in mode 3 and relay 2 in mode 5.
    WindowRig rig(true, [](const QString& home) {
        WriteTextFile(QDir(home).filePath("VantNorvaLC.ini"),
                      "[Enable]\r\n[Defaults]\r\nRB30=0\r\nRB32=1\r\nRB18=0\r\nRB28=1\r\n");
    });
    auto expectInterlocked = [&](const char* how) {
        EXPECT_TRUE(rig.Button("RadioButton30")->isChecked()) << how;
        EXPECT_TRUE(rig.Button("RadioButton28")->isChecked()) << how;
        EXPECT_FALSE(rig.Button("RadioButton32")->isChecked()) << how;
    };
    expectInterlocked("start-up defaults");

    rig.Model().SelectRadioButton("RadioButton18");
    rig.Model().SelectRadioButton("RadioButton32");
    rig.window->Action("New1")->trigger();
    expectInterlocked("File > New");

    rig.Model().SelectRadioButton("RadioButton18");
    rig.Model().SelectRadioButton("RadioButton32");
    rig.Sim()->SetParameters(BlockWithBothModes());
    rig.Connect();
    rig.Transfer("Readparameters1");
    expectInterlocked("read");

    // A settings file holding both modes: relay 2's record taken from a file written with
    // relay 2 in mode 5.
    SettingsModel a, b;
    a.SelectRadioButton("RadioButton32");
    b.SelectRadioButton("RadioButton28");
    QByteArray bytes = SettingsFileBytes(a);
    const int at = (RecordOf("GroupBox14") - 1) * kSettingsRecordSize;
    bytes.replace(at, kSettingsRecordSize, SettingsFileBytes(b).mid(at, kSettingsRecordSize));
    const QString path = QDir(rig.home.path()).filePath("both.NVS");
    WriteTextFile(path, bytes);
    rig.Model().SelectRadioButton("RadioButton18");
    rig.Model().SelectRadioButton("RadioButton32");
    rig.dialogs.fileAnswers = {path};
    rig.window->Action("Open1")->trigger();
    expectInterlocked("settings file");
    EXPECT_TRUE(rig.window->StatusPanelText(2).endsWith("both.NVS"));
}
