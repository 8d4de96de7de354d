// Key filters and exit checks of the page fields, through typed keys and real focus
// changes; the binding between the pages and SettingsModel.
#include "window_harness.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTimer>

namespace {
struct ExitCase {
    const char* field;
    const char* typed;
    const char* after;   // field text once the focus has left (or been put back)
    const char* message; // "" = none
    const char* caption;
    MsgIcon icon;
    bool focusKept;
};
} // namespace

TEST(WindowFields, ExitChecksThroughFocusChanges) {
    const ExitCase cases[] = {
        {"Edit2", "5*", "*5", "", "", MsgIcon::None, false},
        {"Edit2", "**", "", "", "", MsgIcon::None, false},
        {"Edit2", "*", "*", "Code must be long 2 digit or blank", "Input format",
         MsgIcon::Information, true},
        {"Edit13", "7", "7", "Code must be long 2 digit or blank", "Input format",
         MsgIcon::Information, true},
        {"Edit1", "123", "123", "Password must be long 4 digit", "Password", MsgIcon::Warning,
         true},
        {"Edit1", "1234", "1234", "", "", MsgIcon::None, false},
        {"Edit17", "5", "5",
         "The code must not contain a one digit, the minimum digits is 2, maximum 6 digits, "
         "reset the code is blank",
         "Input format", MsgIcon::Information, true},
        {"Edit52", "55", "55", "", "", MsgIcon::None, false},
        {"Edit10", "1.5", "0.5", "", "", MsgIcon::None, false},
        {"Edit10", "15", "15", "", "", MsgIcon::None, false},
        {"Edit6", "", "0.5", "", "", MsgIcon::None, false},
        {"Edit7", "00", "1", "", "", MsgIcon::None, false},
        {"Edit12", "", "", "", "", MsgIcon::None, false},
        {"Edit54", "", "1", "", "", MsgIcon::None, false},
        {"Edit58", "3", "04", "", "", MsgIcon::None, false},
        {"Edit58", "7", "07", "", "", MsgIcon::None, false},
        {"Edit59", "95", "100", "", "", MsgIcon::None, false},
        {"Edit59", "155", "160", "", "", MsgIcon::None, false},
        {"Edit61", "", "100", "", "", MsgIcon::None, false},
        {"Edit62", "1449", "1400", "", "", MsgIcon::None, false},
        {"Edit62", "850", "900", "", "", MsgIcon::None, false},
        {"Edit63", "30", "23", "", "", MsgIcon::None, false},
        {"Edit63", "7", "07", "", "", MsgIcon::None, false},
        {"Edit64", "75", "59", "", "", MsgIcon::None, false},
        {"Edit90", "", "00", "", "", MsgIcon::None, false},
        {"Edit53", "101", "1000", "", "", MsgIcon::None, true},
        {"Edit291", "11", "0100", "", "", MsgIcon::None, true},
        // The basic configuration allows two buttons in the basic module.
        {"Edit91", "3", "2",
         "Attention to the setting of this parameter affects numbering buttons!", "", MsgIcon::None,
         true},
        {"Edit91", "", "2", "", "", MsgIcon::None, false},
        {"Edit92", "123", "123", "", "", MsgIcon::None, false},
    };
    WindowRig rig(false);
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " typed \"" + c.typed + "\"");
        rig.Model().SetText(c.field, "");
        rig.Enter(c.field);
        QTest::keyClicks(rig.W(c.field), c.typed);
        ASSERT_EQ(rig.Edit(c.field)->text(), QString(c.typed));
        rig.dialogs.shown.clear();
        rig.Leave();
        EXPECT_EQ(rig.Edit(c.field)->text(), QString(c.after));
        EXPECT_EQ(rig.Model().Text(c.field), QString(c.after));
        if (*c.message) {
            ASSERT_EQ(rig.dialogs.shown.size(), 1);
            EXPECT_EQ(rig.dialogs.shown[0].text, QString(c.message));
            EXPECT_EQ(rig.dialogs.shown[0].caption, QString(c.caption));
            EXPECT_EQ(rig.dialogs.shown[0].icon, c.icon);
        } else {
            EXPECT_TRUE(rig.dialogs.shown.isEmpty()) << rig.Messages().join("|").toStdString();
        }
        EXPECT_EQ(QApplication::focusWidget() == rig.W(c.field), c.focusKept);
        // Leaving a refused text that was kept runs the check again.
        rig.Leave();
        if (*c.message && QString(c.after) == QString(c.typed)) {
            EXPECT_EQ(rig.dialogs.shown.size(), 2);
        }
        rig.Model().SetText(c.field, FindField(c.field)->defaultText);
        rig.window->Tree()->setFocus(Qt::OtherFocusReason);
    }
}

