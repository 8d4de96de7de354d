#include "CliApp.h"

#include "CliCommands.h"
#include "CliHost.h"
#include "CliSession.h"
#include "HelpText.h"

#include <QCommandLineParser>
#include <limits>
#include <vector>

namespace {

constexpr int kCommandColumn = 28; // where a command's description starts in --help
constexpr int kOptionColumn = 22;  // where an option's description starts
constexpr int kWidth = 84;         // the longest line of --help

QString Latin(const char* text) {
    return QString::fromLatin1(text);
}

// "a", "a and b", "a, b and c".
QString JoinedWithAnd(const QStringList& parts) {
    if (parts.size() < 2) return parts.value(0);
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           parts.last();
}

// An entry of --help, in the layout the manual page reads.
QString Entry(const QString& term, const QString& description, int column) {
    return HelpEntry(term, description, column, kWidth);
}

QString OptionTerm(const CliOptionDef& o) {
    if (o.shown) return Latin(o.shown);
    QString term = QStringLiteral("--") + Latin(o.name);
    if (o.shortName) term = QLatin1Char('-') + Latin(o.shortName) + QStringLiteral(", ") + term;
    if (o.valueName) term += QLatin1Char(' ') + Latin(o.valueName);
    return term;
}

// The form of the command the options given select: the one for an option given, else
// the plain one.
const CliForm& FormFor(const CliCommand& command, const QStringList& given) {
    for (const CliForm& form : command.forms)
        if (form.when && given.contains(Latin(form.when))) return form;
    for (const CliForm& form : command.forms)
        if (!form.when) return form;
    return command.forms.front();
}

// The arguments a form takes: those outside brackets that are no option, the last one
// repeatable when it ends in "...".
struct ArgumentCount {
    int count = 0;
    bool more = false;
};
ArgumentCount CountArguments(const char* args) {
    ArgumentCount n;
    int depth = 0;
    for (const QString& word : Latin(args).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool optional = depth > 0 || word.startsWith(QLatin1Char('['));
        depth += int(word.count(QLatin1Char('['))) - int(word.count(QLatin1Char(']')));
        if (optional || word.startsWith(QLatin1Char('-'))) continue;
        ++n.count;
        if (word.endsWith(QLatin1String("..."))) n.more = true;
    }
    return n;
}

const CliOptionUse* UseOf(const CliCommand& command, const QString& option) {
    for (const CliOptionUse& use : command.options)
        if (option == Latin(use.option)) return &use;
    return nullptr;
}

// Whether the command takes the option with the options given: it names the option, and
// the option it needs (and so on) is given too.
bool Takes(const CliCommand& command, const QString& option, const QStringList& given) {
    const CliOptionUse* use = UseOf(command, option);
    if (!use) return false;
    if (!use->needs) return true;
    return given.contains(Latin(use->needs)) && Takes(command, Latin(use->needs), given);
}

// " --device --write": what must come with the option in this command.
QString Conditions(const CliCommand& command, const CliOptionUse& use) {
    if (!use.needs) return QString();
    const CliOptionUse* needed = UseOf(command, Latin(use.needs));
    return (needed ? Conditions(command, *needed) : QString()) + QStringLiteral(" --") +
           Latin(use.needs);
}

// Where an option belongs, as its message says it: "the reads and 'decode'".
QString Owners(const QString& option) {
    QStringList owners;
    for (const CliCommand& c : CliCommands()) {
        const CliOptionUse* use = UseOf(c, option);
        if (!use) continue;
        const QString owner = c.family && !use->needs ? Latin(c.family)
                                                      : QLatin1Char('\'') + Latin(c.name) +
                                                            Conditions(c, *use) + QLatin1Char('\'');
        if (!owners.contains(owner)) owners << owner;
    }
    return JoinedWithAnd(owners);
}

// "--day-mode and --resets belong to 'encode'": the option, and the others that belong
// where it does.
QString Misplaced(const QString& option) {
    const QString owners = Owners(option);
    QStringList together;
    for (const CliOptionDef& o : CliOptionDefs())
        if (!o.everyCommand && Owners(Latin(o.name)) == owners)
            together << QStringLiteral("--") + Latin(o.name);
    return QStringLiteral("%1 %2 to %3")
        .arg(JoinedWithAnd(together),
             together.size() == 1 ? QStringLiteral("belongs") : QStringLiteral("belong"), owners);
}

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

// Why the parser refused the arguments, in the command line's words.
QString ParseError(const QCommandLineParser& parser, const QStringList& args,
                   const QStringList& rest) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty())
        return QStringLiteral("unknown option '%1'").arg(TypedOption(args, unknown.first()));
    for (const CliOptionDef& o : CliOptionDefs()) {
        const QString name = Latin(o.name);
        for (const QString& arg : rest) {
            if (arg == QLatin1String("--")) break;
            // A value given to a flag.
            if (!o.valueName && arg.startsWith(QLatin1String("--") + name + QLatin1Char('=')))
                return QStringLiteral("option '--%1' takes no value").arg(name);
        }
        // A value missing after the last option.
        if (o.valueName && rest.endsWith(QLatin1String("--") + name))
            return QStringLiteral("option '--%1' needs a value").arg(name);
    }
    return parser.errorText();
}

} // namespace

