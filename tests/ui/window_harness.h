#pragma once
// The main window on the virtual clock with scripted dialogs, talking to the simulated
// door phone (or to no cable at all). The engine's timers are ticked by a TimerLoop, so
// a whole transfer runs in milliseconds.

#include "Communicator.h"
#include "Dialogs.h"
#include "FieldCatalogue.h"
#include "GuardedWrite.h"
#include "MainWindow.h"
#include "NavigationTree.h"
#include "SimDoorPhone.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

struct WindowRig {
    QTemporaryDir home;
    VirtualClock clock;
    ScriptedDialogs dialogs;
    std::unique_ptr<TForm1> window;

    // What start-up showed (dialogs.shown is cleared once the window runs).
    QList<ScriptedDialogs::Shown> startup;

    // prepare runs before the window starts, with the program folder; folder replaces
    // the temporary program folder.
    explicit WindowRig(bool simulator = true,
                       const std::function<void(const QString&)>& prepare = {},
                       const QString& folder = QString()) {
        const QString programFolder = folder.isEmpty() ? home.path() : folder;
        if (prepare) prepare(programFolder);
        MainWindowOptions options;
        options.home = programFolder;
        options.backend.simulator = simulator;
        options.dialogs = &dialogs;
        options.clock = &clock;
        options.driveTimers = false;
        window = std::make_unique<TForm1>(options);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        startup = dialogs.shown;
        dialogs.shown.clear();
    }
    ~WindowRig() {
        dialogs.answers = {false}; // no save at close
        window->close();
    }

    QWidget* W(const QString& name) const { return window->Control(name); }
    QLineEdit* Edit(const QString& name) const { return qobject_cast<QLineEdit*>(W(name)); }
    QComboBox* List(const QString& name) const { return qobject_cast<QComboBox*>(W(name)); }
    QAbstractButton* Button(const QString& name) const {
        return qobject_cast<QAbstractButton*>(W(name));
    }
    SimDoorPhone* Sim() const {
        return dynamic_cast<SimDoorPhone*>(window->DeviceBackendInUse().farEnd.get());
    }
    SettingsModel& Model() const { return window->Model(); }

    // Shows the page of a field through the tree.
    void ShowPageOf(const QString& field) const {
        const FieldDef* def = FindField(field);
        ASSERT_NE(def, nullptr) << field.toStdString();
        window->Tree()->setCurrentItem(window->Tree()->EntryForPage(def->page));
    }
    // Puts the focus into a field of its page, as a click would.
    void Enter(const QString& field) const {
        ShowPageOf(field);
        W(field)->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), W(field)) << field.toStdString();
    }
    // Moves the focus away, as a click on the tree would.
    void Leave() const { window->Tree()->setFocus(Qt::MouseFocusReason); }

    // Runs the engine's timers on virtual time.
    bool RunUntil(const std::function<bool()>& done, qint64 maxMs = 120000) {
        TimerLoop loop(window->Comm(), clock);
        return loop.RunUntil(done, maxMs);
    }
    void RunFor(qint64 ms) {
        TimerLoop loop(window->Comm(), clock);
        loop.RunFor(ms);
    }
    // Lets the first status exchange happen, so the device commands are on.
    void Connect() {
        RunFor(3500);
        ASSERT_TRUE(window->DeviceCommandsOn());
    }
    // Triggers a menu item and waits for its transfer to end.
    void Transfer(const char* action) {
        QAction* a = window->Action(QLatin1String(action));
        ASSERT_TRUE(a && a->isEnabled()) << action;
        a->trigger();
        // A write runs its backup read, the write and the read after it.
        ASSERT_TRUE(RunUntil([this] {
            return !window->Comm().TransferActive() && !window->Guarded().Busy() &&
                   !window->Comm().ContinuationPending();
        })) << action;
    }

    QStringList Messages() const {
        QStringList out;
        for (const auto& s : dialogs.shown) out << s.kind + ": " + s.text;
        return out;
    }
};

// Texts of the message boxes among shown dialogs.
inline QStringList MessageTexts(const QList<ScriptedDialogs::Shown>& shown) {
    QStringList out;
    for (const auto& s : shown)
        if (s.kind == "message") out << s.text;
    return out;
}

inline void WriteTextFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
}
