#include "TransferGuard.h"

#include "CommLog.h"
#include "Communicator.h"
#include "LanguageTexts.h"
#include "SettingsModel.h"

TransferGuard::TransferGuard(Context context) : c_(std::move(context)) {
    // A step failed when the engine says an exchange of it did not end Done.
    listener_ = c_.comm->AddExchangeListener([this](const ExchangeOutcome& o) {
        if (Busy() && o.exchange != Exchange::Status && o.end != ExchangeEnd::Done) failed_ = true;
    });
}

TransferGuard::~TransferGuard() {
    c_.comm->RemoveExchangeListener(listener_);
    c_.comm->onParameterBlock = nullptr;
    c_.comm->onNumberRecord = nullptr;
}

QString TransferGuard::Word(int key) const {
    return c_.texts->Text(QStringLiteral("Backup"), key);
}

bool TransferGuard::Started() const {
    return c_.comm->TransferActive() || c_.comm->ContinuationPending();
}

void TransferGuard::StartRead(BackupContent what) {
    failed_ = false;
    if (what == BackupContent::Parameters)
        c_.comm->ReadParameters();
    else if (what == BackupContent::Numbers)
        c_.comm->ReadNumbers();
    else
        c_.comm->ReadAll();
}

bool TransferGuard::StartWrite() {
    failed_ = false;
    sent_ = SentImageFor(*c_.model, what_);
    phase_ = Phase::Writing;
    if (what_ == BackupContent::Parameters)
        c_.comm->WriteParameters();
    else if (what_ == BackupContent::Numbers)
        c_.comm->WriteNumbers();
    else
        c_.comm->WriteAll();
    // Answered No to the button-count question, or not connected: nothing was sent.
    if (!c_.comm->TransferActive()) {
        Finish();
        return false;
    }
    return true;
}

void TransferGuard::Finish(const QString& status) {
    phase_ = Phase::Idle;
    c_.comm->onParameterBlock = nullptr;
    c_.comm->onNumberRecord = nullptr;
    if (kept_) {
        c_.model->CopyFrom(*kept_);
        kept_.reset();
    }
    if (c_.status) c_.status(status);
}

bool TransferGuard::Handle(const QString& name) {
    // A read that has ended leaves its backup now, not only at the next poll tick.
    if (phase_ == Phase::Reading && !Started()) PollTick();
    if (Busy()) return true; // one guarded write at a time
    const bool read = name.startsWith(QLatin1String("Read"));
    if (!read && !name.startsWith(QLatin1String("Write"))) return false;
    if (name.endsWith(QLatin1String("parameters1")))
        what_ = BackupContent::Parameters;
    else if (name.endsWith(QLatin1String("phonenumbers1")))
        what_ = BackupContent::Numbers;
    else if (name.endsWith(QLatin1String("all1")))
        what_ = BackupContent::All;
    else
        return false;

    // The field being edited is checked before its value is kept or sent.
    if (c_.settle) c_.settle();
    const GuardedWritePlan plan = c_.plan(what_);
    if (read) {
        phase_ = Phase::Reading;
        StartRead(what_);
        if (!Started()) phase_ = Phase::Idle;
        return true;
    }
    if (plan.backupBefore) {
        kept_ = std::make_unique<SettingsModel>();
        kept_->CopyFrom(*c_.model);
        phase_ = Phase::BackupReading;
        if (c_.status) c_.status(Word(14));
        StartRead(what_);
        if (!c_.comm->TransferActive()) Finish();
        return true;
    }
    StartWrite();
    return true;
}

bool TransferGuard::PollTick() {
    if (!Busy() || Started()) return false;
    const GuardedWritePlan plan = c_.plan(what_);
    switch (phase_) {
    case Phase::Idle: return false;
    case Phase::Reading: {
        phase_ = Phase::Idle;
        if (failed_) return false;
        QString error;
        lastBackup_ = SaveReadBackup(*c_.model, what_, plan, *c_.log, &error);
        if (lastBackup_.isEmpty()) c_.log->LogLine(QStringLiteral("Backup failed: ") + error);
        return false;
    }
    case Phase::BackupReading: {
        SettingsModel asRead;
        asRead.CopyFrom(*c_.model);
        c_.model->CopyFrom(*kept_);
        kept_.reset();
        if (failed_) {
            Finish();
            c_.error(Word(16));
            return false;
        }
        QString error;
        lastBackup_ = SaveReadBackup(asRead, what_, plan, *c_.log, &error);
        if (lastBackup_.isEmpty()) {
            c_.log->LogLine(QStringLiteral("Backup failed: ") + error);
            Finish();
            c_.error(Word(16) + QStringLiteral("\n") + error);
            return false;
        }
        return StartWrite();
    }
    case Phase::Writing: {
        if (failed_ || !plan.verifyAfter) {
            Finish();
            return false;
        }
        kept_ = std::make_unique<SettingsModel>();
        kept_->CopyFrom(*c_.model);
        raw_.Clear();
        c_.comm->onParameterBlock = [this](const QByteArray& block) { raw_.block = block; };
        c_.comm->onNumberRecord = [this](int record, const QByteArray& bytes) {
            raw_.records.insert(record, bytes);
        };
        phase_ = Phase::Verifying;
        if (c_.status) c_.status(Word(17));
        StartRead(what_);
        if (!c_.comm->TransferActive()) Finish();
        return true;
    }
    case Phase::Verifying: {
        const bool failed = failed_;
        Finish();
        if (failed) {
            c_.log->LogLine(QStringLiteral(">>> Verify after write <<<"));
            c_.log->LogLine(QStringLiteral("Verify: the read after the write failed"));
            c_.error(Word(23));
            return false;
        }
        const QList<DiffRow> rows = VerifyWrite(sent_, raw_, *c_.model, *c_.texts);
        raw_.Clear();
        LogVerify(*c_.log, rows);
        if (rows.isEmpty()) {
            if (c_.status) c_.status(Word(19));
        } else if (c_.differences) {
            c_.differences(rows);
        }
        return false;
    }
    }
    return false;
}
