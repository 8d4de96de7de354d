// File > "Compare with file…", the Option switches kept in Config.ini, and "Open backups
// folder", through scripted dialogs and a stand-in for the file manager.
#include "BackupMenu.h"
#include "CommLog.h"
#include "CompareDialog.h"
#include "Dialogs.h"
#include "IniFile.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "window_harness.h"

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Rig {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SettingsModel model;
    LanguageTexts texts;
    QStringList configErrors;
    BackupMenu menu{{nullptr, &dialogs, &model, &texts, [this] { return dir.path(); },
                     [this](const QString& e) { configErrors << e; }, nullptr}};
    QList<QList<DiffRow>> presented;
    QStringList messages; // the line above each presented list
    QList<QUrl> opened;
    bool openWorks = true;

    Rig() {
        menu.present = [this](CompareDialog& d) {
            presented << d.Rows();
            messages << d.Message();
            EXPECT_EQ(d.Table()->rowCount(), d.Rows().size());
        };
        menu.openUrl = [this](const QUrl& url) {
            opened << url;
            return openWorks;
        };
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Shown() const {
        QStringList out;
        for (const auto& s : dialogs.shown) out << s.kind + ":" + s.text;
        return out;
    }
    void Save(const QString& name, const SettingsModel& m) const {
        CommLog log;
        WriteSettingsFile(Path(name), m, log);
    }
};

} // namespace

TEST(BackupMenu, CompareWithFileListsWhatDiffersAndLeavesThePagesAlone) {
    Rig rig;
    SettingsModel other;
    other.SetFlag("CheckBox7", true);
    other.SetText(FirstNumberField(42), "0609");
    rig.Save("other.nvs", other);
    rig.Save("same.NVS", rig.model);
    QFile bad(rig.Path("short.nvs"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(120, 'x'));
    bad.close();

    const struct {
        const char* answer;
        int rows;          // -1: no list shown
        const char* shown; // the message box, if any
    } cases[] = {
        {"other.nvs", 2, ""},
        {"same.NVS", 0, ""},
        {"", -1, ""}, // cancelled: nothing more
        {"notes.txt", -1, "message:File not for NorvaSet"},
        {"short.nvs", -1, "message:Read beyond end of file"},
    };
    for (const auto& c : cases) {
        rig.presented.clear();
        rig.messages.clear();
        rig.dialogs.shown.clear();
        rig.dialogs.fileAnswers = {*c.answer ? rig.Path(QLatin1String(c.answer)) : QString()};
        rig.menu.CompareWithFile();
        QStringList want = {"open:"};
        if (*c.shown) want << QLatin1String(c.shown);
        QStringList shown = rig.Shown();
        if (!shown.isEmpty()) shown[0] = shown[0].left(5);
        EXPECT_EQ(shown, want) << c.answer;
        ASSERT_EQ(rig.presented.size(), c.rows < 0 ? 0 : 1) << c.answer;
        if (c.rows >= 0) { EXPECT_EQ(rig.presented[0].size(), c.rows) << c.answer; }
    }
    EXPECT_EQ(rig.dialogs.fileRequests.last().title, "Compare with file");
    EXPECT_FALSE(rig.model.Flag("CheckBox7"));
    EXPECT_EQ(rig.model.Text(FirstNumberField(42)), "");
}

TEST(BackupMenu, CompareDialogShowsTheRowsOrThatNothingDiffers) {
    Rig rig;
    SettingsModel other;
    other.SetFlag("CheckBox7", true);
    const QList<DiffRow> rows = DiffSettings(rig.model, other, rig.texts);
    CompareDialog some("Compare with file", "/x/a.nvs", rows, "In the window", "In the file",
                       rig.texts);
    ASSERT_EQ(some.Table()->rowCount(), 1);
    EXPECT_EQ(some.Table()->horizontalHeaderItem(2)->text(), "In the window");
    EXPECT_EQ(some.Table()->item(0, 1)->text(), "65 Close switch signalization (open the door)");
    EXPECT_EQ(some.Table()->item(0, 3)->text(), "on");
    EXPECT_EQ(some.Message(), "/x/a.nvs");
    CompareDialog none("Compare with file", "/x/a.nvs", {}, "A", "B", rig.texts);
    EXPECT_EQ(none.Message(), "The settings are the same");
}

TEST(BackupMenu, OpenBackupsFolderMakesItAndHandsItToTheFileManager) {
    const struct {
        bool openWorks;
        bool message;
    } cases[] = {{true, false}, {false, true}};
    for (const auto& c : cases) {
        Rig rig;
        rig.openWorks = c.openWorks;
        rig.menu.OpenBackupsFolder();
        ASSERT_EQ(rig.opened.size(), 1);
        EXPECT_EQ(rig.opened[0], QUrl::fromLocalFile(rig.Path("Backups")));
        EXPECT_TRUE(QFileInfo(rig.Path("Backups")).isDir());
        EXPECT_EQ(rig.Shown().size(), c.message ? 1 : 0);
        if (c.message) {
            EXPECT_TRUE(rig.Shown()[0].contains("The backups folder cannot be opened"));
        }
    }
}

TEST(BackupMenu, WindowMenusCarryTheItemsAndTheSwitchesOutliveARestart) {
    QTemporaryDir home;
    {
        WindowRig rig(true, {}, home.path());
        TForm1& w = *rig.window;
        QAction* compare = w.Action("Comparewithfile1");
        QAction* verify = w.Action("Verifyafterwrite1");
        QAction* backup = w.Action("Backupbeforewrite1");
        QAction* open = w.Action("Openbackupsfolder1");
        ASSERT_TRUE(compare && verify && backup && open);
        EXPECT_EQ(compare->text(), "&Compare with file…");
        EXPECT_EQ(open->text(), "&Open backups folder");
        // Compare sits in the File menu just before Print.
        const QList<QAction*> file = w.findChild<QMenu*>("File1")->actions();
        const int at = int(file.indexOf(compare));
        ASSERT_GE(at, 0);
        EXPECT_EQ(file[at + 1]->objectName(), "Print1");
        EXPECT_TRUE(verify->isChecked());
        EXPECT_TRUE(backup->isChecked());
        verify->trigger();
        // No warning: a Config.ini that is not there yet takes the switch at close.
        EXPECT_EQ(rig.Messages(), QStringList());
        EXPECT_FALSE(w.Backups().Options().verifyAfterWrite);
        EXPECT_TRUE(w.Backups().Options().backupBeforeWrite);
    }
    IniFile ini;
    ASSERT_TRUE(ini.Load(QDir(home.path()).filePath("Config.ini")));
    EXPECT_EQ(ini.ReadString("Backup", "VerifyAfterWrite", {}), "0");
    EXPECT_EQ(ini.ReadString("Setup", "Lang", {}), "English.lng");
    {
        WindowRig rig(true, {}, home.path());
        EXPECT_FALSE(rig.window->Action("Verifyafterwrite1")->isChecked());
        EXPECT_TRUE(rig.window->Action("Backupbeforewrite1")->isChecked());
    }
}
