// The guarded read and write against the simulated door phone on the virtual clock: the
// order of the steps, what each failure leaves, and that each step follows the one before
// on the engine's own turn.
#include "link_harness.h"

#include "GuardedWrite.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Rig : LinkHarness {
    QTemporaryDir dir;
    GuardedWrite guarded{comm, model, log, texts};
    QStringList steps;
    std::vector<GuardedReport> reports;

    Rig() {
        guarded.onStep = [this](const QString& t) { steps << t; };
        guarded.onEnded = [this](const GuardedReport& r) { reports.push_back(r); };
        // The door phone holds other settings than the window.
        SettingsModel device;
        device.CopyFrom(model);
        device.SetText("Edit7", "33");
        phone->SetParameters(EncodeParameterBlock(device, DoorPhoneState{true, "7"}).bytes);
        phone->SetRecord(4, EncodeDialNumber("555"));
        model.SetText("Edit7", "12");
        model.SetText(FirstNumberField(4), "777");
        loop.RunFor(2100); // the first status
    }
    GuardedPlan Plan(BackupContent what, bool backup, bool verify) const {
        GuardedPlan p;
        p.what = what;
        p.backupBefore = backup;
        p.verifyAfter = verify;
        p.dataFolder = dir.path();
        p.backupFallback = dir.filePath("fallback");
        p.modelName = "Norva 10";
        p.firmware = [this] { return comm.Status().versionText; };
        p.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(14, 3, 22)); };
        return p;
    }
    // Starts it and runs the timers until it has ended.
    GuardedReport RunWrite(const GuardedPlan& plan) {
        phone->ClearLineRecord();
        guarded.Write(plan);
        loop.RunUntil([this] { return !guarded.Busy(); }, 600000);
        EXPECT_EQ(reports.size(), 1u) << "told once";
        return guarded.LastReport();
    }
    // What went over the line: "R" for a read, "W" for a write, in order.
    QString Commands() const {
        QString out;
        const QByteArray line = phone->ReceivedFromHost();
        for (int i = 0; i + 1 < line.size(); ++i) {
            if ((line[i] == 'R' || line[i] == 'W') && line[i + 1] == 'P') out += line[i];
            // A record request follows the parameter one in "all"; only the first counts.
        }
        return out;
    }
};

} // namespace

TEST(GuardedWrite, StepsAndOutcomes) {
    struct Case {
        const char* name;
        bool backup, verify;
        std::function<void(Rig&)> fault;
        GuardedResult result;
        const char* commands; // parameter reads and writes on the line
    };
    const auto none = [](Rig&) {};
    const auto blockFolder = [](Rig& r) {
        QFile blocker(r.dir.filePath("Backups"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        QFile other(r.dir.filePath("fallback"));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    };
    const Case cases[] = {
        {"all on", true, true, none, GuardedResult::Verified, "RWR"},
        {"no backup", false, true, none, GuardedResult::Verified, "WR"},
        {"no verify", true, false, none, GuardedResult::Written, "RW"},
        {"neither", false, false, none, GuardedResult::Written, "W"},
        {"backup read fails", true, true, [](Rig& r) { r.phone->faults().parameterLength = 200; },
         GuardedResult::BackupReadFailed, "RR"},
        {"backup cannot be saved", true, true, blockFolder, GuardedResult::BackupNotSaved, "R"},
        {"write refused", true, true, [](Rig& r) { r.phone->faults().errorAtParameterByte = 9; },
         GuardedResult::WriteFailed, "RW"},
        {"does not take", true, true, [](Rig& r) { r.phone->faults().wrongParameterByte = 8; },
         GuardedResult::Differs, "RWR"},
        {"nothing to write: not connected", true, true,
         [](Rig& r) {
             r.link.SelectCableKind(true);
             r.link.CloseLink();
         },
         GuardedResult::NotStarted, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        c.fault(rig);
        const GuardedReport report = rig.RunWrite(rig.Plan(BackupContent::All, c.backup, c.verify));
        EXPECT_EQ(report.result, c.result);
        EXPECT_EQ(rig.Commands(), QString::fromLatin1(c.commands));
        // The pages keep what the installer had, whatever the reads brought.
        EXPECT_EQ(rig.model.Text("Edit7"), "12");
        EXPECT_EQ(rig.model.Text(FirstNumberField(4)), "777");
        const bool backedUp = c.backup && report.result != GuardedResult::BackupReadFailed &&
                              report.result != GuardedResult::BackupNotSaved &&
                              report.result != GuardedResult::NotStarted;
        EXPECT_EQ(report.backupPath.isEmpty(), !backedUp);
        if (c.result == GuardedResult::Differs) { ASSERT_FALSE(report.rows.isEmpty()); }
        EXPECT_TRUE(rig.comm.DeviceCommandsEnabled() || c.result == GuardedResult::NotStarted);
        EXPECT_FALSE(rig.comm.TransferActive());
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
        const GuardedReport report = rig.RunWrite(rig.Plan(c.what, true, true));
        ASSERT_EQ(report.result, GuardedResult::Verified);
        EXPECT_EQ(report.backupPath, QDir(rig.dir.filePath("Backups")).filePath(c.name));
        SettingsModel saved;
        CommLog log;
        ReadSettingsFile(report.backupPath, saved, log);
        EXPECT_EQ(saved.Text("Edit7"), c.edit7);
        EXPECT_EQ(saved.Text(FirstNumberField(4)), c.number);
        EXPECT_EQ(rig.steps,
                  (QStringList{"Reading the door phone for a backup before writing",
                               "Backup saved: " + report.backupPath, "Writing to the door phone",
                               "Reading back what was written"}));
        rig.phone->Settle();
        EXPECT_EQ(rig.phone->ParameterWrites(), 1);
    }
}

// Each step follows the one before on the same turn of the engine, not at a later poll
// tick: a whole guarded "Write all" takes the line's time and the brackets, nothing more.
TEST(GuardedWrite, EachStepFollowsAtOnce) {
    Rig rig;
    std::vector<qint64> starts;
    rig.guarded.onStep = [&](const QString& text) {
        if (!text.contains(':')) starts.push_back(rig.clock.NowMs()); // not the backup's note
    };
    rig.outcomes.clear();
    rig.outcomeMs.clear();
    ASSERT_EQ(rig.RunWrite(rig.Plan(BackupContent::All, true, true)).result,
              GuardedResult::Verified);
    // When the engine told of the end of each step (the harness hears it first).
    std::vector<qint64> ends;
    for (size_t i = 0; i < rig.outcomes.size(); ++i)
        if (rig.outcomes[i].exchange != Exchange::Status && !rig.outcomes[i].continues)
            ends.push_back(rig.outcomeMs[i]);
    ASSERT_EQ(starts.size(), 3u);
    ASSERT_EQ(ends.size(), 3u);
    // The write starts when the backup read has ended, the read-back when the write has.
    EXPECT_EQ(starts[1], ends[0]);
    EXPECT_EQ(starts[2], ends[1]);
}

TEST(GuardedWrite, AReadLeavesItsBackup) {
    Rig rig;
    rig.guarded.Read(rig.Plan(BackupContent::All, true, true));
    rig.loop.RunUntil([&] { return !rig.guarded.Busy(); }, 600000);
    const GuardedReport& report = rig.guarded.LastReport();
    ASSERT_EQ(report.result, GuardedResult::Read);
    EXPECT_EQ(QFileInfo(report.backupPath).fileName(),
              "2026-12-09_14-03-22_Norva-10_fw2.53_all.nvs");
    EXPECT_EQ(rig.model.Text("Edit7"), "33") << "a read brings the door phone's settings";
}
