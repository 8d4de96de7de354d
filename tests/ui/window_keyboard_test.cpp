// The main window without a mouse: an accelerator for every menu item in every shipped
// language, the desktop's keys, and Tab through every page as the page reads.
#include "HelpWindow.h"
#include "window_harness.h"

#include <QDirIterator>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>

namespace {

void CopyLanguageFiles(const QString& home) {
    QDirIterator it(QStringLiteral(NORVA_SOURCE_DIR) + "/assets", {"*.lng"}, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile::copy(path, QDir(home).filePath(QFileInfo(path).fileName()));
    }
}

// The accelerator of a caption, upper case: the character after a single "&". "" when the
// caption has none, "?" when it marks more than one.
QString Accelerator(const QString& caption) {
    QString found;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[++i] == QLatin1Char('&')) continue; // "&&" is an "&"
        if (!found.isEmpty()) return QStringLiteral("?");
        found = caption[i].toUpper();
    }
    return found;
}

struct Menu {
    QString name;
    QList<QAction*> items;
};

// The menu bar and every menu with items the user chooses by name: the language entries
// are file names, and the two spacers of the bar hold no command.
QList<Menu> MenusOf(const TForm1& w) {
    QList<Menu> menus;
    Menu bar{"menu bar", {}};
    for (QAction* a : w.menuBar()->actions()) {
        if (a->objectName() == "N10" || a->objectName() == "M11") continue;
        bar.items << a;
        if (a->menu() && a->objectName() != "Language1")
            menus << Menu{a->objectName(), a->menu()->actions()};
    }
    menus.prepend(bar);
    for (int n = 1; n <= 3; ++n)
        menus << Menu{w.PopupMenu(n)->objectName(), w.PopupMenu(n)->actions()};
    return menus;
}

// The name of the modal window that press opens; it is closed as soon as it is up.
QString ModalOpenedBy(const std::function<void()>& press) {
    QString name;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&name, &watch] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            name = modal->objectName();
            modal->close();
            watch.stop();
        }
    });
    watch.start(10);
    press();
    return name;
}

} // namespace

TEST(WindowKeyboard, EveryMenuItemHasItsOwnAcceleratorInEveryShippedLanguage) {
    WindowRig rig(true, CopyLanguageFiles);
    TForm1& w = *rig.window;
    int languages = 0;
    for (int slot = 0; slot < 20; ++slot) {
        if (w.LanguageSlots()[slot].isEmpty()) continue;
        ++languages;
        w.LanguageItemClick(slot);
        // Both states of the log switch are menu texts.
        for (int round = 0; round < 2; ++round) {
            w.LogFile1Click();
            for (const Menu& menu : MenusOf(w)) {
                QHash<QString, QString> taken; // accelerator -> caption
                for (QAction* a : menu.items) {
                    if (a->isSeparator()) continue;
                    const QString where = QFileInfo(w.LanguageSlots()[slot]).fileName() + " " +
                                          menu.name + ": \"" + a->text() + "\"";
                    const QString key = Accelerator(a->text());
                    ASSERT_EQ(key.size(), 1) << where.toStdString();
                    EXPECT_TRUE(key[0].unicode() < 0x80 && key[0].isLetterOrNumber())
                        << where.toStdString() << " (a key every keyboard has)";
                    EXPECT_FALSE(taken.contains(key))
                        << where.toStdString() << " shares " << key.toStdString() << " with \""
                        << taken.value(key).toStdString() << "\"";
                    taken.insert(key, a->text());
                }
            }
        }
    }
    EXPECT_GE(languages, 2);
}

