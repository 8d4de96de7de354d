// The weekly day/night table: target row, copy, paste, delete, and their questions.
#include "DayNightTable.h"
#include "Pages.h"
#include "window_harness.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace {
struct TableRig : WindowRig {
    TableRig() : WindowRig(false) {
        window->Tree()->setCurrentItem(window->Tree()->EntryForPage(Page::AutoDayNight));
        // Every row different: row r holds r, r+10, r+20, r+30.
        for (int row = 1; row <= 7; ++row)
            for (int col = 0; col < 4; ++col)
                Model().SetText(TimeFieldName(row, col),
                                QString::number(row + 10 * col).rightJustified(2, '0'));
    }
    DayNightTable& Table() const { return window->DayNight(); }
    QStringList Row(int row) const {
        QStringList out;
        for (int col = 0; col < 4; ++col) out << Edit(TimeFieldName(row, col))->text();
        return out;
    }
    // A right-click on the weekday label, and the menu closed again.
    void RightClickWeekday(int row) const {
        QWidget* label = W(WeekdayLabelName(row));
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                label->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(label, &event);
        Table().Menu()->hide();
    }
    // The mouse crossing the bare group box.
    void CrossGroupBox() const {
        QWidget* group = W("GroupBox28");
        const QPointF at(group->width() - 3, group->height() - 3);
        ASSERT_EQ(group->childAt(at.toPoint()), nullptr);
        QMouseEvent move(QEvent::MouseMove, at, group->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(group, &move);
    }
    void Focus(int row, int col) const {
        W(TimeFieldName(row, col))->setFocus(Qt::MouseFocusReason);
    }
};
} // namespace

TEST(WindowDayNight, PasteNeedsACopyFirst) {
    TableRig rig;
    EXPECT_FALSE(rig.Table().Action("Paste1")->isEnabled());
    EXPECT_FALSE(rig.Table().Action("Pasteall1")->isEnabled());
    rig.Table().Paste1Click(); // also when reached without the menu
    rig.Table().Pasteall1Click();
    EXPECT_TRUE(rig.dialogs.shown.isEmpty());
    rig.Focus(3, 0);
    rig.Table().Copy1Click();
    EXPECT_TRUE(rig.Table().Action("Paste1")->isEnabled());
    EXPECT_TRUE(rig.Table().Action("Pasteall1")->isEnabled());
}

TEST(WindowDayNight, TargetRowFollowsTheWeekdayLabelThenTheFocus) {
    TableRig rig;
    // Right-clicked Monday wins over a Friday field with the focus.
    rig.Focus(6, 2);
    rig.RightClickWeekday(2);
    EXPECT_EQ(rig.Table().SelectedWeekday(), 2);
    rig.Table().Copy1Click();
    EXPECT_EQ(rig.Table().TimeClipboard(), rig.Row(2));

    // Crossing the group box forgets the weekday: Delete clears the focused Wednesday only,
    // without a question.
    rig.CrossGroupBox();
    EXPECT_EQ(rig.Table().SelectedWeekday(), 0);
    rig.Focus(4, 3);
    const QStringList tuesday = rig.Row(3);
    rig.Table().Delete1Click();
    EXPECT_EQ(rig.Row(4), QStringList({"00", "00", "00", "00"}));
    EXPECT_EQ(rig.Row(3), tuesday);
    EXPECT_EQ(rig.Row(5), QStringList({"05", "15", "25", "35"}));
    EXPECT_TRUE(rig.dialogs.shown.isEmpty());

    // Neither a weekday nor a table field: nothing happens.
    rig.Leave();
    rig.Table().Delete1Click();
    rig.Table().Copy1Click();
    EXPECT_EQ(rig.Table().TimeClipboard(), QStringList({"02", "12", "22", "32"}));
    EXPECT_EQ(rig.Row(1), QStringList({"01", "11", "21", "31"}));
}

TEST(WindowDayNight, PasteAndDeleteAskFirst) {
    struct Case {
        const char* command;
        bool answer;
        const char* caption;
        int matchingRows; // rows that end as the copied times (Saturday already does) or 00
    } cases[] = {
        {"Paste1", false, "Replace?", 1},
        {"Paste1", true, "Replace?", 2},
        {"Pasteall1", false, "Replace?", 1},
        {"Pasteall1", true, "Replace?", 7},
        {"Deleteall1", false, "Delete time setting", 0},
        {"Deleteall1", true, "Delete time setting", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + (c.answer ? " Yes" : " No"));
        TableRig rig;
        rig.RightClickWeekday(7); // Saturday: 07 17 27 37
        rig.Table().Copy1Click();
        rig.RightClickWeekday(1);
        rig.dialogs.answers = {c.answer};
        rig.Table().Action(c.command)->trigger();
        ASSERT_EQ(rig.dialogs.shown.size(), 1);
        EXPECT_EQ(rig.dialogs.shown[0].kind, QString("question"));
        EXPECT_EQ(rig.dialogs.shown[0].caption, QString(c.caption));
        EXPECT_EQ(rig.dialogs.shown[0].icon, MsgIcon::Question);
        const bool deleting = QString(c.command) == "Deleteall1";
        EXPECT_EQ(rig.dialogs.shown[0].text,
                  deleting
                      ? QString("Delete all time settings to the zero?")
                      : QString("Replace setting with this time\n     Day: 07:17   Night: 27:37"));
        const QStringList target = deleting ? QStringList({"00", "00", "00", "00"})
                                            : QStringList({"07", "17", "27", "37"});
        int matching = 0;
        for (int row = 1; row <= 7; ++row) matching += rig.Row(row) == target;
        EXPECT_EQ(matching, c.matchingRows);
        if (QString(c.command) == "Paste1" && c.answer) { EXPECT_EQ(rig.Row(1), target); }
    }
}

TEST(WindowDayNight, ClipboardSurvivesDefaultsAndTheMenuIsOnTableAndLabels) {
    TableRig rig;
    rig.RightClickWeekday(5);
    rig.Table().Copy1Click();
    rig.window->LoadModelDefaults();
    EXPECT_EQ(rig.Row(5), QStringList({"00", "00", "00", "00"}));
    EXPECT_EQ(rig.Table().TimeClipboard(), QStringList({"05", "15", "25", "35"}));
    EXPECT_TRUE(rig.Table().Action("Paste1")->isEnabled());
    EXPECT_EQ(rig.W("Edit75")->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(rig.W("Label102")->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(rig.window->PopupMenu(2), rig.Table().Menu());
}
