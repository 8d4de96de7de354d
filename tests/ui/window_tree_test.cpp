// The navigation tree with the shipped language files and model templates: entries the
// model lacks, and entries and pages that read whole at the window's default size.
#include "window_harness.h"

#include <QDirIterator>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyleOptionViewItem>
#include <QToolTip>

namespace {
// The shipped files into a program folder, with the language and model to start with.
std::function<void(const QString&)> Shipped(const char* language, int model) {
    return [language, model](const QString& home) {
        QDirIterator it(QStringLiteral(NORVA_SOURCE_DIR) + "/assets", QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile::copy(path, QDir(home).filePath(QFileInfo(path).fileName()));
        }
        WriteTextFile(
            QDir(home).filePath("Config.ini"),
            QString("[Setup]\r\nLang=%1\r\nCommunicator=%2\r\n").arg(language).arg(model).toUtf8());
    };
}

void PickModel(TForm1& window, int model) {
    auto* selector = qobject_cast<QComboBox*>(window.Control("ComboBox16"));
    ASSERT_NE(selector, nullptr);
    selector->setCurrentIndex(model);
    window.ComboBox16Change();
}

// Where the style draws an entry's text, worked out from the style alone.
QRect DrawnTextRoom(NavigationTree* tree, QTreeWidgetItem* item) {
    QStyleOptionViewItem opt;
    opt.initFrom(tree->viewport());
    opt.widget = tree;
    opt.font = tree->font();
    opt.fontMetrics = QFontMetrics(opt.font);
    opt.rect = tree->visualItemRect(item);
    opt.text = item->text(0);
    opt.icon = item->icon(0);
    opt.decorationSize = tree->iconSize();
    opt.decorationPosition = QStyleOptionViewItem::Left;
    opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    opt.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::WrapText;
    if (!opt.icon.isNull()) opt.features |= QStyleOptionViewItem::HasDecoration;
    const QRect text = tree->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, tree);
    // The style keeps a margin inside that rectangle on either side.
    const int margin = tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, tree) + 1;
    return text.adjusted(margin, 0, -margin, 0);
}

// The positions of the entries each shipped model lacks (0 = "DoorPhone select").
struct ModelCase {
    int model;
    const char* name;
    QList<int> blank;
};
const QList<int> kButtonPages2To10 = {17, 18, 19, 20, 21, 22, 23, 24, 25};
const ModelCase kModels[] = {
    {0, "Vant Norva low cost", QList<int>{8, 9} + kButtonPages2To10}, // 1 button, no relay 2
    {1, "Norva 2 Keypad", kButtonPages2To10},
    {2, "Vant Norva 4", kButtonPages2To10},
    {3, "Norva 10", kButtonPages2To10},
    {4, "Norva 99", {}},
};
} // namespace

TEST(WindowTree, EntriesAModelLacksAreNotShownAndOpenNoPage) {
    WindowRig rig(false, Shipped("English.lng", 4));
    NavigationTree* tree = rig.window->Tree();
    for (const ModelCase& m : kModels) {
        SCOPED_TRACE(m.name);
        PickModel(*rig.window, m.model);
        ASSERT_EQ(rig.Model().ChoiceText("ComboBox16"), QString(m.name));
        tree->setCurrentItem(tree->Entry(7)); // "Code relay", just above relay 2
        QList<int> pagesInOrder;
        for (int i = 0; i < NavigationTree::kEntries; ++i) {
            QTreeWidgetItem* entry = tree->Entry(i);
            const bool lacking = m.blank.contains(i);
            EXPECT_EQ(entry->text(0).isEmpty(), lacking) << i;
            EXPECT_EQ(entry->isHidden(), lacking) << i;
            // No row, so neither an arrow nor anything to click.
            EXPECT_EQ(tree->visualItemRect(entry).isEmpty(), lacking) << i;
            if (!lacking) {
                pagesInOrder << NavigationTree::PageOf(entry);
                continue;
            }
            tree->setCurrentItem(entry);
            EXPECT_EQ(tree->currentItem(), tree->Entry(7)) << i;
            EXPECT_EQ(rig.window->CurrentPage(), Page::CodeRelay) << i;
            EXPECT_EQ(rig.window->PageTitle(), QString("Code relay")) << i;
        }
        // Walking the tree with the arrow keys shows the pages of the model, in order.
        tree->setCurrentItem(tree->Entry(0));
        tree->setFocus(Qt::OtherFocusReason);
        QList<int> walked{rig.window->CurrentPage()};
        for (int step = 0; step < NavigationTree::kEntries; ++step) {
            QTest::keyClick(tree, Qt::Key_Down);
            if (rig.window->CurrentPage() != walked.last()) walked << rig.window->CurrentPage();
        }
        EXPECT_EQ(walked, pagesInOrder);
    }
}

