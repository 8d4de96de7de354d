#include "GuardedWrite.h"

#include "CommLog.h"
#include "LanguageTexts.h"
#include "ParameterBlock.h"
#include "SettingsDiff.h"
#include "SettingsModel.h"

namespace {

QString Word(const LanguageTexts& texts, int key) {
    return texts.Text(QStringLiteral("Backup"), key);
}

// Runs a read into the settings and puts the installer's settings back afterwards.
bool ReadAside(SettingsModel& model, BackupContent what, const GuardedWriteSteps& steps,
               RawRead& raw, SettingsModel* asRead) {
    SettingsModel kept;
    kept.CopyFrom(model);
    raw.Clear();
    const bool ok = steps.read(what, raw);
    if (asRead) asRead->CopyFrom(model);
    model.CopyFrom(kept);
    return ok;
}

bool Has(BackupContent what, bool parameters) {
    return what == BackupContent::All ||
           what == (parameters ? BackupContent::Parameters : BackupContent::Numbers);
}

} // namespace

SentImage SentImageFor(const SettingsModel& model, BackupContent what) {
    SentImage image;
    image.parameters = Has(what, true);
    image.numbers = Has(what, false);
    if (image.parameters) image.block = EncodeParameterBlock(model, DoorPhoneState{}).bytes;
    if (image.numbers) image.memory = NumberMemoryBytes(model);
    return image;
}

QString SaveReadBackup(const SettingsModel& model, BackupContent what, const GuardedWritePlan& plan,
                       CommLog& log, QString* error) {
    const QDateTime at = plan.now ? plan.now() : QDateTime::currentDateTime();
    const QString firmware = plan.firmware ? plan.firmware() : QString();
    QString path = BackupFolder(plan.programFolder, plan.backupFallback)
                       .Save(BackupBytes(model, what), at, plan.modelName, firmware, what, error);
    if (!path.isEmpty()) log.LogLine(QStringLiteral("Backup file: ") + path);
    return path;
}

GuardedWriteReport RunGuardedWrite(SettingsModel& model, const LanguageTexts& texts, CommLog& log,
                                   const GuardedWritePlan& plan, const GuardedWriteSteps& steps) {
    GuardedWriteReport report;
    const auto status = [&steps](const QString& text) {
        if (steps.status) steps.status(text);
    };

    if (plan.backupBefore) {
        status(Word(texts, 14));
        RawRead raw;
        SettingsModel asRead;
        if (!ReadAside(model, plan.what, steps, raw, &asRead)) {
            report.result = GuardedWriteResult::BackupReadFailed;
            return report;
        }
        report.backupPath = SaveReadBackup(asRead, plan.what, plan, log, &report.error);
        if (report.backupPath.isEmpty()) {
            log.LogLine(QStringLiteral("Backup failed: ") + report.error);
            report.result = GuardedWriteResult::BackupNotSaved;
            return report;
        }
        status(Word(texts, 15) + QStringLiteral(": ") + report.backupPath);
    }

    // What the write sends, from the settings as they are now.
    const SentImage sent = SentImageFor(model, plan.what);
    if (!steps.write()) {
        report.result = GuardedWriteResult::WriteFailed;
        return report;
    }
    if (!plan.verifyAfter) {
        report.result = GuardedWriteResult::Written;
        return report;
    }

    status(Word(texts, 17));
    RawRead back;
    if (!ReadAside(model, plan.what, steps, back, nullptr)) {
        log.LogLine(QStringLiteral(">>> Verify after write <<<"));
        log.LogLine(QStringLiteral("Verify: the read after the write failed"));
        report.result = GuardedWriteResult::ReadBackFailed;
        return report;
    }
    report.rows = VerifyWrite(sent, back, model, texts);
    LogVerify(log, report.rows);
    report.result =
        report.rows.isEmpty() ? GuardedWriteResult::Verified : GuardedWriteResult::Differs;
    if (report.rows.isEmpty()) status(Word(texts, 19));
    return report;
}