QString CliUsage() {
    QString out = QStringLiteral(
        "Usage: norvaset-cli [options] COMMAND [ARGS]\n"
        "\n"
        "Runs the door-phone commands of the NorvaSet window from a shell, for scripts and\n"
        "installers. Messages go to stderr; stdout carries only results.\n"
        "\n"
        "Commands:\n");
    for (const CliCommand& c : CliCommands())
        for (const CliForm& form : c.forms) {
            const QString args = Latin(form.args);
            out += Entry(QStringLiteral("  ") + Latin(c.name) +
                             (args.isEmpty() ? QString() : QLatin1Char(' ') + args),
                         Latin(form.description), kCommandColumn);
        }
    out += QStringLiteral("\nOptions:\n");
    for (const bool every : {true, false}) {
        if (!every) out += QLatin1Char('\n');
        for (const CliOptionDef& o : CliOptionDefs())
            if (o.everyCommand == every)
                out += Entry(QStringLiteral("  ") + OptionTerm(o), Latin(o.description),
                             kOptionColumn);
    }
    out += QStringLiteral(
        "\n"
        "Exit codes: 0 success, 1 the door phone or the cable failed (or a write did not\n"
        "take), 2 usage or file error. diff: 0 equal, 1 different, 2 a bad file, 3 the\n"
        "door phone could not be read.\n");
    return out;
}

bool ParseCliArguments(const QStringList& args, CliOptions* o, QString* error) {
    // "--simulator" may carry a value after "=", which the parser's flags cannot.
    QStringList rest = TakeSimulatorOption(args, &o->backend);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const CliOptionDef& def : CliOptionDefs()) {
        QStringList names{Latin(def.name)};
        if (def.shortName) names.prepend(Latin(def.shortName));
        parser.addOption(QCommandLineOption(names, QString(), Latin(def.valueName)));
    }
    rest.prepend(QStringLiteral("norvaset-cli")); // the parser skips the program name
    if (!parser.parse(rest)) {
        *error = ParseError(parser, args, rest);
        return false;
    }
    const auto value = [&parser](const char* name) { return parser.value(Latin(name)); };
    for (const CliOptionDef& def : CliOptionDefs()) {
        if (!parser.isSet(Latin(def.name))) continue;
        o->given << Latin(def.name);
        // Every value given must say something.
        if (def.valueName && value(def.name).isEmpty()) {
            *error = QStringLiteral("option '--%1' needs a value").arg(Latin(def.name));
            return false;
        }
    }
    const auto given = [o](const char* name) { return o->given.contains(Latin(name)); };
    o->help = given("help");
    o->version = given("version");
    if (given("simulator")) o->backend.simulator = true;
    o->backend.port = value("port");
    o->home = value("home");
    o->base = value("base");
    if (given("model")) {
        o->model = Count(value("model"), std::numeric_limits<int>::max());
        if (o->model < 0) {
            *error =
                QStringLiteral("--model needs a position 0, 1, 2 ...: '%1'").arg(value("model"));
            return false;
        }
    }
    if (given("resets")) {
        const int n = Count(value("resets"), 65535);
        if (n < 0) {
            *error =
                QStringLiteral("--resets needs a number 0 ... 65535: '%1'").arg(value("resets"));
            return false;
        }
        o->resets = QString::number(n);
    }
    o->dayMode = given("day-mode");
    o->log = given("log");
    o->yes = given("yes");
    o->device = given("device");
    o->verify = given("verify");
    o->noBackup = given("no-backup");
    o->json = given("json");
    o->write = given("write");
    if (given("kind")) o->labelKind = value("kind");
    o->oneButton = given("one-button");
    if (o->help || o->version) return true;

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = QStringLiteral("no command given");
        return false;
    }
    o->command = positional.takeFirst();
    o->args = positional;
    const CliCommand* command = FindCliCommand(o->command);
    if (!command) {
        *error = QStringLiteral("unknown command '%1'").arg(o->command);
        return false;
    }
    const CliForm& form = FormFor(*command, o->given);
    const ArgumentCount wanted = CountArguments(form.args);
    if (o->args.size() < wanted.count || (!wanted.more && o->args.size() > wanted.count)) {
        *error = wanted.count == 0 ? QStringLiteral("'%1' takes no arguments").arg(o->command)
                                   : QStringLiteral("usage: norvaset-cli [options] %1 %2")
                                         .arg(o->command, Latin(form.args));
        return false;
    }
    if (o->backend.simulator && !o->backend.port.isEmpty()) {
        *error = QStringLiteral("--simulator and --port exclude each other");
        return false;
    }
    for (const CliOptionDef& def : CliOptionDefs()) {
        const QString name = Latin(def.name);
        if (!def.everyCommand && o->given.contains(name) && !Takes(*command, name, o->given)) {
            *error = Misplaced(name);
            return false;
        }
    }
    return !command->check || command->check(*o, error);
}

int RunCli(const CliOptions& options, CliHost& host) {
    const CliCommand* command = FindCliCommand(options.command);
    if (!command) {
        host.Note(QStringLiteral("unknown command '%1'").arg(options.command));
        return kExitUsage;
    }
    const bool cable = command->cable == CliCable::Yes ||
                       (command->cable == CliCable::WithDevice && options.device);
    CliSession session(options, host, cable);
    if (const int code = session.Prepare(); code != kExitOk) return code;
    if (!options.base.isEmpty() && !session.LoadSettings(options.base)) return kExitUsage;
    return command->run(session);
}
