// The order of a guarded write and what each failure leaves: the steps are stand-ins that
// play a door phone holding other settings than the window.
#include "CommLog.h"
#include "GuardedWrite.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Rig {
    QTemporaryDir dir;
    LanguageTexts texts;
    CommLog log;
    SettingsModel window; // what the installer has on the pages
    SettingsModel device; // what the door phone holds
    QStringList calls;
    QStringList statuses;
    bool readFails[2] = {false, false}; // first, second read
    bool writeFails = false;
    bool writeTakes = true; // false: the door phone keeps one byte wrong

    Rig() {
        window.SetText("Edit7", "12");
        window.SetText(FirstNumberField(4), "777");
        device.SetText("Edit7", "33");
        device.SetText(FirstNumberField(4), "555");
    }

    GuardedWriteSteps Steps() {
        GuardedWriteSteps s;
        s.read = [this](BackupContent what, RawRead& raw) {
            const int n = int(calls.count("read"));
            calls << "read";
            if (readFails[std::min(n, 1)]) return false;
            // The read overwrites the settings, as the engine's read does.
            window.CopyFrom(device);
            if (what != BackupContent::Numbers)
                raw.block = EncodeParameterBlock(device, DoorPhoneState{}).bytes;
            if (what != BackupContent::Parameters) {
                const QByteArray memory = NumberMemoryBytes(device);
                for (int i = 0; i < kNumberRecordCount; ++i)
                    raw.records.insert(NumberRecordOrder()[i], memory.mid(i * 24, 24));
            }
            return true;
        };
        s.write = [this] {
            calls << "write";
            if (writeFails) return false;
            device.CopyFrom(window);
            if (!writeTakes) device.SetText("Edit7", "13");
            return true;
        };
        s.status = [this](const QString& t) { statuses << t; };
        return s;
    }
    GuardedWritePlan Plan(BackupContent what, bool backup, bool verify) const {
        GuardedWritePlan p;
        p.what = what;
        p.backupBefore = backup;
        p.verifyAfter = verify;
        p.programFolder = dir.path();
        p.backupFallback = dir.filePath("fallback");
        p.modelName = "Norva 10";
        p.firmware = [] { return QStringLiteral("2.53"); };
        p.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(14, 3, 22)); };
        return p;
    }
};

} // namespace

TEST(GuardedWrite, StepsAndOutcomes) {
    const struct {
        const char* what;
        bool backup, verify;
        bool firstReadFails, secondReadFails, writeFails, writeTakes, folderBlocked;
        GuardedWriteResult result;
        QStringList calls;
    } cases[] = {
        // clang-format off
        {"all on", true, true, false, false, false, true, false, GuardedWriteResult::Verified, {"read", "write", "read"}},
        {"no backup", false, true, false, false, false, true, false, GuardedWriteResult::Verified, {"write", "read"}},
        {"no verify", true, false, false, false, false, true, false, GuardedWriteResult::Written, {"read", "write"}},
        {"neither", false, false, false, false, false, true, false, GuardedWriteResult::Written, {"write"}},
        {"backup read fails", true, true, true, false, false, true, false, GuardedWriteResult::BackupReadFailed, {"read"}},
        {"backup cannot be saved", true, true, false, false, false, true, true, GuardedWriteResult::BackupNotSaved, {"read"}},
        {"write fails", true, true, false, false, true, true, false, GuardedWriteResult::WriteFailed, {"read", "write"}},
        {"read back fails", true, true, false, true, false, true, false, GuardedWriteResult::ReadBackFailed, {"read", "write", "read"}},
        {"did not take", true, true, false, false, false, false, false, GuardedWriteResult::Differs, {"read", "write", "read"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.readFails[0] = c.firstReadFails;
        rig.readFails[1] = c.secondReadFails;
        rig.writeFails = c.writeFails;
        rig.writeTakes = c.writeTakes;
        GuardedWritePlan plan = rig.Plan(BackupContent::All, c.backup, c.verify);
        if (c.folderBlocked) {
            QFile blocker(rig.dir.filePath("Backups"));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
            QFile other(rig.dir.filePath("fallback"));
            ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        }
        const GuardedWriteReport report =
            RunGuardedWrite(rig.window, rig.texts, rig.log, plan, rig.Steps());
        EXPECT_EQ(report.result, c.result) << c.what;
        EXPECT_EQ(rig.calls, c.calls) << c.what;
        // The pages keep what the installer had, whatever the reads brought.
        EXPECT_EQ(rig.window.Text("Edit7"), "12") << c.what;
        EXPECT_EQ(rig.window.Text(FirstNumberField(4)), "777") << c.what;
        if (c.result == GuardedWriteResult::Differs) {
            ASSERT_EQ(report.rows.size(), 1) << c.what;
            EXPECT_EQ(report.rows[0].key, "Edit7");
            EXPECT_EQ(report.rows[0].valueB, "13");
        }
        const bool backedUp = c.backup && !c.firstReadFails && !c.folderBlocked;
        EXPECT_EQ(report.backupPath.isEmpty(), !backedUp) << c.what;
        EXPECT_EQ(report.Succeeded(), c.result == GuardedWriteResult::Verified ||
                                          c.result == GuardedWriteResult::Written)
            << c.what;
    }
}

TEST(GuardedWrite, BackupHoldsWhatTheDoorPhoneHadBeforeTheWrite) {
    const struct {
        BackupContent what;
        const char* name;
        const char* edit7;
        const char* number;
    } cases[] = {
        {BackupContent::All, "2026-12-09_14-03-22_Norva-10_fw2.53_all.nvs", "33", "555"},
        // A parameters-only read brings no numbers: the backup keeps none.
        {BackupContent::Parameters, "2026-12-09_14-03-22_Norva-10_fw2.53_parameters.nvs", "33", ""},
    };
    for (const auto& c : cases) {
        Rig rig;
        const GuardedWriteReport report = RunGuardedWrite(
            rig.window, rig.texts, rig.log, rig.Plan(c.what, true, true), rig.Steps());
        ASSERT_EQ(report.result, GuardedWriteResult::Verified);
        EXPECT_EQ(report.backupPath, QDir(rig.dir.filePath("Backups")).filePath(c.name));
        SettingsModel saved;
        CommLog log;
        ReadSettingsFile(report.backupPath, saved, log);
        EXPECT_EQ(saved.Text("Edit7"), c.edit7);
        EXPECT_EQ(saved.Text(FirstNumberField(4)), c.number);
        EXPECT_EQ(rig.statuses.first(), "Reading the door phone for a backup before writing");
        EXPECT_EQ(rig.statuses.last(), "Write verified");
    }
}
