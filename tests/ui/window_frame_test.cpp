// The frame of the main window: pages and tree, names of the controls, texts, menus,
// device commands, minimum size.
#include "LanguageTable.h"
#include "window_harness.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QStackedWidget>

namespace {
QString PageOfWidget(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (w->objectName().startsWith("TabSheet") && !w->objectName().endsWith("Content"))
            return w->objectName();
    return QString();
}
} // namespace

TEST(WindowFrame, EveryTreeEntryShowsItsPageAndTitle) {
    WindowRig rig(false);
    struct Case {
        int entry;
        int page;
        const char* title;
    } cases[] = {
        {0, 24, "DoorPhone select"},
        {1, 0, "Basic parameters"},
        {2, 1, "Codes"},
        {3, 2, "Keyboard"},
        {4, 3, "Relays"},
        {5, 4, "Relay 1"},
        {6, 5, "External codes 1"},
        {7, 25, "Code relay"},
        {8, 6, "Relay 2"},
        {9, 7, "External codes 2"},
        {10, 8, "Time parameters"},
        {11, 9, "Dial parameters"},
        {12, 10, "HandsFree settings"},
        {13, 11, "Automatic Day-Night"},
        {14, 12, "System parameters"},
        {15, 13, "Telephone numbers"},
        {16, 14, "Buttons  1-10"},
        {24, 22, "Buttons 81-90"},
        {25, 23, "Buttons 91-99"},
    };
    NavigationTree* tree = rig.window->Tree();
    // Start-up shows the model page under the first entry.
    EXPECT_EQ(rig.window->CurrentPage(), 24);
    EXPECT_EQ(rig.window->PageTitle(), QString("DoorPhone select"));
    for (const Case& c : cases) {
        tree->setCurrentItem(tree->Entry(c.entry));
        EXPECT_EQ(rig.window->CurrentPage(), c.page) << c.title;
        EXPECT_EQ(rig.window->PageTitle(), QString(c.title));
        auto* area = qobject_cast<QStackedWidget*>(rig.W("PageControl1"));
        EXPECT_EQ(area->currentWidget()->objectName(), QString("TabSheet%1").arg(c.page + 1));
    }
    // Every page is reached by exactly one entry.
    QSet<int> pages;
    for (int i = 0; i < NavigationTree::kEntries; ++i)
        pages.insert(NavigationTree::PageOf(tree->Entry(i)));
    EXPECT_EQ(pages.size(), kPageCount);
}

TEST(WindowFrame, TreeRefusesTypingEditingAndKeepsArrowKeys) {
    WindowRig rig(false);
    NavigationTree* tree = rig.window->Tree();
    tree->setCurrentItem(tree->Entry(4));
    tree->setFocus(Qt::MouseFocusReason);
    QStringList before;
    for (int i = 0; i < NavigationTree::kEntries; ++i) before << tree->Entry(i)->text(0);

    QTest::keyClicks(tree, "RelayBtKd 1");
    EXPECT_EQ(tree->currentItem(), tree->Entry(4));
    tree->editItem(tree->Entry(4));
    QTest::keyClicks(tree, "xyz");
    QStringList after;
    for (int i = 0; i < NavigationTree::kEntries; ++i) after << tree->Entry(i)->text(0);
    EXPECT_EQ(after, before);
    EXPECT_EQ(tree->findChildren<QLineEdit*>().size(), 0); // no editor was opened

    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), tree->Entry(5));
    EXPECT_EQ(rig.window->CurrentPage(), 4);
    EXPECT_FALSE(tree->acceptDrops());

    rig.window->Packtree1Click();
    EXPECT_FALSE(tree->Entry(4)->isExpanded());
    rig.window->Unpacktree1Click();
    EXPECT_TRUE(tree->Entry(4)->isExpanded() && tree->Entry(5)->isExpanded());
}

TEST(WindowFrame, OpensAtMinimumSizeAndAPollTickUndoesShrinking) {
    WindowRig rig(false);
    EXPECT_EQ(rig.window->size(), QSize(620, 461));
    const struct {
        QSize shrunk, expected;
    } cases[] = {
        {{500, 300}, {620, 461}},
        {{619, 700}, {620, 700}},
        {{800, 460}, {800, 461}},
        {{700, 500}, {700, 500}},
    };
    for (const auto& c : cases) {
        rig.window->resize(c.shrunk);
        rig.window->Timer2Timer();
        EXPECT_EQ(rig.window->size(), c.expected) << c.shrunk.width() << "x" << c.shrunk.height();
    }
}

