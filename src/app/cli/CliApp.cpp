#include "CliApp.h"

#include "AppConfig.h"
#include "Backups.h"
#include "CliDiff.h"
#include "CliHost.h"
#include "CommLog.h"
#include "Communicator.h"
#include "Defaults.h"
#include "DoorPhoneLink.h"
#include "GuardedWrite.h"
#include "LanguageTexts.h"
#include "ModelTable.h"
#include "ModelTemplate.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "SettingsModel.h"
#include "SimCableBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <memory>

namespace {

struct CommandDef {
    const char* name;
    int args;
    const char* argNames;
};

const CommandDef kCommands[] = {
    {"status", 0, ""},
    {"read-parameters", 1, "OUT.nvs"},
    {"read-numbers", 1, "OUT.nvs"},
    {"read-all", 1, "OUT.nvs"},
    {"write-parameters", 1, "IN.nvs"},
    {"write-numbers", 1, "IN.nvs"},
    {"write-all", 1, "IN.nvs"},
    {"set-time", 0, ""},
    {"day-night", 0, ""},
    {"encode", 2, "IN.nvs OUT.bin"},
    {"decode", 2, "IN.bin OUT.nvs"},
    {"diff", 2, "A.nvs B.nvs"},
};

const CommandDef* FindCommand(const QString& name) {
    for (const CommandDef& c : kCommands)
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

bool IsRead(const QString& command) {
    return command.startsWith(QLatin1String("read-"));
}

// The longest a single command may keep the cable. The engine ends every exchange by its
// own time-out; this only guards against a door phone that keeps talking forever.
constexpr qint64 kGuardMs = 30LL * 60 * 1000;

const QString kStatusCommand = QStringLiteral("VER");

} // namespace

QString CliUsage() {
    return QStringLiteral(
        "Usage: norvaset-cli [options] COMMAND [ARGS]\n"
        "\n"
        "Commands:\n"
        "  status                    version, resets, clock, day/night of the door phone\n"
        "  read-parameters OUT.nvs   read the parameters, save them as a settings file\n"
        "  read-numbers OUT.nvs      read the phone numbers, save a settings file\n"
        "  read-all OUT.nvs          read parameters and phone numbers\n"
        "  write-parameters IN.nvs   write the parameters of a settings file\n"
        "  write-numbers IN.nvs      write the phone numbers of a settings file\n"
        "  write-all IN.nvs          write parameters and phone numbers\n"
        "  set-time                  set the door phone's clock from this computer\n"
        "  day-night                 switch the door phone between day and night mode\n"
        "  encode IN.nvs OUT.bin [--day-mode] [--resets N]\n"
        "                            the 256-byte parameter block a write of IN.nvs builds\n"
        "  decode IN.bin OUT.nvs     take a 256-byte parameter block as a read would\n"
        "  diff A.nvs B.nvs          the settings and numbers that differ, one line each:\n"
        "                            page | caption | value in A | value in B\n"
        "  diff --device B.nvs       the door phone (read first) against a file\n"
        "\n"
        "Options:\n"
        "  --simulator[=DIR]   the simulated door phone, its memory in DIR\n"
        "  --port PATH         this serial device is the cable\n"
        "  --home DIR          program folder (Config.ini, language file, model templates)\n"
        "  --model N           model selector position (default: Config.ini)\n"
        "  --base IN.nvs       reads and decode start from this file, not the defaults\n"
        "  --log               write the communication log in the program folder\n"
        "  --help, --version\n"
        "\n"
        "  --verify            writes: read back and compare what was written\n"
        "  --no-backup         writes: no backup of the door phone's content first\n"
        "\n"
        "Exit codes: 0 success, 1 the door phone or the cable failed (or a write did not\n"
        "take), 2 usage or file error. diff: 0 equal, 1 different, 2 a bad file, 3 the\n"
        "door phone could not be read.\n");
}

bool ParseCliArguments(const QStringList& args, CliOptions* o, QString* error) {
    QStringList positional;
    bool optionsEnded = false;
    bool sawDayMode = false, sawResets = false, sawBase = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("-h")) {
            o->help = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("unknown option '%1'").arg(arg);
            return false;
        }
        const int eq = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        const bool inlineValue = eq >= 0;
        const QString inlineText = inlineValue ? arg.mid(eq + 1) : QString();
        auto value = [&](QString* out) {
            if (inlineValue) {
                *out = inlineText;
            } else if (i + 1 < args.size()) {
                *out = args[++i];
            } else {
                *error = QStringLiteral("option '--%1' needs a value").arg(name);
                return false;
            }
            if (out->isEmpty()) {
                *error = QStringLiteral("option '--%1' needs a value").arg(name);
                return false;
            }
            return true;
        };
        auto flag = [&](bool* out) {
            if (inlineValue) {
                *error = QStringLiteral("option '--%1' takes no value").arg(name);
                return false;
            }
            *out = true;
            return true;
        };
        bool ok = true;
        if (name == QLatin1String("simulator")) {
            o->backend.simulator = true;
            o->backend.simulatorDir = inlineText;
        } else if (name == QLatin1String("port")) {
            ok = value(&o->backend.port);
        } else if (name == QLatin1String("home")) {
            ok = value(&o->home);
        } else if (name == QLatin1String("base")) {
            ok = value(&o->base);
            sawBase = true;
        } else if (name == QLatin1String("model")) {
            QString text;
            ok = value(&text);
            bool number = false;
            const int n = text.toInt(&number);
            if (ok && (!number || n < 0 || text.startsWith(QLatin1Char('+')))) {
                *error = QStringLiteral("--model needs a position 0, 1, 2 ...: '%1'").arg(text);
                return false;
            }
            o->model = n;
        } else if (name == QLatin1String("resets")) {
            QString text;
            ok = value(&text);
            bool number = false;
            const int n = text.toInt(&number);
            if (ok && (!number || n < 0 || n > 65535 || text.startsWith(QLatin1Char('+')))) {
                *error = QStringLiteral("--resets needs a number 0 ... 65535: '%1'").arg(text);
                return false;
            }
            o->resets = QString::number(n);
            sawResets = true;
        } else if (name == QLatin1String("day-mode")) {
            ok = flag(&o->dayMode);
            sawDayMode = true;
        } else if (name == QLatin1String("log")) {
            ok = flag(&o->log);
        } else if (name == QLatin1String("device")) {
            ok = flag(&o->device);
        } else if (name == QLatin1String("verify")) {
            ok = flag(&o->verify);
        } else if (name == QLatin1String("no-backup")) {
            ok = flag(&o->noBackup);
        } else if (name == QLatin1String("help")) {
            ok = flag(&o->help);
        } else if (name == QLatin1String("version")) {
            ok = flag(&o->version);
        } else {
            *error = QStringLiteral("unknown option '%1'").arg(arg);
            return false;
        }
        if (!ok) return false;
    }
    if (o->help || o->version) return true;

    if (positional.isEmpty()) {
        *error = QStringLiteral("no command given");
        return false;
    }
    o->command = positional.takeFirst();
    o->args = positional;
    const CommandDef* def = FindCommand(o->command);
    if (!def) {
        *error = QStringLiteral("unknown command '%1'").arg(o->command);
        return false;
    }
    const bool isDiff = o->command == QLatin1String("diff");
    if (isDiff && o->device && o->args.size() == 1) {
        // The door phone stands as A.
    } else if (o->args.size() != def->args) {
        *error = def->args == 0 ? QStringLiteral("'%1' takes no arguments").arg(o->command)
                                : QStringLiteral("usage: norvaset-cli [options] %1 %2")
                                      .arg(o->command, QLatin1String(def->argNames));
        return false;
    }
    if (o->backend.simulator && !o->backend.port.isEmpty()) {
        *error = QStringLiteral("--simulator and --port exclude each other");
        return false;
    }
    if ((sawDayMode || sawResets) && o->command != QLatin1String("encode")) {
        *error = QStringLiteral("--day-mode and --resets belong to 'encode'");
        return false;
    }
    if (o->device && !isDiff) {
        *error = QStringLiteral("--device belongs to 'diff'");
        return false;
    }
    const bool isWrite = o->command.startsWith(QLatin1String("write-"));
    if ((o->verify || o->noBackup) && !isWrite) {
        *error = QStringLiteral("--verify and --no-backup belong to the writes");
        return false;
    }
    if (sawBase && !IsRead(o->command) && o->command != QLatin1String("decode")) {
        *error = QStringLiteral("--base belongs to the reads and 'decode'");
        return false;
    }
    return true;
}

