#include "CliApp.h"

#include "AppConfig.h"
#include "AppFolders.h"
#include "Backups.h"
#include "CableAccess.h"
#include "CliDiff.h"
#include "CliFirmware.h"
#include "CliHost.h"
#include "CliJson.h"
#include "CliLabels.h"
#include "CliPrint.h"
#include "CliSettingsText.h"
#include "CommLog.h"
#include "Communicator.h"
#include "Defaults.h"
#include "DoorPhoneLink.h"
#include "DoorPhoneSession.h"
#include "FileAccess.h"
#include "GuardedWrite.h"
#include "LanguageTexts.h"
#include "ModelTable.h"
#include "ModelTemplate.h"
#include "ParameterBlock.h"
#include "SettingsFile.h"
#include "SettingsModel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <limits>
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
    {"print", 2, "IN.nvs OUT.pdf"},
    {"labels", 2, "IN.nvl|IN.vxl OUT.pdf [--kind 1|2|3|other] [--one-button]"},
    {"firmware", 1, "IN.hex [--yes]"},
    {"hex-image", 2, "IN.hex OUT.bin"},
    {"diff", 2, "A.nvs B.nvs"},
    {"show", 1, "IN.nvs [--json]"},
    {"set", 3, "IN.nvs OUT.nvs NAME=VALUE..."},
    {"export", 2, "IN.nvs OUT.txt"},
    {"import", 2, "IN.txt OUT.nvs"},
    {"names", 0, ""},
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

} // namespace

QString CliUsage() {
    return QStringLiteral(
        "Usage: norvaset-cli [options] COMMAND [ARGS]\n"
        "\n"
        "Runs the door-phone commands of the NorvaSet window from a shell, for scripts and\n"
        "installers. Messages go to stderr; stdout carries only results.\n"
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
        "  print IN.nvs OUT.pdf      the window's printout of a settings file, as an A4 PDF\n"
        "  labels IN.nvl OUT.pdf [--kind 1|2|3|other] [--one-button]\n"
        "  labels IN.vxl OUT.pdf     label sheets of a label file as an A4 PDF\n"
        "  firmware IN.hex [--yes]   write new firmware into the door phone (asks first)\n"
        "  hex-image IN.hex OUT.bin  the blocks a firmware write of IN.hex sends\n"
        "  diff A.nvs B.nvs          the settings and numbers that differ, one line each:\n"
        "                            page | caption | value in A | value in B\n"
        "  diff --device B.nvs       the door phone (read first) against a file\n"
        "  show IN.nvs [--json]      every setting: page | caption | value | name\n"
        "  set IN.nvs OUT.nvs NAME=VALUE...\n"
        "                            change settings by name, through the window's rules\n"
        "  set --device OUT.nvs NAME=VALUE... [--write]\n"
        "                            the same from the door phone, and written back\n"
        "  export IN.nvs OUT.txt     the settings as text, one \"name = value\" a line\n"
        "  import IN.txt OUT.nvs     a settings file from that text\n"
        "  names                     every setting's name, page, caption and values\n"
        "\n"
        "Options:\n"
        "  --simulator[=DIR]   the simulated door phone, its memory in DIR\n"
        "  --port PATH         this serial device is the cable\n"
        "  --home DIR          program folder (Config.ini, language file, model templates)\n"
        "  --model N           model selector position (default: Config.ini)\n"
        "  --base IN.nvs       reads and decode start from this file, not the defaults\n"
        "  --log               write the communication log (the program folder, or the\n"
        "                      user's data folder where that cannot be written)\n"
        "  --help, --version   print this help, or the version\n"
        "\n"
        "  --verify            writes: read back and compare what was written\n"
        "  --no-backup         writes: no backup of the door phone's content first\n"
        "  --json              status, diff, show: one JSON document on stdout\n"
        "\n"
        "Exit codes: 0 success, 1 the door phone or the cable failed (or a write did not\n"
        "take), 2 usage or file error. diff: 0 equal, 1 different, 2 a bad file, 3 the\n"
        "door phone could not be read.\n");
}