TEST(WindowFrame, DeviceCommandsFollowTheConnection) {
    const char* device[] = {"Readparameters1",  "Readphonenumbers1",  "Readall1",
                            "Writeparameters1", "Writephonenumbers1", "Writeall1",
                            "Firmwareupgrade1", "Remotecontrol1",     "SendtimefromPC1"};
    const char* always[] = {"Print1", "Printlabels1", "Open1", "Save1", "Saveas1", "New1"};
    for (bool connected : {false, true}) {
        SCOPED_TRACE(connected ? "simulator" : "no cable");
        WindowRig rig(connected);
        rig.RunFor(3500);
        for (const char* name : device)
            EXPECT_EQ(rig.window->Action(name)->isEnabled(), connected) << name;
        for (const char* name : {"Button1", "Image1", "Image2"})
            EXPECT_EQ(rig.W(name)->isEnabled(), connected) << name;
        for (const char* name : always) EXPECT_TRUE(rig.window->Action(name)->isEnabled()) << name;
        EXPECT_FALSE(rig.window->Action("Communicationport1")->isEnabled());
        EXPECT_FALSE(rig.window->Action("N10")->isEnabled());
        EXPECT_FALSE(rig.window->Action("M11")->isEnabled());
        EXPECT_FALSE(rig.window->Action("key1")->isVisible());
    }
}

TEST(WindowFrame, PollShowsStatusClocksAndDayPicture) {
    WindowRig rig;
    rig.Connect();
    EXPECT_EQ(rig.window->StatusPanelText(0), QString("USB: OK-Norva"));
    EXPECT_EQ(rig.window->StatusPanelText(1), QString("Firmware: 2.53"));
    EXPECT_EQ(rig.window->StatusPanelText(3), QString("Reset: 7"));
    EXPECT_EQ(rig.window->StatusPanelText(4), QString("Local"));
    EXPECT_FALSE(qobject_cast<QLabel*>(rig.W("Label4"))->text().isEmpty());
    EXPECT_TRUE(qobject_cast<QLabel*>(rig.W("Label5"))->text().contains(" / "));
    // The simulated door phone is in day mode.
    EXPECT_FALSE(rig.W("Image2")->isHidden());
    EXPECT_TRUE(rig.W("Image1")->isHidden());

    // A click on the picture switches the door phone to night mode.
    QTest::mouseClick(rig.W("Image2"), Qt::LeftButton);
    rig.RunFor(2500);
    EXPECT_FALSE(rig.Sim()->dayMode);
    EXPECT_TRUE(rig.W("Image2")->isHidden());
    EXPECT_FALSE(rig.W("Image1")->isHidden());
}

TEST(WindowFrame, ATransferTurnsTheCommandsAndTheModelSelectorOff) {
    WindowRig rig;
    rig.Connect();
    rig.window->Action("Readparameters1")->trigger();
    EXPECT_TRUE(rig.window->Comm().TransferActive());
    EXPECT_FALSE(rig.window->Action("Readall1")->isEnabled());
    EXPECT_FALSE(rig.W("Button1")->isEnabled());
    EXPECT_FALSE(rig.W("ComboBox16")->isEnabled());
    EXPECT_TRUE(rig.W("pbPB")->isVisible());
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.window->Comm().TransferActive(); }));
    EXPECT_TRUE(rig.window->Action("Readall1")->isEnabled());
    EXPECT_TRUE(rig.W("ComboBox16")->isEnabled());
    EXPECT_FALSE(rig.W("pbPB")->isVisible());
}

// Every field of the catalogue has its control, of its kind, on its page; the language
// table finds every control of the main window it names.
TEST(WindowFrame, EveryFieldAndEveryLanguageTargetHasItsControl) {
    WindowRig rig(false);
    int fields = 0;
    for (const FieldDef& def : FieldCatalogue()) {
        QWidget* w = rig.W(def.name);
        ASSERT_NE(w, nullptr) << def.name.toStdString();
        EXPECT_EQ(PageOfWidget(w), QString("TabSheet%1").arg(def.page + 1))
            << def.name.toStdString();
        switch (def.kind) {
        case FieldKind::Text: EXPECT_NE(qobject_cast<QLineEdit*>(w), nullptr); break;
        case FieldKind::Flag: EXPECT_NE(qobject_cast<QCheckBox*>(w), nullptr); break;
        case FieldKind::Choice:
            if (def.style == ChoiceStyle::List) {
                EXPECT_NE(qobject_cast<QComboBox*>(w), nullptr) << def.name.toStdString();
            } else {
                EXPECT_NE(qobject_cast<QGroupBox*>(w), nullptr);
                for (const ChoiceOption& o : def.options)
                    EXPECT_NE(qobject_cast<QRadioButton*>(rig.W(o.name)), nullptr)
                        << o.name.toStdString();
            }
            break;
        }
        ++fields;
    }
    EXPECT_GT(fields, 300);
    int numberFields = 0, timeFields = 0;
    for (const FieldDef& def : FieldCatalogue()) {
        numberFields += def.keyFilter == KeyFilter::Dialling;
        timeFields += def.exitRule == ExitRule::J;
    }
    EXPECT_EQ(numberFields, 198);
    EXPECT_EQ(timeFields, 28);

    for (const LanguageEntry& entry : LanguageTable())
        for (const LanguageTarget& t : entry.targets) {
            if (t.object.isEmpty() || t.object.contains('.') || t.object.startsWith("TForm"))
                continue;
            EXPECT_TRUE(rig.W(t.object) || rig.window->Action(t.object))
                << entry.section << " " << entry.key << " " << t.object.toStdString();
        }
    EXPECT_FALSE(rig.W("RadioButton34")->isEnabled());
}