TEST(WindowFields, LabelKindFourRefusesThreeButtons) {
    WindowRig rig(false, [](const QString& home) {
        WriteTextFile(QDir(home).filePath("VantNorvaLC.ini"),
                      "[Enable]\r\nBasicNumber=4\r\nLabels=4\r\n");
    });
    ASSERT_EQ(rig.window->CheckContext().modelMaximum, 4);
    rig.Model().SetText("Edit91", "");
    rig.Enter("Edit91");
    QTest::keyClicks(rig.W("Edit91"), "3");
    rig.Leave();
    EXPECT_EQ(rig.Edit("Edit91")->text(), QString("4"));
    ASSERT_EQ(rig.dialogs.shown.size(), 1);
    EXPECT_EQ(rig.dialogs.shown[0].text.toStdString(),
              "In this type of DorrPhone is not possible use 3 buttons\n\r"
              "only 1 or 2 or 4 buttons");
    EXPECT_EQ(QApplication::focusWidget(), rig.W("Edit91"));
}

TEST(WindowFields, KeyFiltersAndLengthLimits) {
    const struct {
        const char* field;
        const char* typed;
        const char* shown;
    } cases[] = {
        {"Edit1", "12a34x5", "1234"}, {"Edit2", "1*9", "1*"},  {"Edit2", "a#", ""},
        {"Edit6", "1,5", "1,5"},      {"Edit6", "a.5", ".5"},  {"Edit17", "12345678", "123456"},
        {"Edit53", "0121", "011"},    {"Edit54", "0a5", "5"},  {"Edit56", "69", ""},
        {"Edit91", "54", "4"},        {"Edit63", "1a2", "12"}, {"Edit92", "h1k2p3r f", "*1#2P3RF"},
        {"Edit102", "+49 AB", "49"},
    };
    WindowRig rig(false);
    for (const auto& c : cases) {
        rig.Model().SetText(c.field, "");
        rig.Enter(c.field);
        QTest::keyClicks(rig.W(c.field), c.typed);
        EXPECT_EQ(rig.Edit(c.field)->text(), QString(c.shown)) << c.field << " " << c.typed;
        EXPECT_EQ(rig.Model().Text(c.field), QString(c.shown)) << c.field;
        // Backspace passes every filter that takes typing.
        if (*c.shown) {
            QTest::keyClick(rig.W(c.field), Qt::Key_Backspace);
            EXPECT_EQ(rig.Edit(c.field)->text().size(), QString(c.shown).size() - 1) << c.field;
        }
        rig.Model().SetText(c.field, FindField(c.field)->defaultText);
        rig.window->Tree()->setFocus(Qt::OtherFocusReason);
    }
    // A text longer than the keyboard limit, from a read or a file, is shown whole.
    rig.Model().SetText("Edit1", "123456");
    EXPECT_EQ(rig.Edit("Edit1")->text(), QString("123456"));
}

