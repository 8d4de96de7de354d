#include "CliSession.h"

#include "CableAccess.h"
#include "CliApp.h"
#include "CommLog.h"
#include "DoorPhoneLink.h"
#include "FileAccess.h"
#include "LanguageTexts.h"
#include "ModelTable.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "SettingsText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

namespace {

// The longest a single command may keep the cable. The engine ends every exchange by its
// own time-out; this only guards against a door phone that keeps talking forever.
constexpr qint64 kGuardMs = 30LL * 60 * 1000;

} // namespace

// The command line's start-up: Config.ini only read, the log by request, English for a
// language file that cannot be loaded, the template once, and nothing more sent after a
// failure.
SessionOptions CliSession::Options(const CliOptions& o, bool cable) {
    SessionOptions s;
    s.home = o.home;
    s.backend = o.backend;
    s.cable = cable;
    s.virtualTimeForSimulator = true;
    s.configFile = SessionOptions::ConfigFile::ReadOnly;
    s.log = o.log ? SessionOptions::LogSwitch::On : SessionOptions::LogSwitch::Off;
    s.missingLanguage = SessionOptions::MissingLanguage::FallBackToEnglish;
    s.model = o.model;
    s.templateWithLanguage = false;
    s.allGoesOnAfterFailure = false;
    return s;
}

CliSession::CliSession(const CliOptions& options, CliHost& host, bool cable)
    : o_(options), host_(host), target_(host), session_(Options(options, cable), host, target_),
      log_(session_.Log()), model_(session_.Model()), link_(session_.Link()),
      comm_(session_.Comm()) {
    log_.onWriteFailed = [this](const QString& error) {
        host_.Note(QStringLiteral("the communication log could not be written (%1); logging is "
                                  "off")
                       .arg(error));
    };
    session_.reportDefaultsError = [this](const QString& path, const QString& text) {
        host_.Note(path + QStringLiteral(": ") + Printable(text));
    };
    host_.loadDefaults = [this] { session_.LoadModelDefaults(templatePath_); };
    listener_ = comm_.AddExchangeListener([this](const ExchangeOutcome& o) { outcomes_ << o; });
}

CliSession::~CliSession() {
    comm_.RemoveExchangeListener(listener_);
    host_.loadDefaults = nullptr;
    if (log_.Enabled()) log_.Close(true);
}

void CliSession::Print(const QString& name, const QString& value) {
    std::printf("%s: %s\n", name.toLocal8Bit().constData(),
                Printable(value).toLocal8Bit().constData());
    std::fflush(stdout);
}

int CliSession::Prepare() {
    const QString home = o_.home.isEmpty() ? QCoreApplication::applicationDirPath() : o_.home;
    if (!QFileInfo(home).isDir()) {
        host_.Note(QStringLiteral("program folder %1 does not exist").arg(home));
        return kExitUsage;
    }
    if (!session_.StartUp()) {
        host_.Note(session_.StartupError());
        return kExitUsage;
    }
    templatePath_ = session_.SelectedTemplate();
    // The window offers the fourth call-progress signal only once a newer door phone has
    // reported its firmware. A settings file may hold it whatever door phone it goes to, and
    // a door phone is asked for its status before anything is written to it, which sets
    // the list to what it knows again.
    OfferEveryListItem(model_);
    return kExitOk;
}

bool CliSession::ReadSettings(const QString& path, SettingsModel& model, CommLog& log) {
    try {
        ReadSettingsFile(path, model, log);
    } catch (const SettingsFileError& e) {
        host_.Note(path + QStringLiteral(": ") + Printable(e.text()));
        return false;
    } catch (const std::exception& e) {
        host_.Note(path + QStringLiteral(": ") + Printable(QString::fromUtf8(e.what())));
        return false;
    }
    return true;
}

bool CliSession::LoadSettings(const QString& path) {
    return ReadSettings(path, model_, log_);
}

bool CliSession::SaveSettings(const QString& path) {
    try {
        WriteSettingsFile(path, model_, log_);
    } catch (const SettingsFileError& e) {
        host_.Note(path + QStringLiteral(": ") + e.text());
        return false;
    }
    return true;
}

// A file that is to be written after a long transfer: checked before the door phone is
// asked for anything, so a transfer never ends in a file that cannot be saved.
bool CliSession::CheckOutputFolder(const QString& path) {
    QString reason;
    if (CanWriteFileAt(path, &reason)) return true;
    host_.Note(path + QStringLiteral(": cannot be written here (%1)").arg(reason));
    return false;
}