namespace {

class CliSession {
public:
    CliSession(const CliOptions& options, CliHost& host);
    ~CliSession();
    int Run();

private:
    bool NeedsDevice() const {
        return o_.command != QLatin1String("encode") && o_.command != QLatin1String("decode") &&
               (o_.command != QLatin1String("diff") || o_.device);
    }
    int Prepare();
    void LoadModelDefaults();
    bool LoadSettings(const QString& path);
    bool SaveSettings(const QString& path);
    bool CheckOutputFolder(const QString& path);
    bool Connect();
    bool PollStatus();
    bool RunExchange();
    // One read of `what` into the settings, its raw bytes into raw; false on a failure.
    bool ReadInto(BackupContent what, RawRead* raw);
    GuardedWritePlan Plan(BackupContent what);
    // The version the last status reply gave ("" before any).
    QString Firmware() const {
        const DeviceStatus& s = comm_->Status();
        return s.versionText.isEmpty() ? s.lastReportedVersion : s.versionText;
    }
    void BackupOfRead(BackupContent what);
    int DiffDevice();
    void Print(const QString& name, const QString& value);

    int Status();
    int Read();
    int Write();
    int SetTime();
    int DayNight();
    int Encode();
    int Decode();

    const CliOptions& o_;
    CliHost& host_;
    std::unique_ptr<ClockPort> clock_;
    CommLog log_;
    LanguageTexts texts_;
    ModelTable models_;
    SettingsModel model_;
    CliTemplateTarget target_;
    ModelState modelState_;
    QString folder_;
    QString templatePath_;
    // Destroyed in reverse: the engine, then the link (closing the cable), then the
    // backend (a simulated door phone saves its memory then).
    Backend backend_;
    std::unique_ptr<DoorPhoneLink> link_;
    std::unique_ptr<Communicator> comm_;
    std::unique_ptr<TimerLoop> loop_;
};

CliSession::CliSession(const CliOptions& options, CliHost& host)
    : o_(options), host_(host), target_(host) {
    if (o_.backend.simulator && NeedsDevice()) {
        // The simulated door phone answers on the clock's time: on virtual time a whole
        // transfer runs at once, with every tick and time-out exactly as on the line.
        auto virtualClock = std::make_unique<VirtualClock>();
        virtualClock->SetWallClock(QDateTime::currentDateTime());
        clock_ = std::move(virtualClock);
    } else {
        clock_ = std::make_unique<RealClock>();
    }
    log_.SetClock(clock_.get());
    log_.onWriteFailed = [this](const QString& error) {
        host_.Note(QStringLiteral("the communication log could not be written (%1); logging is "
                                  "off")
                       .arg(error));
    };
    if (NeedsDevice()) {
        backend_ = CreateBackend(o_.backend, *clock_, [this] { return link_->Kind(); });
    } else {
        // encode and decode touch no cable: a listing without any.
        backend_.backend = std::make_unique<SimCableBackend>(*clock_);
    }
    link_ = std::make_unique<DoorPhoneLink>(*backend_.backend, *clock_, &log_);
    comm_ = std::make_unique<Communicator>(*link_, *clock_, host_, log_, texts_, model_);
    loop_ = std::make_unique<TimerLoop>(*comm_, *clock_);
    host_.loadDefaults = [this] { LoadModelDefaults(); };
}

CliSession::~CliSession() {
    host_.loadDefaults = nullptr;
    if (log_.Enabled()) log_.Close(true);
}

void CliSession::Print(const QString& name, const QString& value) {
    std::printf("%s: %s\n", name.toLocal8Bit().constData(), value.toLocal8Bit().constData());
    std::fflush(stdout);
}

void CliSession::LoadModelDefaults() {
    try {
        LoadDefaults(model_, templatePath_, log_);
    } catch (const ConversionError& e) {
        // The keys before the bad one keep their effect, as in the window.
        host_.Note(templatePath_ + QStringLiteral(": ") + e.text());
    }
}

// The window's start-up, without the window: Config.ini, log, language file and its model
// list, the model's defaults and its template (which picks the cable kind).
int CliSession::Prepare() {
    const QString home = o_.home.isEmpty() ? QCoreApplication::applicationDirPath() : o_.home;
    if (!QFileInfo(home).isDir()) {
        host_.Note(QStringLiteral("program folder %1 does not exist").arg(home));
        return kExitUsage;
    }
    folder_ = QDir::cleanPath(QDir(home).absolutePath()) + QLatin1Char('/');

    // Config.ini is only read here: the command line leaves the window's settings alone.
    AppConfig config;
    if (QFile::exists(folder_ + QLatin1String(AppConfig::kFileName))) {
        QString error;
        config.LoadOrCreate(folder_, &error);
    }
    if (o_.log && !log_.Open(folder_)) {
        host_.Note(QStringLiteral("cannot write the communication log in %1: %2")
                       .arg(QDir::toNativeSeparators(folder_), log_.ErrorString()));
        return kExitUsage;
    }

    const QString languagePath = folder_ + config.languageFile;
    log_.LogLine(QStringLiteral("Language file: ") + languagePath);
    if (!texts_.LoadFile(languagePath)) texts_.LoadFile(folder_ + QStringLiteral("English.lng"));
    models_.Build(texts_, folder_);
    if (o_.model >= 0 && !models_.AtPosition(o_.model)) {
        QStringList names;
        const QStringList items = models_.SelectorItems();
        for (int i = 0; i < items.size(); ++i)
            names << QStringLiteral("  %1  %2").arg(i).arg(items[i]);
        host_.Note(QStringLiteral("no model at position %1; the models are:\n%2")
                       .arg(o_.model)
                       .arg(names.join(QLatin1Char('\n'))));
        return kExitUsage;
    }
    FillModelSelector(model_, models_, o_.model >= 0 ? o_.model : config.communicator, log_);
    templatePath_ = SelectedModelTemplate(model_, models_);

    LoadModelDefaults();
    TemplateContext context{model_, *link_, log_, host_, texts_, target_, folder_};
    ApplyModelTemplate(templatePath_, context, modelState_);
    return kExitOk;
}

bool CliSession::LoadSettings(const QString& path) {
    try {
        ReadSettingsFile(path, model_, log_);
    } catch (const SettingsFileError& e) {
        host_.Note(path + QStringLiteral(": ") + e.text());
        return false;
    } catch (const std::exception& e) {
        host_.Note(path + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        return false;
    }
    host_.settingsFile = path;
    return true;
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

// A file that is to be written after a long transfer: its folder must be there first.
bool CliSession::CheckOutputFolder(const QString& path) {
    const QFileInfo info(path);
    if (info.absoluteDir().exists() && !info.isDir()) return true;
    host_.Note(path + QStringLiteral(": cannot be written here"));
    return false;
}

bool CliSession::Connect() {
    link_->ConnectAttempt();
    if (link_->Connected()) return true;
    if (!o_.backend.port.isEmpty()) {
        host_.Fail(QStringLiteral("no cable: %1 cannot be opened").arg(o_.backend.port));
    } else {
        const CableInfo& cable = CableFor(link_->Kind());
        QString listed = link_->DeviceList();
        listed.replace(QLatin1String("---"), QLatin1String(", "));
        if (listed.endsWith(QLatin1String(", "))) listed.chop(2);
        host_.Fail(
            QStringLiteral("no cable: the model's cable \"%1\" is not plugged in%2")
                .arg(QLatin1String(cable.description),
                     listed.isEmpty() ? QString() : QStringLiteral(" (found: %1)").arg(listed)));
    }
    return false;
}

// One status exchange, as the poll tick makes it.
bool CliSession::PollStatus() {
    comm_->SetPollingAllowed(true);
    comm_->StartPollTimer();
    comm_->Timer2Timer(); // the tick now, not a second later
    const TransferState& state = comm_->State();
    if (!state.waiting || state.command != kStatusCommand) {
        comm_->StopTimers();
        // Not connected says which cable is missing; a cable that was found but would
        // not open says that.
        if (!host_.Failed() && Connect())
            host_.Fail(QStringLiteral("no cable: the cable could not be opened"));
        return false;
    }
    loop_->RunUntil([&] { return host_.Failed() || !comm_->State().waiting; }, kGuardMs);
    const bool answered = !host_.Failed() && !comm_->State().waiting;
    comm_->StopTimers();
    if (!answered && !host_.Failed()) host_.Fail(QStringLiteral("the door phone did not answer"));
    return answered;
}

// Runs the timers until the command that was just started (and an "all" continuation)
// has ended. The first failure ends it: nothing more is sent after a refused block.
bool CliSession::RunExchange() {
    for (;;) {
        loop_->RunUntil([&] { return host_.Failed() || !comm_->TransferActive(); }, kGuardMs);
        if (host_.Failed()) return false;
        if (comm_->TransferActive()) {
            host_.Fail(QStringLiteral("the transfer did not end"));
            return false;
        }
        const TransferState& state = comm_->State();
        if (!state.pendingNumberRead && !state.pendingNumberWrite) return true;
        // The poll tick carries "all" on once the first half has ended its bracket.
        comm_->Timer2Timer();
    }
}

int CliSession::Status() {
    if (!Connect() || !PollStatus()) return kExitFailed;
    const DeviceStatus& s = comm_->Status();
    Print(QStringLiteral("usb"), link_->CableStatusText());
    Print(QStringLiteral("version"), s.versionText);
    Print(QStringLiteral("resets"), s.resetsText);
    Print(QStringLiteral("clock"), s.deviceTimeText);
    Print(QStringLiteral("mode"), s.dayMode ? QStringLiteral("day") : QStringLiteral("night"));
    return kExitOk;
}

BackupContent ContentOf(const QString& command) {
    if (command.endsWith(QLatin1String("-parameters"))) return BackupContent::Parameters;
    if (command.endsWith(QLatin1String("-numbers"))) return BackupContent::Numbers;
    return BackupContent::All;
}

bool CliSession::ReadInto(BackupContent what, RawRead* raw) {
    host_.Arm();
    if (raw) {
        comm_->onParameterBlock = [raw](const QByteArray& block) { raw->block = block; };
        comm_->onNumberRecord = [raw](int record, const QByteArray& bytes) {
            raw->records.insert(record, bytes);
        };
    }
    if (what == BackupContent::Parameters)
        comm_->Readparameters1Click();
    else if (what == BackupContent::Numbers)
        comm_->Readphonenumbers1Click();
    else
        comm_->Readall1Click();
    const bool ok = RunExchange();
    comm_->onParameterBlock = nullptr;
    comm_->onNumberRecord = nullptr;
    return ok;
}

GuardedWritePlan CliSession::Plan(BackupContent what) {
    GuardedWritePlan plan;
    plan.what = what;
    plan.programFolder = folder_;
    plan.modelName = model_.ChoiceText(QStringLiteral("ComboBox16"));
    plan.firmware = [this] { return Firmware(); };
    plan.now = [this] { return clock_->CurrentDateTime(); };
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
    const QString word = texts_.Text(QStringLiteral("Backup"), 15);
    host_.Note(path.isEmpty() ? QStringLiteral("no backup: ") + error : word + ": " + path);
}

int CliSession::Read() {
    const QString out = o_.args[0];
    if (!CheckOutputFolder(out)) return kExitUsage;
    host_.Arm();
    if (!Connect()) return kExitFailed;
    const BackupContent what = ContentOf(o_.command);
    if (!ReadInto(what, nullptr)) return kExitFailed;
    if (!SaveSettings(out)) return kExitUsage;
    BackupOfRead(what);
    return kExitOk;
}

int CliSession::DiffDevice() {
    const QString file = o_.args[0];
    // The file first: a bad one is said before the cable is touched.
    SettingsModel right;
    right.CopyFrom(model_);
    if (!ReadDiffFile(file, right, host_)) return kDiffBadFile;
    host_.Arm();
    if (!Connect() || !ReadInto(BackupContent::All, nullptr)) return kDiffDeviceFailed;
    BackupOfRead(BackupContent::All);
    // The door phone does not hold the model selector: only the file says it.
    const QString selector = QStringLiteral("ComboBox16");
    model_.SetChoice(selector, right.Choice(selector));
    return PrintDiffRows(DiffSettings(model_, right, texts_));
}

int CliSession::Write() {
    const QString in = o_.args[0];
    if (!LoadSettings(in)) return kExitUsage;
    const bool parameters = o_.command != QLatin1String("write-numbers");
    if (parameters) {
        // A field the block cannot hold is the file's fault: say so before the cable.
        const EncodeResult check = EncodeParameterBlock(model_, DoorPhoneState{});
        if (!check.ok) {
            host_.Note(in + QStringLiteral(": ") + check.errorField + QStringLiteral(": ") +
                       check.errorMessage);
            return kExitUsage;
        }
    }
    host_.Arm();
    if (!Connect()) return kExitFailed;

    GuardedWritePlan plan = Plan(ContentOf(o_.command));
    plan.backupBefore = !o_.noBackup && BackupOptions::Read(folder_).backupBeforeWrite;
    plan.verifyAfter = o_.verify;
    // The backup's name carries the firmware version.
    if (plan.backupBefore && !PollStatus()) return kExitFailed;
    GuardedWriteSteps steps;
    steps.read = [this](BackupContent what, RawRead& raw) { return ReadInto(what, &raw); };
    steps.write = [this, parameters] {
        host_.Arm();
        // The block carries the door phone's day mode and reset count: without a status
        // first, every write would put the door phone into night mode.
        if (parameters && !PollStatus()) return false;
        if (o_.command == QLatin1String("write-parameters"))
            comm_->Writeparameters1Click();
        else if (o_.command == QLatin1String("write-numbers"))
            comm_->Writephonenumbers1Click();
        else
            comm_->Writeall1Click();
        return RunExchange();
    };
    steps.status = [this](const QString& text) { host_.Note(text); };
    const GuardedWriteReport report = RunGuardedWrite(model_, texts_, log_, plan, steps);
    const auto word = [this](int key) { return texts_.Text(QStringLiteral("Backup"), key); };
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

int CliSession::SetTime() {
    host_.Arm();
    if (!Connect()) return kExitFailed;
    comm_->Button1Click();
    // The command has no answer: the status that follows shows the clock was taken.
    if (host_.Failed() || !PollStatus()) return kExitFailed;
    Print(QStringLiteral("clock"), comm_->Status().deviceTimeText);
    return kExitOk;
}

int CliSession::DayNight() {
    host_.Arm();
    // The switch flips what the last status said; the status after it says what the
    // door phone actually did.
    if (!Connect() || !PollStatus()) return kExitFailed;
    comm_->Image2Click();
    if (host_.Failed() || !PollStatus()) return kExitFailed;
    Print(QStringLiteral("mode"),
          comm_->Status().dayMode ? QStringLiteral("day") : QStringLiteral("night"));
    return kExitOk;
}

int CliSession::Encode() {
    const QString in = o_.args[0], out = o_.args[1];
    if (!LoadSettings(in)) return kExitUsage;
    const EncodeResult encoded =
        EncodeParameterBlock(model_, DoorPhoneState{o_.dayMode, o_.resets});
    if (!encoded.ok) {
        host_.Note(in + QStringLiteral(": ") + encoded.errorField + QStringLiteral(": ") +
                   encoded.errorMessage);
        return kExitUsage;
    }
    QSaveFile file(out);
    // flush() reports a full disk that commit() alone would miss.
    if (!file.open(QIODevice::WriteOnly) || file.write(encoded.bytes) != encoded.bytes.size() ||
        !file.flush()) {
        host_.Note(out + QStringLiteral(": ") + file.errorString());
        file.cancelWriting();
        return kExitUsage;
    }
    if (!file.commit()) {
        host_.Note(out + QStringLiteral(": ") + file.errorString());
        return kExitUsage;
    }
    return kExitOk;
}

int CliSession::Decode() {
    const QString in = o_.args[0], out = o_.args[1];
    QFile file(in);
    if (!file.exists()) {
        host_.Note(in + QStringLiteral(": File not found"));
        return kExitUsage;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        host_.Note(in + QStringLiteral(": ") + file.errorString());
        return kExitUsage;
    }
    const QByteArray block = file.readAll();
    if (block.size() != kParameterBlockSize) {
        host_.Note(QStringLiteral("%1: %2 bytes, a parameter block has %3")
                       .arg(in)
                       .arg(block.size())
                       .arg(kParameterBlockSize));
        return kExitUsage;
    }
    if (!CheckOutputFolder(out)) return kExitUsage;
    host_.Arm();
    const bool accepted = DecodeParameterBlock(block, model_, log_, host_, texts_,
                                               [this] { host_.LoadModelDefaults(); });
    if (!accepted || host_.Failed()) return kExitFailed;
    return SaveSettings(out) ? kExitOk : kExitUsage;
}

int CliSession::Run() {
    if (const int code = Prepare(); code != kExitOk) return code;
    if (!o_.base.isEmpty() && !LoadSettings(o_.base)) return kExitUsage;

    const QString& c = o_.command;
    if (c == QLatin1String("status")) {
        host_.Arm();
        return Status();
    }
    if (IsRead(c)) return Read();
    if (c.startsWith(QLatin1String("write-"))) return Write();
    if (c == QLatin1String("set-time")) return SetTime();
    if (c == QLatin1String("day-night")) return DayNight();
    if (c == QLatin1String("encode")) return Encode();
    if (c == QLatin1String("decode")) return Decode();
    if (c == QLatin1String("diff") && !o_.device)
        return DiffFiles(o_.args[0], o_.args[1], model_, texts_, host_);
    if (c == QLatin1String("diff")) return DiffDevice();
    host_.Note(QStringLiteral("unknown command '%1'").arg(c));
    return kExitUsage;
}

} // namespace

int RunCli(const CliOptions& options, CliHost& host) {
    CliSession session(options, host);
    return session.Run();
}