TEST(WindowFields, ListsDropTypedKeysExceptTheDigitList) {
    WindowRig rig(false);
    rig.Enter("ComboBox7");
    const int before = rig.List("ComboBox7")->currentIndex();
    QTest::keyClicks(rig.W("ComboBox7"), "a5T1");
    EXPECT_EQ(rig.List("ComboBox7")->currentIndex(), before);
    QTest::keyClick(rig.W("ComboBox7"), Qt::Key_Down); // arrows still choose
    EXPECT_EQ(rig.Model().Choice("ComboBox7"), before + 1);

    rig.Enter("ComboBox3");
    QComboBox* digits = rig.List("ComboBox3");
    digits->lineEdit()->selectAll();
    QTest::keyClicks(digits, "a4");
    EXPECT_EQ(digits->currentText(), QString("4"));
    EXPECT_EQ(rig.Model().Choice("ComboBox3"), 3);
    rig.Leave();
    EXPECT_EQ(rig.Model().Choice("ComboBox3"), 3);

    // A typed number that is no item counts as an empty list: the fixed position, and the
    // user stays in the list.
    rig.Enter("ComboBox3");
    digits->lineEdit()->selectAll();
    QTest::keyClicks(digits, "9");
    rig.Leave();
    EXPECT_EQ(rig.Model().Choice("ComboBox3"), 2);
    EXPECT_EQ(digits->currentText(), QString("3"));
    EXPECT_EQ(QApplication::focusWidget(), digits);

    // A list left without a selection gets its fixed position back.
    rig.Model().SetChoice("ComboBox11", -1);
    rig.Enter("ComboBox11");
    rig.Leave();
    EXPECT_EQ(rig.Model().Choice("ComboBox11"), 2);
}

TEST(WindowFields, PagesAndModelFollowEachOther) {
    WindowRig rig(false);
    // Model to page.
    rig.Model().SetText("Edit59", "130");
    rig.Model().SetChoice("ComboBox4", 3);
    rig.Model().SetFlag("CheckBox7", true);
    rig.Model().SetChoice("GroupBox8", 3);
    EXPECT_EQ(rig.Edit("Edit59")->text(), QString("130"));
    EXPECT_EQ(rig.List("ComboBox4")->currentIndex(), 3);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(rig.W("CheckBox7"))->isChecked());
    EXPECT_TRUE(rig.Button("RadioButton16")->isChecked()); // the third keyboard place
    rig.Model().SetChoice("GroupBox8", -1);
    for (const char* b : {"RadioButton9", "RadioButton16"})
        EXPECT_FALSE(rig.Button(b)->isChecked());
    rig.Model().SetChoiceItems("ComboBox15", {"Off", "Type 1", "Type 2", "Silent call"});
    EXPECT_EQ(rig.List("ComboBox15")->count(), 4);

    // Page to model.
    rig.ShowPageOf("GroupBox2");
    rig.Button("RadioButton3")->click();
    EXPECT_EQ(rig.Model().Choice("GroupBox2"), 0);
    rig.ShowPageOf("CheckBox3");
    rig.Button("CheckBox3")->click();
    EXPECT_FALSE(rig.Model().Flag("CheckBox3"));
    rig.ShowPageOf("ComboBox12");
    rig.List("ComboBox12")->setCurrentIndex(3);
    EXPECT_EQ(rig.Model().Choice("ComboBox12"), 3);
}

