#include "GuardedWrite.h"

#include "CommLog.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsDiff.h"
#include "SettingsModel.h"

namespace {

bool Has(BackupContent what, bool parameters) {
    return what == BackupContent::All ||
           what == (parameters ? BackupContent::Parameters : BackupContent::Numbers);
}

// The engine's command that reads or writes this content.
bool StartCommand(Communicator& comm, BackupContent what, bool write) {
    switch (what) {
    case BackupContent::Parameters: return write ? comm.WriteParameters() : comm.ReadParameters();
    case BackupContent::Numbers: return write ? comm.WriteNumbers() : comm.ReadNumbers();
    case BackupContent::All: break;
    }
    return write ? comm.WriteAll() : comm.ReadAll();
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

QString SaveReadBackup(const SettingsModel& model, BackupContent what, const GuardedPlan& plan,
                       CommLog& log, QString* error) {
    const QDateTime at = plan.now ? plan.now() : QDateTime::currentDateTime();
    const QString firmware = plan.firmware ? plan.firmware() : QString();
    QString path = BackupFolder(plan.dataFolder, plan.backupFallback)
                       .Save(BackupBytes(model, what), at, plan.modelName, firmware, what, error);
    if (!path.isEmpty()) log.LogLine(QStringLiteral("Backup file: ") + path);
    return path;
}

GuardedWrite::GuardedWrite(Communicator& comm, SettingsModel& model, CommLog& log,
                           const LanguageTexts& texts)
    : comm_(comm), model_(model), log_(log), texts_(texts) {
    listener_ = comm_.AddExchangeListener([this](const ExchangeOutcome& o) { OnOutcome(o); });
}

GuardedWrite::~GuardedWrite() {
    comm_.RemoveExchangeListener(listener_);
    Capture(false);
}

void GuardedWrite::Say(TextKey key) {
    if (onStep) onStep(texts_.Text(key));
}

// The raw bytes of the reads, as they arrive, for the compare after a write.
void GuardedWrite::Capture(bool on) {
    if (!on) {
        comm_.onParameterBlock = nullptr;
        comm_.onNumberRecord = nullptr;
        return;
    }
    raw_.Clear();
    comm_.onParameterBlock = [this](const QByteArray& block) { raw_.block = block; };
    comm_.onNumberRecord = [this](int record, const QByteArray& bytes) {
        raw_.records.insert(record, bytes);
    };
}

bool GuardedWrite::Read(const GuardedPlan& plan) {
    if (Busy()) return false;
    plan_ = plan;
    report_ = GuardedReport{};
    Say(keys::kReading);
    return StartRead(Step::Reading);
}

bool GuardedWrite::Write(const GuardedPlan& plan) {
    if (Busy()) return false;
    plan_ = plan;
    report_ = GuardedReport{};
    if (!plan_.backupBefore) return StartWrite();
    Say(keys::kReadingForBackup);
    return StartRead(Step::BackupReading);
}

// A read of plan.what. The reads that serve a write go into the settings for a moment:
// the installer's settings are kept and put back when the read has ended.
bool GuardedWrite::StartRead(Step step) {
    step_ = step;
    if (step != Step::Reading) {
        kept_ = std::make_unique<SettingsModel>();
        kept_->CopyFrom(model_);
    }
    Capture(step == Step::ReadingBack);
    const bool started = StartCommand(comm_, plan_.what, false);
    // Not connected, or another command under way: nothing happened.
    if (!started && step_ == step) {
        PutSettingsBack();
        End(GuardedResult::NotStarted);
    }
    return started;
}

bool GuardedWrite::StartWrite() {
    // What the write sends, from the settings as they are now.
    sent_ = SentImageFor(model_, plan_.what);
    step_ = Step::Writing;
    Say(keys::kWriting);
    const bool started = StartCommand(comm_, plan_.what, true);
    // The button-count question answered No, or a block that cannot be built: nothing
    // was sent (a refused block has ended the step through its outcome already).
    if (!started && step_ == Step::Writing) End(GuardedResult::NotStarted);
    return started;
}

void GuardedWrite::PutSettingsBack() {
    if (!kept_) return;
    model_.CopyFrom(*kept_);
    kept_.reset();
}

void GuardedWrite::End(GuardedResult result) {
    Capture(false);
    PutSettingsBack();
    report_.result = result;
    step_ = Step::Idle;
    if (onEnded) onEnded(report_);
}

// Every step is one command; it has ended when the engine says so and no second half of
// "all" follows. The status poll is none of its business.
void GuardedWrite::OnOutcome(const ExchangeOutcome& o) {
    if (!Busy() || o.exchange == Exchange::Status) return;
    // The first half of "all" with the second to follow: the command is not over. A first
    // half that was refused (the window goes on after that) still spoils the whole.
    if (o.continues) {
        if (o.end != ExchangeEnd::Done) report_.end = o.end;
        return;
    }
    const bool done = o.end == ExchangeEnd::Done && report_.end == ExchangeEnd::Done;
    if (o.end != ExchangeEnd::Done) report_.end = o.end;
    switch (step_) {
    case Step::Idle: return;
    case Step::Reading: {
        if (!done) {
            End(GuardedResult::ReadFailed);
            return;
        }
        report_.backupPath = SaveReadBackup(model_, plan_.what, plan_, log_, &report_.error);
        if (report_.backupPath.isEmpty())
            log_.LogLine(QStringLiteral("Backup failed: ") + report_.error);
        End(GuardedResult::Read);
        return;
    }
    case Step::BackupReading: {
        SettingsModel asRead;
        asRead.CopyFrom(model_);
        PutSettingsBack();
        if (!done) {
            End(GuardedResult::BackupReadFailed);
            return;
        }
        report_.backupPath = SaveReadBackup(asRead, plan_.what, plan_, log_, &report_.error);
        if (report_.backupPath.isEmpty()) {
            log_.LogLine(QStringLiteral("Backup failed: ") + report_.error);
            End(GuardedResult::BackupNotSaved);
            return;
        }
        if (onStep)
            onStep(texts_.Text(keys::kBackupSaved) + QStringLiteral(": ") + report_.backupPath);
        StartWrite();
        return;
    }
    case Step::Writing:
        if (!done) {
            End(GuardedResult::WriteFailed);
            return;
        }
        if (!plan_.verifyAfter) {
            End(GuardedResult::Written);
            return;
        }
        Say(keys::kReadingBack);
        StartRead(Step::ReadingBack);
        return;
    case Step::ReadingBack: {
        PutSettingsBack();
        if (!done) {
            log_.LogLine(QStringLiteral(">>> Verify after write <<<"));
            log_.LogLine(QStringLiteral("Verify: the read after the write failed"));
            End(GuardedResult::ReadBackFailed);
            return;
        }
        report_.rows = VerifyWrite(sent_, raw_, model_, texts_);
        LogVerify(log_, report_.rows);
        End(report_.rows.isEmpty() ? GuardedResult::Verified : GuardedResult::Differs);
        return;
    }
    }
}