bool CliSession::Connect() {
    link_.ConnectAttempt();
    if (link_.Connected()) return true;
    const CableInfo& cable = CableFor(link_.Kind());
    const OpenProblem& problem = link_.LastOpenProblem();
    if (problem.reason != OpenFailure::None) {
        // Found or named, but it would not open: say why, and how to mend it.
        host_.Fail(QStringLiteral("no cable: ") +
                   OpenProblemText(problem, QLatin1String(cable.description)));
    } else if (!o_.backend.port.isEmpty()) {
        host_.Fail(QStringLiteral("no cable: %1 cannot be opened").arg(o_.backend.port));
    } else if (link_.Kind() == CableKind::Vant ? link_.VantFound() : link_.TroxFound()) {
        host_.Fail(QStringLiteral("no cable: the model's cable \"%1\" is plugged in but could "
                                  "not be opened")
                       .arg(QLatin1String(cable.description)));
    } else {
        QString listed = link_.DeviceList();
        listed.replace(QLatin1String("---"), QLatin1String(", "));
        if (listed.endsWith(QLatin1String(", "))) listed.chop(2);
        host_.Fail(
            QStringLiteral("no cable: the model's cable \"%1\" is not plugged in%2")
                .arg(QLatin1String(cable.description),
                     listed.isEmpty() ? QString() : QStringLiteral(" (found: %1)").arg(listed)));
    }
    return false;
}

bool CliSession::Ended(Exchange exchange) const {
    for (const ExchangeOutcome& o : outcomes_)
        if (o.exchange == exchange && !o.continues) return true;
    return false;
}

// One status exchange, as the poll tick makes it.
bool CliSession::PollStatus() {
    Watch();
    comm_.SetPollingAllowed(true);
    comm_.StartPollTimer();
    comm_.PollTick(); // the tick now, not a second later
    const TransferState& state = comm_.State();
    if (!state.Waiting() || state.exchange != Exchange::Status) {
        comm_.StopTimers();
        // Not connected says which cable is missing; a cable that was found but would
        // not open says that.
        if (!host_.Failed() && Connect())
            host_.Fail(QStringLiteral("no cable: the cable could not be opened"));
        return false;
    }
    session_.Loop().RunUntil([&] { return Ended(Exchange::Status); }, kGuardMs);
    comm_.StopTimers();
    for (const ExchangeOutcome& o : outcomes_)
        if (o.exchange == Exchange::Status && o.end == ExchangeEnd::Done) return true;
    host_.Fail(link_.Lost() ? QStringLiteral("the cable was disconnected")
                            : QStringLiteral("the door phone did not answer"));
    return false;
}

// Runs the timers until the command that was just started (and an "all" continuation)
// has ended. The first failure ends it: nothing more is sent after a refused block.
bool CliSession::RunExchange() {
    const auto over = [this] {
        return std::any_of(outcomes_.begin(), outcomes_.end(), [](const ExchangeOutcome& o) {
            return o.exchange != Exchange::Status && !o.continues;
        });
    };
    session_.Loop().RunUntil(over, kGuardMs);
    comm_.StopTimers();
    if (!over()) {
        host_.Fail(QStringLiteral("the transfer did not end"));
        return false;
    }
    for (const ExchangeOutcome& o : outcomes_)
        if (o.exchange != Exchange::Status && o.end != ExchangeEnd::Done) return false;
    return true;
}

BackupContent ContentOf(const QString& command) {
    if (command.endsWith(QLatin1String("-parameters"))) return BackupContent::Parameters;
    if (command.endsWith(QLatin1String("-numbers"))) return BackupContent::Numbers;
    return BackupContent::All;
}

bool CliSession::ReadInto(BackupContent what, RawRead* raw) {
    host_.Arm();
    Watch();
    if (raw) {
        comm_.onParameterBlock = [raw](const QByteArray& block) { raw->block = block; };
        comm_.onNumberRecord = [raw](int record, const QByteArray& bytes) {
            raw->records.insert(record, bytes);
        };
    }
    bool started = false;
    if (what == BackupContent::Parameters)
        started = comm_.ReadParameters();
    else if (what == BackupContent::Numbers)
        started = comm_.ReadNumbers();
    else
        started = comm_.ReadAll();
    const bool ok = started && RunExchange();
    comm_.onParameterBlock = nullptr;
    comm_.onNumberRecord = nullptr;
    return ok;
}

