// The window's reads and writes against the simulated door phone: a backup of every read,
// the door phone's old content kept before a write, and the read after a write that finds
// a byte the door phone did not keep.
#include "BackupMenu.h"
#include "CommLog.h"
#include "CompareDialog.h"
#include "GuardedWrite.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "window_harness.h"

#include <QProgressBar>

namespace {

QStringList BackupsIn(const QString& home) {
    return QDir(home + "/Backups").entryList(QDir::Files, QDir::Name);
}

QString BackupValue(const QString& home, const QString& name, const QString& field) {
    SettingsModel m;
    CommLog log;
    ReadSettingsFile(home + "/Backups/" + name, m, log);
    return m.ValueString(field);
}

// Runs a guarded command through its steps: each next step starts at a poll tick.
void RunGuarded(WindowRig& rig, const char* action) {
    rig.window->Action(QLatin1String(action))->trigger();
    ASSERT_TRUE(rig.RunUntil(
        [&rig] {
            return !rig.window->Guarded().Busy() && !rig.window->Comm().TransferActive() &&
                   !rig.window->Comm().ContinuationPending();
        },
        600000))
        << action;
}

} // namespace

TEST(WindowGuard, ReadsAndWritesLeaveBackupsAndWritesAreVerified) {
    const struct {
        const char* what;
        const char* action;
        bool backup, verify;
        int wrongByte, wrongRecord;
        int backups;         // files in the folder afterwards
        const char* suffix;  // of the newest
        QStringList differs; // rows shown after the write
    } cases[] = {
        {"read all", "Readall1", true, true, 0, 0, 1, "_fw2.53_all.nvs", {}},
        {"read parameters", "Readparameters1", true, true, 0, 0, 1, "_fw2.53_parameters.nvs", {}},
        {"write all", "Writeall1", true, true, 0, 0, 1, "_fw2.53_all.nvs", {}},
        {"write without backup", "Writeparameters1", false, true, 0, 0, 0, "", {}},
        {"wrong byte found", "Writeparameters1", false, true, 33, 0, 0, "", {"Edit54"}},
        {"wrong byte not looked for", "Writeparameters1", false, false, 33, 0, 0, "", {}},
        {"wrong number found",
         "Writephonenumbers1",
         true,
         true,
         0,
         3,
         1,
         "_fw2.53_numbers.nvs",
         {"M3"}},
    };
    for (const auto& c : cases) {
        WindowRig rig;
        const QString home = rig.home.path();
        rig.Connect();
        rig.Sim()->faults().wrongParameterByte = c.wrongByte;
        rig.Sim()->faults().wrongRecord = c.wrongRecord;
        // The door phone holds something else than the pages.
        SettingsModel old;
        old.CopyFrom(rig.Model());
        old.SetText("Edit54", "7");
        old.SetText(FirstNumberField(3), "111");
        rig.Sim()->SetParameters(EncodeParameterBlock(old, DoorPhoneState{true, "7"}).bytes);
        rig.Sim()->SetRecord(3, EncodeDialNumber("111"));
        rig.Model().SetText("Edit54", "5");
        rig.Model().SetText(FirstNumberField(3), "333");
        if (!c.backup) rig.window->Action("Backupbeforewrite1")->trigger();
        if (!c.verify) rig.window->Action("Verifyafterwrite1")->trigger();
        QList<QList<DiffRow>> shown;
        rig.window->Backups().present = [&shown](CompareDialog& d) { shown << d.Rows(); };
        rig.dialogs.answers = {true, true, true}; // the button-count question

        RunGuarded(rig, c.action);
        const QStringList backups = BackupsIn(home);
        ASSERT_EQ(backups.size(), c.backups) << c.what;
        const bool read = QLatin1String(c.action).startsWith(QLatin1String("Read"));
        if (c.backups) {
            EXPECT_TRUE(backups.last().endsWith(QLatin1String(c.suffix))) << c.what;
            // A read keeps what it read; a write keeps what was there before it.
            if (QLatin1String(c.action) != QLatin1String("Writephonenumbers1")) {
                EXPECT_EQ(BackupValue(home, backups.last(), "Edit54"), "7") << c.what;
            }
        }
        QStringList keys;
        for (const auto& rows : shown)
            for (const DiffRow& r : rows) keys << r.key;
        EXPECT_EQ(keys, c.differs) << c.what;
        // After a write the pages keep what the installer had.
        if (!read) {
            EXPECT_EQ(rig.Model().Text("Edit54"), "5") << c.what;
            EXPECT_EQ(rig.Model().Text(FirstNumberField(3)), "333") << c.what;
        } else {
            EXPECT_EQ(rig.Model().Text("Edit54"), "7") << c.what;
        }
    }
}