TEST(WindowFrame, LanguageTextsReachTheControlsAndCanBeAppliedAgain) {
    WindowRig rig(false);
    auto text = [&](const char* name) -> QString {
        QWidget* w = rig.W(name);
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
        if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText();
        return rig.window->Action(name) ? rig.window->Action(name)->text() : QString("?");
    };
    const struct {
        const char* name;
        const char* shown;
    } cases[] = {
        {"GroupBox1", "41 Dial"},
        {"Label13", "431 Hang up by code from telephone:"},
        {"GroupBox11", "311 Mode of relay 1"},
        {"GroupBox14", "312 Mode of relay 2"},
        {"GroupBox31", " Commands for 1 impulse "},
        {"CheckBox13", "3#0 Use code relay    (lock is activate by serial code)"},
        {"RadioButton32", "Line open to \"Pulse duration\" after line closed (lighting)"},
        {"Label99", "00 Sunday"},
        {"Label127", "Button  1"},
        {"Label241", "Button 99"},
        {"Label125", "Day / Group1"},
        {"Label2", "Norva:"},
        {"Label123", "6# Number of buttons in the basic module:"},
        {"Readparameters1", "Read &parameters"},
        {"Help3", "&Help"},
        {"SendtimefromPC1", "&Set time from PC"},
        {"LogFile1", "&LogFile is disable"},
    };
    for (const auto& c : cases) EXPECT_EQ(text(c.name), QString(c.shown)) << c.name;
    EXPECT_TRUE(text("Memo1").startsWith("EXPLANATION\n\n- Each relay have 8 MODES"));
    EXPECT_EQ(rig.W("TreeView1")->toolTip(), QString("Use rihght mouse button"));
    EXPECT_EQ(rig.W("Image2")->toolTip(), QString("DAY mode - switch to night mode = click"));
    EXPECT_EQ(rig.window->Tree()->Entry(8)->text(0), QString("Relay 2"));

    // Another language: the walk runs again and the page title follows the tree.
    rig.window->Texts().Set("Page1", 1, "Wahl");
    rig.window->Texts().Set("Tree", 14, "Modell");
    rig.window->Texts().Set("Tree", 5, "Rele");
    rig.window->ApplyTexts();
    EXPECT_EQ(text("GroupBox1"), QString("41 Wahl"));
    EXPECT_EQ(rig.window->PageTitle(), QString("Modell"));
    EXPECT_EQ(rig.window->Tree()->Entry(5)->text(0), QString("Rele 1"));
}

// A model without a clock keeps "Set time from PC" off even while the door phone is
// connected; the other device commands follow the connection as usual.
TEST(WindowFrame, ModelWithoutClockKeepsSetTimeOff) {
    WindowRig rig(true, [](const QString& home) {
        WriteTextFile(QDir(home).filePath("VantNorvaLC.ini"), "[Enable]\r\nRTC=0\r\nRele2=0\r\n");
    });
    rig.Connect();
    EXPECT_TRUE(rig.window->Action("Readparameters1")->isEnabled());
    EXPECT_TRUE(rig.W("Image1")->isEnabled());
    EXPECT_FALSE(rig.W("Button1")->isEnabled());
    EXPECT_FALSE(rig.window->Action("SendtimefromPC1")->isEnabled());
    EXPECT_TRUE(rig.W("GroupBox28")->isHidden());
    EXPECT_FALSE(rig.W("CheckBox5")->isEnabled());
    // No relay 2: its tree entries are blank and its groups hidden.
    EXPECT_TRUE(rig.window->Tree()->Entry(8)->text(0).isEmpty());
    EXPECT_TRUE(rig.window->Tree()->Entry(8)->icon(0).isNull());
    EXPECT_TRUE(rig.W("GroupBox14")->isHidden());
}
