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
#include "TextKeys.h"

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

GuardedPlan CliSession::Plan(BackupContent what) {
    GuardedPlan plan;
    plan.what = what;
    // The backups beside the logs, else in the user's data folder; the switches are in
    // Config.ini.
    plan.dataFolder = session_.Folders().DataFolder();
    plan.backupFallback =
        session_.Folders().UserDataFolder() + QLatin1String(BackupFolder::kFolderName);
    plan.modelName = model_.ChoiceText(QLatin1String(kModelSelectorField));
    plan.firmware = [this] { return comm_.Status().versionText; };
    // Backups are named from the PC's real clock (plan.now unset), not the session's,
    // which runs ahead with the simulated door phone.
    return plan;
}

GuardedReport CliSession::RunGuarded(bool write, const GuardedPlan& plan) {
    GuardedWrite guarded(comm_, model_, log_, session_.Texts());
    guarded.onStep = [this](const QString& text) { host_.Note(text); };
    const bool started = write ? guarded.Write(plan) : guarded.Read(plan);
    if (started) session_.Loop().RunUntil([&guarded] { return !guarded.Busy(); }, kGuardMs);
    const bool stuck = guarded.Busy();
    comm_.StopTimers();
    if (stuck) {
        host_.Fail(QStringLiteral("the transfer did not end"));
        GuardedReport report;
        report.result = write ? GuardedResult::WriteFailed : GuardedResult::ReadFailed;
        return report;
    }
    return guarded.LastReport();
}

bool CliSession::ReadDevice(BackupContent what) {
    host_.Arm();
    if (!Connect()) return false;
    // The backup's name carries the firmware version: one status exchange first. A door
    // phone that does not answer it will not answer the read either, which says so.
    if (comm_.Status().versionText.isEmpty()) PollStatus();
    host_.Arm();
    const GuardedReport report = RunGuarded(false, Plan(what));
    if (report.result != GuardedResult::Read) return false;
    // A backup that cannot be saved is said, but the read itself has done its work.
    const QString word = session_.Texts().Text(keys::kBackupSaved);
    host_.Note(report.backupPath.isEmpty() ? QStringLiteral("no backup: ") + report.error
                                           : word + QStringLiteral(": ") + report.backupPath);
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

    GuardedPlan plan = Plan(what);
    plan.backupBefore =
        !o_.noBackup && BackupOptions::Read(session_.ConfigFolder()).backupBeforeWrite;
    plan.verifyAfter = verify;
    // The block carries the door phone's day mode and reset count (without a status first,
    // every write would put the door phone into night mode), and the backup's name its
    // firmware version.
    if ((parameters || plan.backupBefore) && !PollStatus()) return kExitFailed;
    host_.Arm();
    const GuardedReport report = RunGuarded(true, plan);
    const LanguageTexts& texts = session_.Texts();
    switch (report.result) {
    case GuardedResult::Written: return kExitOk;
    case GuardedResult::Verified: host_.Note(texts.Text(keys::kWriteVerified)); return kExitOk;
    case GuardedResult::BackupReadFailed:
        host_.Note(QStringLiteral("the door phone could not be read for the backup; nothing was "
                                  "written"));
        return kExitFailed;
    case GuardedResult::BackupNotSaved:
        host_.Note(texts.Text(keys::kBackupNotSaved) + QStringLiteral(": ") + report.error);
        return kExitUsage;
    case GuardedResult::WriteFailed: {
        QString text = texts.Text(keys::kWriteUnfinished);
        if (!report.backupPath.isEmpty())
            text +=
                QLatin1Char(' ') + texts.Text(keys::kBackupBeforeWriteIs).arg(report.backupPath);
        host_.Note(text);
        return kExitFailed;
    }
    case GuardedResult::ReadBackFailed:
        host_.Note(texts.Text(keys::kReadBackFailed));
        return kExitFailed;
    case GuardedResult::Differs:
        host_.Note(VerifyMessage(texts.Text(keys::kWriteDiffers), report.rows));
        return kExitFailed;
    case GuardedResult::NotStarted:
    case GuardedResult::Read:
    case GuardedResult::ReadFailed: return kExitFailed;
    }
    return kExitFailed;
}
