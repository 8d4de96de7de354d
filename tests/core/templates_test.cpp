// Model list, model templates and model pictures.
#include "JpegPicture.h"
#include "LanguageTexts.h"
#include "ModelTable.h"
#include "template_rig.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Templates, ModelListFromTheLanguageFile) {
    struct Case {
        const char* name;
        QStringList models; // "n=name"
        QStringList items;
        QList<int> numbers; // model number per position
    } cases[] = {
        {"no [Model] section", {}, {"Vant Norva low cost"}, {0}},
        {"three models", {"0=A", "1=B", "2=C"}, {"A", "B", "C"}, {0, 1, 2}},
        {"gaps map positions to numbers", {"0=A", "3=D", "7=H"}, {"A", "D", "H"}, {0, 3, 7}},
        {"no entry 0", {"2=C"}, {"Vant Norva low cost", "C"}, {0, 2}},
    };
    for (const Case& c : cases) {
        LanguageTexts texts;
        for (const QString& m : c.models)
            texts.Set("Model", m.section('=', 0, 0).toInt(), m.section('=', 1));
        ModelTable table;
        table.Build(texts, "/p");
        EXPECT_EQ(table.SelectorItems(), c.items) << c.name;
        for (int i = 0; i < c.numbers.size(); ++i)
            EXPECT_EQ(table.ModelNumberAt(i), c.numbers[i]) << c.name;
        EXPECT_EQ(table.ModelNumberAt(c.numbers.size()), -1) << c.name;
        EXPECT_EQ(table.AtPosition(-1), nullptr) << c.name;
    }
    LanguageTexts none;
    ModelTable table;
    table.Build(none, "/p");
    EXPECT_EQ(table.Entry(0).picture, QString("/p/VantNorvaLC.jpg"));
    EXPECT_EQ(table.Entry(0).templatePath, QString("/p/VantNorvaLC.ini"));
    EXPECT_EQ(table.Entry(5).picture, QString("/p/blank.jpg"));
}

TEST(Templates, OnlyRele2Off) {
    TemplateRig rig;
    rig.model.SelectRadioButton("RadioButton28"); // relay 2 in mode 5
    ApplyModelTemplate(rig.Template("Rele2=0\r\n"), rig.context, rig.state);
    EXPECT_EQ(rig.target.tree[8], std::make_pair(QString(), false));
    EXPECT_EQ(rig.target.tree[9], std::make_pair(QString(), false));
    EXPECT_TRUE(rig.model.IsRadioButtonSelected("RadioButton18"));
    EXPECT_FALSE(rig.target.visible["GroupBox14"]);
    EXPECT_FALSE(rig.target.enabled["Edit6"]);
    // Everything else as in the full model.
    EXPECT_TRUE(rig.target.visible["GroupBox9"]);
    EXPECT_TRUE(rig.target.enabled["RadioButton36"]);
    EXPECT_TRUE(rig.target.visible["GroupBox28"]);
    EXPECT_EQ(rig.state.labelKind, QString("2"));
    EXPECT_EQ(rig.state.modelMaximum, 2);
    EXPECT_EQ(rig.target.tree[25].first, QString("Buttons 91-99"));
    EXPECT_TRUE(rig.target.messages.isEmpty());
}

TEST(Templates, ButtonCountHidesRowsAndPages) {
    struct Case {
        const char* buttons;
        int lastRow;      // last visible row
        int lastTreePage; // last tree entry (16..25) with a text
    } cases[] = {{"25", 25, 18}, {"0", 1, 16}, {"99", 99, 25}, {"10", 10, 16}, {"11", 11, 17}};
    for (const Case& c : cases) {
        TemplateRig rig;
        ApplyModelTemplate(rig.Template(QByteArray("Buttons=") + c.buttons + "\r\n"), rig.context,
                           rig.state);
        for (int k = 1; k <= 99; ++k)
            EXPECT_EQ(rig.target.visible[QString("ButtonRow%1").arg(k)], k <= c.lastRow)
                << c.buttons << " row " << k;
        for (int e = 16; e <= 25; ++e)
            EXPECT_EQ(rig.target.tree[e].first.isEmpty(), e > c.lastTreePage)
                << c.buttons << " entry " << e;
    }
}

TEST(Templates, BasicModuleButtons) {
    TemplateRig rig;
    rig.model.SetText("Edit91", "4");
    ApplyModelTemplate(rig.Template("BasicButtons=0\r\nBasicNumber=1\r\n"), rig.context, rig.state);
    EXPECT_FALSE(rig.target.visible["Edit91"]);
    EXPECT_EQ(rig.target.emphasis["Edit91"], std::make_pair(false, 8));
    EXPECT_EQ(rig.model.Text("Edit91"), QString("1"));
    EXPECT_EQ(rig.state.modelMaximum, 1);

    // Shown in bold; a count above the maximum or not a number comes back to the maximum.
    for (const char* before : {"9", "0", "", "x"}) {
        TemplateRig r;
        r.model.SetText("Edit91", before);
        ApplyModelTemplate(r.Template("BasicNumber=3\r\n"), r.context, r.state);
        EXPECT_TRUE(r.target.visible["Edit91"]);
        EXPECT_EQ(r.target.emphasis["Label123"], std::make_pair(true, 10));
        EXPECT_EQ(r.model.Text("Edit91"), QString("3")) << before;
    }
}