GuardedWritePlan CliSession::Plan(BackupContent what) {
    GuardedWritePlan plan;
    plan.what = what;
    // The backups beside the logs, else in the user's data folder; the switches are in
    // Config.ini.
    plan.programFolder = session_.Folders().DataFolder();
    plan.backupFallback =
        session_.Folders().UserDataFolder() + QLatin1String(BackupFolder::kFolderName);
    plan.modelName = model_.ChoiceText(QLatin1String(kModelSelectorField));
    plan.firmware = [this] { return Firmware(); };
    plan.now = [this] { return session_.Clock().CurrentDateTime(); };
    return plan;
}

// Every successful read leaves a copy in the backups folder. A backup that cannot be
// saved is said, but the read itself has done its work.
void CliSession::BackupOfRead(BackupContent what) {
    // The name carries the firmware version: one status exchange when none came yet.
    if (Firmware().isEmpty()) {
        host_.Arm();
        PollStatus();
        host_.Arm();
    }
    QString error;
    const QString path = SaveReadBackup(model_, what, Plan(what), log_, &error);
    const QString word = session_.Texts().Text(QStringLiteral("Backup"), 15);
    host_.Note(path.isEmpty() ? QStringLiteral("no backup: ") + error
                              : word + QStringLiteral(": ") + path);
}

bool CliSession::ReadDevice() {
    host_.Arm();
    if (!Connect() || !ReadInto(BackupContent::All, nullptr)) return false;
    BackupOfRead(BackupContent::All);
    return true;
}

int CliSession::WriteModel(BackupContent what, const QString& source, bool verify) {
    const bool parameters = what != BackupContent::Numbers;
    if (parameters) {
        // A field the block cannot hold is the file's fault: say so before the cable.
        const EncodeResult check = EncodeParameterBlock(model_, DoorPhoneState{});
        if (!check.ok) {
            host_.Note(source + QStringLiteral(": ") + check.errorField + QStringLiteral(": ") +
                       check.errorMessage);
            return kExitUsage;
        }
    }
    host_.Arm();
    if (!Connect()) return kExitFailed;

    GuardedWritePlan plan = Plan(what);
    plan.backupBefore =
        !o_.noBackup && BackupOptions::Read(session_.ConfigFolder()).backupBeforeWrite;
    plan.verifyAfter = verify;
    // The backup's name carries the firmware version.
    if (plan.backupBefore && !PollStatus()) return kExitFailed;
    GuardedWriteSteps steps;
    steps.read = [this](BackupContent what, RawRead& raw) { return ReadInto(what, &raw); };
    steps.write = [this, what, parameters] {
        host_.Arm();
        // The block carries the door phone's day mode and reset count: without a status
        // first, every write would put the door phone into night mode.
        if (parameters && !PollStatus()) return false;
        Watch();
        bool started = false;
        if (what == BackupContent::Parameters)
            started = comm_.WriteParameters();
        else if (what == BackupContent::Numbers)
            started = comm_.WriteNumbers();
        else
            started = comm_.WriteAll();
        return started && RunExchange();
    };
    steps.status = [this](const QString& text) { host_.Note(text); };
    const LanguageTexts& texts = session_.Texts();
    const GuardedWriteReport report = RunGuardedWrite(model_, texts, log_, plan, steps);
    const auto word = [&texts](int key) { return texts.Text(QStringLiteral("Backup"), key); };
    switch (report.result) {
    case GuardedWriteResult::Written:
    case GuardedWriteResult::Verified: return kExitOk;
    case GuardedWriteResult::BackupReadFailed:
        host_.Note(QStringLiteral("the door phone could not be read for the backup; nothing was "
                                  "written"));
        return kExitFailed;
    case GuardedWriteResult::BackupNotSaved:
        host_.Note(word(16) + QStringLiteral(": ") + report.error);
        return kExitUsage;
    case GuardedWriteResult::WriteFailed: return kExitFailed;
    case GuardedWriteResult::ReadBackFailed: host_.Note(word(23)); return kExitFailed;
    case GuardedWriteResult::Differs:
        host_.Note(VerifyMessage(word(18), report.rows));
        return kExitFailed;
    }
    return kExitFailed;
}
