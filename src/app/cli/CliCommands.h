#pragma once
// The commands and options of norvaset-cli, each declared once. The usage text (and so the
// manual page, made from --help at build time), the option checks, whether the cable is
// opened and the dispatch are all read from these two tables.
//
// A new command is one row of CliCommands() (CliCommands.cpp) and its function in a file
// of its own here, declared below.

#include <QString>
#include <span>
#include <vector>

class CliSession;
struct CliOptions;

// One form of a command as --help shows it: its arguments and what it does. A command with
// a second form for an option ("diff --device B.nvs") names that option in `when`.
struct CliForm {
    const char* when = nullptr;   // the option that selects this form; nullptr for the plain one
    const char* args = "";        // "IN.nvs OUT.pdf", "NAME=VALUE...", "[--json]": optional parts
                                  // in brackets, "..." for one or more
    const char* description = ""; // "\n" starts a new line in --help
};

// An option a command takes besides the options every command takes. `needs` names an
// option that must come with it ("set" takes --write only with --device).
struct CliOptionUse {
    const char* option;
    const char* needs = nullptr;
};

enum class CliCable {
    No,         // files only
    Yes,        // talks to the door phone
    WithDevice, // only with --device
};

struct CliCommand {
    const char* name = "";
    std::vector<CliForm> forms = {};
    std::vector<CliOptionUse> options = {};
    CliCable cable = CliCable::No;
    // The group of commands the option messages name together ("the reads"); nullptr when
    // the command is named on its own.
    const char* family = nullptr;
    int (*run)(CliSession& session) = nullptr;
    // Checks of the arguments and options beyond their number and place; false with the
    // reason. nullptr when there are none.
    bool (*check)(const CliOptions& options, QString* error) = nullptr;
};

struct CliOptionDef {
    const char* name;            // long name without "--"
    const char* shortName;       // "h" for -h, or nullptr
    const char* valueName;       // "PATH"; nullptr for a flag
    const char* description;     // for --help
    bool everyCommand = false;   // taken by every command
    const char* shown = nullptr; // how --help writes it, where that differs ("--simulator[=DIR]")
};

std::span<const CliCommand> CliCommands();
std::span<const CliOptionDef> CliOptionDefs();
// nullptr when there is no such command.
const CliCommand* FindCliCommand(const QString& name);

// The commands' functions, each returning the exit code.
// CliStatus.cpp: status, set-time, day-night.
int RunStatus(CliSession& s);
int RunSetTime(CliSession& s);
int RunDayNight(CliSession& s);
// CliTransfer.cpp: read-parameters, read-numbers, read-all and the three writes.
int RunRead(CliSession& s);
int RunWrite(CliSession& s);
// CliBlock.cpp: encode, decode.
int RunEncode(CliSession& s);
int RunDecode(CliSession& s);
// CliPrint.cpp: print.
int RunPrint(CliSession& s);
// CliLabels.cpp: labels, and the checks of its options.
int RunLabels(CliSession& s);
bool CheckLabelOptions(const CliOptions& options, QString* error);
// CliFirmware.cpp: firmware, hex-image.
int RunFirmware(CliSession& s);
int RunHexImage(CliSession& s);
// CliDiff.cpp: diff, diff --device.
int RunDiff(CliSession& s);
// CliSettingsText.cpp: show, set, export, import, names.
int RunShow(CliSession& s);
int RunSet(CliSession& s);
int RunExport(CliSession& s);
int RunImport(CliSession& s);
int RunNames(CliSession& s);