// With real message boxes the box takes the focus while it is open; the refused field
// still gets it back afterwards, and the control that was clicked runs no check of its own.
TEST(WindowFields, RealMessageBoxKeepsTheUserInTheRefusedField) {
    QTemporaryDir home;
    VirtualClock clock;
    MainWindowOptions options;
    options.home = home.path();
    options.clock = &clock;
    options.driveTimers = false;
    TForm1 window(options);
    int boxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++boxes;
            modal->close();
        }
    });
    closer.start(5);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    boxes = 0;

    window.Tree()->setCurrentItem(window.Tree()->EntryForPage(Page::Codes));
    window.Model().SetText("Edit2", "");
    window.Model().SetText("Edit3", "");
    window.Control("Edit2")->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(window.Control("Edit2"), "*");
    QTest::keyClicks(window.Control("Edit3"), "7"); // refused too, but never entered
    window.Control("Edit3")->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(boxes, 1);
    // The desktop makes the window active again once the box has gone.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::qWait(20);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(QApplication::focusWidget(), window.Control("Edit2"));
    EXPECT_EQ(window.Model().Text("Edit2"), QString("*"));
    closer.stop();
    window.Model().SetText("Edit2", "11");
    window.Model().SetText("Edit3", "11");
    QTimer::singleShot(50, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    window.close(); // answers the save question with its default
}

// Clicking another tree entry while a field holds a value: a refused value keeps the page,
// the entry and the focus in the field (so it cannot be left behind and sent on later); a
// value that passes, or is repaired, lets the page change.
TEST(WindowFields, TreeClickLeavesThePageOnlyWhenTheValuePasses) {
    const struct {
        const char* field;
        const char* typed;
        int messages;
        bool refused;
    } cases[] = {
        {"Edit1", "12", 1, true}, // a two-digit password
        {"Edit2", "*", 1, true},     {"Edit17", "5", 1, true},
        {"Edit53", "101", 0, true}, // put back to the factory pattern, focus kept
        {"Edit1", "1234", 0, false}, {"Edit10", "1.5", 0, false}, // repaired to "0.5"
    };
    WindowRig rig(false);
    NavigationTree* tree = rig.window->Tree();
    QWidget* entries = tree->viewport();
    const QPoint timeEntry = tree->visualItemRect(tree->EntryForPage(Page::Time)).center();
    const QPoint dialEntry = tree->visualItemRect(tree->EntryForPage(Page::Dial)).center();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " typed \"" + c.typed + "\"");
        rig.Model().SetText(c.field, "");
        rig.Enter(c.field);
        const int page = rig.window->CurrentPage();
        QTreeWidgetItem* entry = tree->currentItem();
        const QString title = rig.window->PageTitle();
        QTest::keyClicks(rig.W(c.field), c.typed);
        rig.dialogs.shown.clear();
        QTest::mouseClick(entries, Qt::LeftButton, {}, timeEntry);
        EXPECT_EQ(rig.dialogs.shown.size(), c.messages) << rig.Messages().join("|").toStdString();
        if (!c.refused) {
            EXPECT_EQ(rig.window->CurrentPage(), Page::Time);
            EXPECT_EQ(QApplication::focusWidget(), tree);
            continue;
        }
        EXPECT_EQ(rig.window->CurrentPage(), page);
        EXPECT_EQ(rig.window->PageTitle(), title);
        EXPECT_EQ(tree->currentItem(), entry);
        EXPECT_EQ(QApplication::focusWidget(), rig.W(c.field));
        // While the text stays refused, neither a double click nor dragging across the
        // entries gets past the field.
        if (c.messages > 0) {
            QTest::mouseDClick(entries, Qt::LeftButton, {}, timeEntry);
            QTest::mousePress(entries, Qt::LeftButton, {}, dialEntry);
            QTest::mouseMove(entries, timeEntry);
            QTest::mouseRelease(entries, Qt::LeftButton, {}, timeEntry);
            EXPECT_EQ(rig.window->CurrentPage(), page);
            EXPECT_EQ(tree->currentItem(), entry);
            EXPECT_EQ(QApplication::focusWidget(), rig.W(c.field));
        }
        // Once the value passes, the same click moves on.
        rig.Model().SetText(c.field, FindField(c.field)->defaultText);
        QTest::mouseClick(entries, Qt::LeftButton, {}, timeEntry);
        EXPECT_EQ(rig.window->CurrentPage(), Page::Time);
        EXPECT_EQ(QApplication::focusWidget(), tree);
    }
}