TEST(WindowKeyboard, DesktopKeysReachTheCommands) {
    const struct {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* dialog; // the kind of dialog the key opens, "" none
    } cases[] = {
        {"Ctrl+O opens", Qt::Key_O, Qt::ControlModifier, "open"},
        {"Ctrl+S saves (no file yet: asks for one)", Qt::Key_S, Qt::ControlModifier, "save"},
        {"Ctrl+Shift+S saves as", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "save"},
        {"Ctrl+P prints", Qt::Key_P, Qt::ControlModifier, "print"},
        {"Ctrl+Q asks before it closes", Qt::Key_Q, Qt::ControlModifier, "question"},
        {"Ctrl+N starts anew", Qt::Key_N, Qt::ControlModifier, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig rig(false);
        rig.Model().SetText("Edit1", "4321");
        rig.window->Tree()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
        if (*c.dialog) {
            ASSERT_FALSE(rig.dialogs.shown.isEmpty());
            EXPECT_EQ(rig.dialogs.shown[0].kind, QString(c.dialog));
        } else {
            EXPECT_TRUE(rig.dialogs.shown.isEmpty());
        }
        if (c.key == Qt::Key_N) { EXPECT_NE(rig.Model().Text("Edit1"), QString("4321")); }
    }

    // Alt+F and F10: the File menu. F1: the Help window.
    WindowRig rig(false);
    rig.window->Tree()->setFocus();
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F, Qt::AltModifier}, std::pair{Qt::Key_F10, Qt::NoModifier}}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr) << QKeySequence(key | modifiers).toString().toStdString();
        EXPECT_EQ(popup->objectName(), QString("File1"));
        popup->close();
    }
    EXPECT_EQ(ModalOpenedBy([] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1); }),
              QString("TForm3"));
}

// Tab from the tree goes through the page shown, control by control as the page reads,
// and back to the tree: every control once, nothing of another page.
TEST(WindowKeyboard, TabFollowsEveryPageTopToBottomAndLeftToRight) {
    WindowRig rig;
    rig.Connect(); // the door-phone controls (the clock button) take the focus too
    TForm1& w = *rig.window;
    w.resize(1000, 700);
    for (int entry = 0; entry < NavigationTree::kEntries; ++entry) {
        QTreeWidgetItem* item = w.Tree()->Entry(entry);
        if (!NavigationTree::IsOpen(item)) continue;
        w.Tree()->setCurrentItem(item);
        QWidget* page = static_cast<QStackedWidget*>(w.Control("PageControl1"))->currentWidget();
        const std::string name = page->objectName().toStdString();
        w.Tree()->setFocus();
        QApplication::processEvents();

        QList<QWidget*> stops;
        for (int n = 0; n < 400; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* at = QApplication::focusWidget();
            if (at == w.Tree()) break;
            ASSERT_TRUE(at && page->isAncestorOf(at))
                << name << ": Tab left the page for " << (at ? at->objectName().toStdString() : "");
            ASSERT_FALSE(stops.contains(at)) << name << ": " << at->objectName().toStdString()
                                             << " twice; Tab does not come back to the tree";
            stops << at;
        }
        EXPECT_EQ(QApplication::focusWidget(), w.Tree()) << name;

        // Every control the page shows that takes the keyboard is reached; of a group of
        // radio buttons one stands for the group (arrows choose within it).
        QSet<QWidget*> groupsSeen;
        for (QWidget* stop : stops)
            if (qobject_cast<QRadioButton*>(stop)) groupsSeen << stop->parentWidget();
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (control->objectName().isEmpty() || !(control->focusPolicy() & Qt::TabFocus) ||
                !control->isVisibleTo(page) || !control->isEnabled() || control->focusProxy())
                continue;
            if (qobject_cast<QRadioButton*>(control)) {
                EXPECT_TRUE(groupsSeen.contains(control->parentWidget()))
                    << name << ": the group of " << control->objectName().toStdString();
                continue;
            }
            EXPECT_TRUE(stops.contains(control))
                << name << ": " << control->objectName().toStdString();
        }

        // Each step goes down, or right along the band it is in, judged where the two
        // controls part: the two boxes (or the controls) side by side in one container.
        for (qsizetype i = 1; i < stops.size(); ++i) {
            QWidget* a = stops[i - 1];
            QWidget* b = stops[i];
            QWidget* common = a->parentWidget();
            while (!common->isAncestorOf(b)) common = common->parentWidget();
            while (a->parentWidget() != common) a = a->parentWidget();
            while (b->parentWidget() != common) b = b->parentWidget();
            const QRect ra = a->geometry(), rb = b->geometry();
            const bool below = rb.top() >= ra.bottom() - 1;
            const bool right = rb.left() >= ra.right() - 1 && rb.top() < ra.bottom();
            EXPECT_TRUE(below || right) << name << ": " << stops[i - 1]->objectName().toStdString()
                                        << " then " << stops[i]->objectName().toStdString();
        }
    }
}