TEST(Templates, CableKindFollowsTheTemplate) {
    struct Case {
        const char* value;
        bool connected;
        const char* status;
        CableKind kind;
    } cases[] = {{"1", false, "------------", CableKind::Vant},
                 {"0", true, "OK-Norva", CableKind::Trox},
                 {"2", true, "OK-Norva", CableKind::Trox}};
    for (const Case& c : cases) {
        TemplateRig rig;
        rig.link.ConnectAttempt();
        ASSERT_TRUE(rig.link.Connected());
        ApplyModelTemplate(rig.Template(QByteArray("VantCable=") + c.value + "\r\n"), rig.context,
                           rig.state);
        EXPECT_EQ(rig.link.Connected(), c.connected) << c.value;
        EXPECT_EQ(rig.link.CableStatusText(), QString(c.status)) << c.value;
        EXPECT_EQ(rig.link.Kind(), c.kind) << c.value;
    }
}

TEST(Templates, LogLinesInOrder) {
    TemplateRig rig;
    ASSERT_TRUE(rig.log.Open(rig.dir.path()));
    const QString path = rig.Template("VantCable=0\r\nRTC=0\r\nLabels=4\r\nButtons=4\r\n");
    rig.model.SetFlag("CheckBox5", true);
    ApplyModelTemplate(path, rig.context, rig.state);
    EXPECT_EQ(rig.LogLines(),
              QStringList({"Template file: " + path, "Kind of Cable USB (Vant=1/TROX=0): 0",
                           "Cable Vant-USB present", "Cable TROX-USB present",
                           "Possible use VantKey set: 0", "BasicButtons: 1", "BasicNumber: 2",
                           "KeyAuto: 0", "Keyboard: 1", "Rele2: 1", "ExternalPower: 1",
                           "ExitButton: 1", "RTC: 0", "Labels: 4", "Buttons: 4"}));
    EXPECT_FALSE(rig.model.Flag("CheckBox5"));
    EXPECT_FALSE(rig.target.enabled["Button1"]);
    EXPECT_EQ(rig.state.labelKind, QString("4"));
}

TEST(Templates, MissingFileGivesTheBasicConfiguration) {
    TemplateRig rig;
    ApplyModelTemplate(rig.Template("Keyboard=0\r\nRele2=0\r\nExitButton=0\r\n"), rig.context,
                       rig.state);
    ASSERT_FALSE(rig.target.enabled["RadioButton10"]);
    rig.model.SelectRadioButton("RadioButton31"); // relay 1 mode 2 stays as it is
    ApplyModelTemplate(rig.dir.filePath("deleted.ini"), rig.context, rig.state);
    EXPECT_EQ(rig.target.messages, QStringList{"No file with template"});
    EXPECT_TRUE(rig.state.basicConfiguration);
    for (const char* name : {"RadioButton10", "RadioButton20", "Edit6", "RadioButton38",
                             "RadioButton43", "CheckBox5", "Button1", "CheckBox6"})
        EXPECT_TRUE(rig.target.enabled[name]) << name;
    EXPECT_TRUE(rig.target.visible["GroupBox14"]);
    EXPECT_EQ(rig.target.tree[8].first, QString("Relay 2"));
    EXPECT_TRUE(rig.model.IsRadioButtonSelected("RadioButton31"));
}

TEST(Templates, KeyProgramItem) {
    TemplateRig rig;
    ApplyModelTemplate(rig.Template("VantKey=1\r\n"), rig.context, rig.state);
    EXPECT_TRUE(rig.target.visible["key1"]);
    EXPECT_FALSE(rig.target.enabled.contains("key1")); // program missing: left as it was
    QFile(QDir(rig.dir.path()).filePath("Kodrix.exe")).open(QIODevice::WriteOnly);
    ApplyModelTemplate(rig.Template("VantKey=1\r\n"), rig.context, rig.state);
    EXPECT_TRUE(rig.target.enabled["key1"]);
    ApplyModelTemplate(rig.Template("VantKey=0\r\n"), rig.context, rig.state);
    EXPECT_FALSE(rig.target.visible["key1"]);
    EXPECT_FALSE(rig.target.enabled["key1"]);
}

TEST(Templates, JpegPictures) {
    const QString blank = QStringLiteral(NORVA_SOURCE_DIR) + "/assets/blank.jpg";
    QString error;
    const DecodedPicture picture = DecodeJpegFile(blank, &error);
    ASSERT_FALSE(picture.IsNull()) << error.toStdString();
    EXPECT_EQ(picture.width, 200);
    EXPECT_EQ(picture.height, 280);
    EXPECT_EQ(picture.rgb.size(), 200 * 280 * 3);

    QFile f(blank);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    for (int keep : {0, 10, 200, int(bytes.size() / 2)}) {
        error.clear();
        EXPECT_TRUE(DecodeJpeg(bytes.left(keep), &error).IsNull()) << keep;
        EXPECT_FALSE(error.isEmpty()) << keep;
    }
    EXPECT_TRUE(DecodeJpeg(QByteArray(500, 'x'), &error).IsNull());
    EXPECT_TRUE(DecodeJpegFile("/no/such.jpg", &error).IsNull());
}