// The model changes while a page it lacks is on show: the entry above it takes over.
TEST(WindowTree, APageTheNewModelLacksGivesWayToTheEntryAbove) {
    const struct {
        int entry;
        int shownEntry;
    } cases[] = {{8, 4}, {9, 4}, {17, 15}, {25, 15}, {16, 16}, {6, 6}};
    WindowRig rig(false, Shipped("English.lng", 4));
    NavigationTree* tree = rig.window->Tree();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        PickModel(*rig.window, 4);
        tree->setCurrentItem(tree->Entry(c.entry));
        PickModel(*rig.window, 0); // low cost: no relay 2, one button
        EXPECT_EQ(tree->currentItem(), tree->Entry(c.shownEntry));
        EXPECT_EQ(rig.window->CurrentPage(), NavigationTree::PageOf(tree->Entry(c.shownEntry)));
        EXPECT_EQ(rig.window->PageTitle(), tree->Entry(c.shownEntry)->text(0));
    }
    // Back to the full model: every entry is there again.
    PickModel(*rig.window, 4);
    for (int i = 0; i < NavigationTree::kEntries; ++i) EXPECT_FALSE(tree->Entry(i)->isHidden());
}

TEST(WindowTree, EveryEntryReadsWholeInBothLanguages) {
    for (const char* language : {"English.lng", "Czech.lng"})
        for (int model : {0, 4}) { // without and with the tree's vertical scroll bar
            WindowRig rig(false, Shipped(language, model));
            ASSERT_EQ(rig.window->size(), QSize(TForm1::kMinWidth, TForm1::kMinHeight));
            NavigationTree* tree = rig.window->Tree();
            EXPECT_EQ(tree->width(), 165);
            const QFontMetrics metrics(tree->font());
            // At start, then after a change to the other model (the scroll bar comes or goes).
            for (int shown : {model, 4 - model}) {
                SCOPED_TRACE(std::string(language) + " model " + std::to_string(shown));
                if (shown != model) PickModel(*rig.window, shown);
                // The scroll bar follows the new layout once the window's timers have run.
                const bool bar = shown == 4;
                EXPECT_TRUE(QTest::qWaitFor(
                    [&] { return tree->verticalScrollBar()->isVisible() == bar; }, 2000));
                for (int i = 0; i < NavigationTree::kEntries; ++i) {
                    QTreeWidgetItem* entry = tree->Entry(i);
                    if (entry->isHidden()) continue;
                    const QString text = entry->text(0);
                    const QRect room = DrawnTextRoom(tree, entry);
                    const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 1000),
                                                              Qt::TextWordWrap, text);
                    EXPECT_LE(needed.width(), room.width()) << text.toStdString();
                    EXPECT_LE(needed.height(), room.height()) << text.toStdString();
                    EXPECT_LE(room.right(), tree->viewport()->width()) << text.toStdString();
                }
                EXPECT_FALSE(tree->horizontalScrollBar()->isVisible());
            }
        }
}

TEST(WindowTree, EveryPageFitsWithoutAHorizontalScrollBarInBothLanguages) {
    for (const char* language : {"English.lng", "Czech.lng"}) {
        SCOPED_TRACE(language);
        WindowRig rig(false, Shipped(language, 4)); // the model with every page
        NavigationTree* tree = rig.window->Tree();
        for (int i = 0; i < NavigationTree::kEntries; ++i) {
            tree->setCurrentItem(tree->Entry(i));
            QApplication::processEvents();
            auto* page = qobject_cast<QScrollArea*>(
                qobject_cast<QStackedWidget*>(rig.W("PageControl1"))->currentWidget());
            ASSERT_NE(page, nullptr);
            const std::string name =
                page->objectName().toStdString() + " " + tree->Entry(i)->text(0).toStdString();
            EXPECT_FALSE(page->horizontalScrollBar()->isVisible()) << name;
            EXPECT_LE(page->widget()->minimumSizeHint().width(), page->viewport()->width()) << name;
        }
    }
}

// A text that cannot be shown whole even wrapped (one word wider than the row) shows whole
// in a tooltip; entries that read whole keep the tree's own hint.
TEST(WindowTree, AnEntryTooLongToWrapShowsWholeInATooltip) {
    WindowRig rig(false);
    NavigationTree* tree = rig.window->Tree();
    const QString word = "Freisprecheinrichtungseinstellungen";
    tree->SetEntryText(12, word);
    for (const auto& [entry, tip] : {std::pair{12, word}, std::pair{1, QString()}}) {
        QToolTip::hideText();
        const QPoint at = tree->visualItemRect(tree->Entry(entry)).center();
        QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &help);
        EXPECT_EQ(QToolTip::text() == word, !tip.isEmpty()) << entry;
    }
}