namespace {

// The argument that named an option, as the user typed it ("--frob", "-x", "--log=1").
QString TypedOption(const QStringList& args, const QString& name) {
    for (const QString& arg : args) {
        if (arg == QLatin1String("--")) break;
        if (arg == QLatin1Char('-') + name || arg == QLatin1String("--") + name ||
            arg.startsWith(QLatin1String("--") + name + QLatin1Char('=')))
            return arg;
    }
    return QLatin1String("--") + name;
}

// A non-negative decimal number without a sign, at most max; -1 otherwise.
int Count(const QString& text, int max) {
    bool number = false;
    const int n = text.toInt(&number);
    if (!number || n < 0 || n > max || text.startsWith(QLatin1Char('+'))) return -1;
    return n;
}

} // namespace

bool ParseCliArguments(const QStringList& args, CliOptions* o, QString* error) {
    // "--simulator" may carry a value after "=", which the parser's flags cannot.
    QStringList rest = TakeSimulatorOption(args, &o->backend);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption simulator(QStringLiteral("simulator"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption home(QStringLiteral("home"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption base(QStringLiteral("base"), QString(), QStringLiteral("IN.nvs"));
    const QCommandLineOption model(QStringLiteral("model"), QString(), QStringLiteral("N"));
    const QCommandLineOption resets(QStringLiteral("resets"), QString(), QStringLiteral("N"));
    const QCommandLineOption dayMode(QStringLiteral("day-mode"));
    const QCommandLineOption log(QStringLiteral("log"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption device(QStringLiteral("device"));
    const QCommandLineOption verify(QStringLiteral("verify"));
    const QCommandLineOption noBackup(QStringLiteral("no-backup"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption write(QStringLiteral("write"));
    const QCommandLineOption kind(QStringLiteral("kind"), QString(), QStringLiteral("KIND"));
    const QCommandLineOption oneButton(QStringLiteral("one-button"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({simulator, port, home, base, model, resets, dayMode, log, yes, device,
                       verify, noBackup, json, write, kind, oneButton, help, version});
    rest.prepend(QStringLiteral("norvaset-cli")); // the parser skips the program name
    if (!parser.parse(rest)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            *error = QStringLiteral("unknown option '%1'").arg(TypedOption(args, unknown.first()));
            return false;
        }
        // A value missing after an option, or given to a flag.
        for (const QCommandLineOption* flag :
             {&simulator, &dayMode, &log, &yes, &device, &verify, &noBackup, &json, &write,
              &oneButton, &help, &version}) {
            const QString name = flag->names().last();
            for (const QString& arg : rest) {
                if (arg == QLatin1String("--")) break;
                if (arg.startsWith(QLatin1String("--") + name + QLatin1Char('='))) {
                    *error = QStringLiteral("option '--%1' takes no value").arg(name);
                    return false;
                }
            }
        }
        for (const QCommandLineOption* valued : {&port, &home, &base, &model, &resets, &kind}) {
            const QString name = valued->names().first();
            if (rest.endsWith(QLatin1String("--") + name)) {
                *error = QStringLiteral("option '--%1' needs a value").arg(name);
                return false;
            }
        }
        *error = parser.errorText();
        return false;
    }
    o->help = parser.isSet(help);
    o->version = parser.isSet(version);
    if (parser.isSet(simulator)) o->backend.simulator = true;
    // Every value given must say something.
    for (const QCommandLineOption* valued : {&port, &home, &base, &model, &resets}) {
        if (parser.isSet(*valued) && parser.value(*valued).isEmpty()) {
            *error = QStringLiteral("option '--%1' needs a value").arg(valued->names().first());
            return false;
        }
    }
    o->backend.port = parser.value(port);
    o->home = parser.value(home);
    o->base = parser.value(base);
    const bool sawBase = parser.isSet(base);
    if (parser.isSet(model)) {
        o->model = Count(parser.value(model), std::numeric_limits<int>::max());
        if (o->model < 0) {
            *error = QStringLiteral("--model needs a position 0, 1, 2 ...: '%1'")
                         .arg(parser.value(model));
            return false;
        }
    }
    const bool sawResets = parser.isSet(resets);
    if (sawResets) {
        const int n = Count(parser.value(resets), 65535);
        if (n < 0) {
            *error = QStringLiteral("--resets needs a number 0 ... 65535: '%1'")
                         .arg(parser.value(resets));
            return false;
        }
        o->resets = QString::number(n);
    }
    const bool sawDayMode = parser.isSet(dayMode);
    o->dayMode = sawDayMode;
    o->log = parser.isSet(log);
    o->yes = parser.isSet(yes);
    o->device = parser.isSet(device);
    o->verify = parser.isSet(verify);
    o->noBackup = parser.isSet(noBackup);
    o->json = parser.isSet(json);
    o->write = parser.isSet(write);
    if (parser.isSet(kind)) o->labelKind = parser.value(kind);
    o->oneButton = parser.isSet(oneButton);
    QStringList positional = parser.positionalArguments();
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
    const bool isSet = o->command == QLatin1String("set");
    if (isDiff && o->device && o->args.size() == 1) {
        // The door phone stands as A.
    } else if (isSet) {
        // Any number of settings; the door phone stands for IN.
        if (o->args.size() < (o->device ? 2 : 3)) {
            *error = o->device ? QStringLiteral("usage: norvaset-cli [options] set --device "
                                                "OUT.nvs NAME=VALUE... [--write]")
                               : QStringLiteral("usage: norvaset-cli [options] set IN.nvs "
                                                "OUT.nvs NAME=VALUE...");
            return false;
        }
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
    if (o->yes && o->command != QLatin1String("firmware")) {
        *error = QStringLiteral("--yes belongs to 'firmware'");
        return false;
    }
    if (o->device && !isDiff && !isSet) {
        *error = QStringLiteral("--device belongs to 'diff' and 'set'");
        return false;
    }
    if (o->write && !(isSet && o->device)) {
        *error = QStringLiteral("--write belongs to 'set --device'");
        return false;
    }
    if (o->json && !isDiff && o->command != QLatin1String("status") &&
        o->command != QLatin1String("show")) {
        *error = QStringLiteral("--json belongs to 'status', 'diff' and 'show'");
        return false;
    }
    const bool isWrite = o->command.startsWith(QLatin1String("write-")) || o->write;
    if ((o->verify || o->noBackup) && !isWrite) {
        *error = QStringLiteral("--verify and --no-backup belong to the writes");
        return false;
    }
    if (sawBase && !IsRead(o->command) && o->command != QLatin1String("decode")) {
        *error = QStringLiteral("--base belongs to the reads and 'decode'");
        return false;
    }
    return CheckLabelOptions(*o, error);
}

namespace {

class CliSession {
public:
    CliSession(const CliOptions& options, CliHost& host);
    ~CliSession();
    int Run();

private:
    static SessionOptions Options(const CliOptions& o);
    bool NeedsDevice() const { return NeedsCable(o_); }
    static bool NeedsCable(const CliOptions& o) {
        return o.command != QLatin1String("encode") && o.command != QLatin1String("decode") &&
               o.command != QLatin1String("print") && o.command != QLatin1String("labels") &&
               o.command != QLatin1String("hex-image") && !IsSettingsText(o.command) &&
               ((o.command != QLatin1String("diff") && o.command != QLatin1String("set")) ||
                o.device);
    }
    static bool IsSettingsText(const QString& command) {
        return command == QLatin1String("show") || command == QLatin1String("export") ||
               command == QLatin1String("import") || command == QLatin1String("names");
    }
    int Prepare();
    bool LoadSettings(const QString& path);
    bool SaveSettings(const QString& path);
    bool CheckOutputFolder(const QString& path);
    bool Connect();
    bool PollStatus();
    // Runs the timers until the command just started (and its "all" continuation) has
    // ended; true when every exchange of it ended Done.
    bool RunExchange();
    // What the engine said of the exchanges since the last Watch().
    void Watch() { outcomes_.clear(); }
    bool Ended(Exchange exchange) const;
    // A guarded read (with its backup) or write, run until it has ended.
    GuardedReport RunGuarded(bool write, const GuardedPlan& plan);
    // A read of `what` into the settings, with its backup; false on a failure (said).
    bool ReadDevice(BackupContent what);
    // The settings written through the guarded write (backup, write, verify as asked);
    // source names where they came from in a message. Returns the exit code.
    int WriteModel(BackupContent what, const QString& source, bool verify);
    int SettingsText();
    GuardedPlan Plan(BackupContent what);
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
    CliTemplateTarget target_;
    DoorPhoneSession session_;
    CommLog& log_;
    SettingsModel& model_;
    DoorPhoneLink& link_;
    Communicator& comm_;
    // The defaults a refused block loads: the start-up model's, whatever a settings file
    // says about the selector since.
    QString templatePath_;
    QList<ExchangeOutcome> outcomes_;
    int listener_ = 0;
};

// The command line's start-up: Config.ini only read, the log by request, English for a
// language file that cannot be loaded, the template once, and nothing more sent after a
// failure.
SessionOptions CliSession::Options(const CliOptions& o) {
    SessionOptions s;
    s.home = o.home;
    s.backend = o.backend;
    s.cable = NeedsCable(o);
    s.virtualTimeForSimulator = true;
    s.configFile = SessionOptions::ConfigFile::ReadOnly;
    s.log = o.log ? SessionOptions::LogSwitch::On : SessionOptions::LogSwitch::Off;
    s.missingLanguage = SessionOptions::MissingLanguage::FallBackToEnglish;
    s.model = o.model;
    s.templateWithLanguage = false;
    s.allGoesOnAfterFailure = false;
    return s;
}

CliSession::CliSession(const CliOptions& options, CliHost& host)
    : o_(options), host_(host), target_(host), session_(Options(options), host, target_),
      log_(session_.Log()), model_(session_.Model()), link_(session_.Link()),
      comm_(session_.Comm()) {
    log_.onWriteFailed = [this](const QString& error) {
        host_.Note(QStringLiteral("the communication log could not be written (%1); logging is "
                                  "off")
                       .arg(error));
    };
    session_.reportDefaultsError = [this](const QString& path, const QString& text) {
        host_.Note(path + QStringLiteral(": ") + text);
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
    std::printf("%s: %s\n", name.toLocal8Bit().constData(), value.toLocal8Bit().constData());
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

int CliSession::Status() {
    if (!Connect() || !PollStatus()) return kExitFailed;
    const DeviceStatus& s = comm_.Status();
    if (o_.json) {
        const QByteArray json = StatusJson(
            {link_.CableStatusText(), s.versionText, s.resetsText, s.deviceTimeText, s.dayMode});
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    Print(QStringLiteral("usb"), link_.CableStatusText());
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

int CliSession::Read() {
    const QString out = o_.args[0];
    if (!CheckOutputFolder(out)) return kExitUsage;
    if (!ReadDevice(ContentOf(o_.command))) return kExitFailed;
    return SaveSettings(out) ? kExitOk : kExitUsage;
}

int CliSession::DiffDevice() {
    const QString file = o_.args[0];
    // The file first: a bad one is said before the cable is touched.
    SettingsModel right;
    right.CopyFrom(model_);
    if (!ReadDiffFile(file, right, host_)) return kDiffBadFile;
    if (!ReadDevice(BackupContent::All)) return kDiffDeviceFailed;
    // The door phone does not hold the model selector: only the file says it.
    const QString selector = QLatin1String(kModelSelectorField);
    model_.SetChoice(selector, right.Choice(selector));
    return PrintDiffRows(DiffSettings(model_, right, session_.Texts()), o_.json);
}

int CliSession::Write() {
    const QString in = o_.args[0];
    if (!LoadSettings(in)) return kExitUsage;
    return WriteModel(ContentOf(o_.command), in, o_.verify);
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

// show, set, export, import, names: the settings by name (CliSettingsText.cpp).
int CliSession::SettingsText() {
    const ModelState& features = session_.ModelFeatures();
    return RunSettingsTextCommand(
        {.command = o_.command,
         .args = o_.args,
         .json = o_.json,
         .device = o_.device,
         .write = o_.write,
         .model = model_,
         .texts = session_.Texts(),
         .rules = {features.modelMaximum, features.labelKind},
         .log = log_,
         .host = host_,
         .readDevice = [this] { return ReadDevice(BackupContent::All); },
         .writeDevice =
             [this](BackupContent what) { return WriteModel(what, QStringLiteral("set"), true); }});
}

int CliSession::SetTime() {
    host_.Arm();
    if (!Connect()) return kExitFailed;
    Watch();
    if (!comm_.SetClockFromPc() || !RunExchange()) return kExitFailed;
    // The command has no answer: the status that follows shows the clock was taken.
    if (!PollStatus()) return kExitFailed;
    Print(QStringLiteral("clock"), comm_.Status().deviceTimeText);
    return kExitOk;
}

int CliSession::DayNight() {
    host_.Arm();
    // The switch flips what the last status said; the status after it says what the
    // door phone actually did.
    if (!Connect() || !PollStatus()) return kExitFailed;
    Watch();
    if (!comm_.SwitchDayNight() || !RunExchange()) return kExitFailed;
    if (!PollStatus()) return kExitFailed;
    Print(QStringLiteral("mode"),
          comm_.Status().dayMode ? QStringLiteral("day") : QStringLiteral("night"));
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
    QString error;
    if (!WriteWholeFile(out, encoded.bytes, &error)) {
        host_.Note(out + QStringLiteral(": ") + error);
        return kExitUsage;
    }
    return kExitOk;
}

int CliSession::Decode() {
    const QString in = o_.args[0], out = o_.args[1];
    const FileContents contents = ReadBoundedFile(in, kParameterBlockSize);
    if (!contents.ok()) {
        host_.Note(in + QStringLiteral(": ") + contents.error);
        return kExitUsage;
    }
    const QByteArray& block = contents.bytes;
    if (block.size() != kParameterBlockSize) {
        host_.Note(QStringLiteral("%1: %2 bytes, a parameter block has %3")
                       .arg(in)
                       .arg(block.size())
                       .arg(kParameterBlockSize));
        return kExitUsage;
    }
    if (!CheckOutputFolder(out)) return kExitUsage;
    host_.Arm();
    const bool accepted = DecodeParameterBlock(block, model_, log_, [this](BlockRefusal refusal) {
                              host_.ShowMessage(BlockRefusalMessage(refusal, session_.Texts()),
                                                QString(), MsgIcon::None);
                              host_.LoadModelDefaults();
                          }).accepted;
    if (!accepted) return kExitFailed;
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
    if (c == QLatin1String("print")) {
        // A file that cannot be read prints nothing.
        if (!LoadSettings(o_.args[0])) return kExitFailed;
        return WriteSettingsPrintout(model_, session_.Texts(), target_.TreeEntries(), o_.args[1],
                                     host_);
    }
    if (c == QLatin1String("labels")) return RunLabelsCommand(o_, host_);
    if (c == QLatin1String("hex-image"))
        return RunHexImageCommand(host_, session_.Texts(), o_.args[0], o_.args[1]);
    if (c == QLatin1String("firmware"))
        return RunFirmwareCommand({host_, link_, comm_, session_.Clock(), session_.Texts(),
                                   session_.Folders().DataFolder(), o_.args[0], o_.yes,
                                   [this] { return Connect(); }, [this] { return PollStatus(); }});
    if (c == QLatin1String("diff") && !o_.device)
        return DiffFiles(o_.args[0], o_.args[1], model_, session_.Texts(), host_, o_.json);
    if (IsSettingsText(c) || c == QLatin1String("set")) return SettingsText();
    if (c == QLatin1String("diff")) return DiffDevice();
    host_.Note(QStringLiteral("unknown command '%1'").arg(c));
    return kExitUsage;
}

} // namespace

int RunCli(const CliOptions& options, CliHost& host) {
    CliSession session(options, host);
    return session.Run();
}
