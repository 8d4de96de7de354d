#pragma once
// norvaset-cli show, set, export, import and names: the settings by the stable names of the
// field catalogue, as readable text and JSON for installers' scripts (the text form itself
// is src/model/SettingsText.h).
//
//   show IN.nvs [--json]                 every setting as the window shows it, and its name
//   set IN.nvs OUT.nvs NAME=VALUE...     change settings through the window's field rules
//   set --device OUT.nvs NAME=VALUE... [--write]
//                                        the same starting from the door phone, and back
//   export IN.nvs OUT.txt                the text form of a settings file
//   import IN.txt OUT.nvs                a settings file from the text form
//   names                                every name, its page, English caption and values
//
// Bad input is said with its line (or its assignment) on stderr, exit 2, and no output
// file is written.

#include "Backups.h"
#include "FieldRules.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class CliHost;
class CommLog;
class LanguageTexts;
class SettingsModel;

struct CliTextCommand {
    QString command; // show, set, export, import or names
    QStringList args;
    bool json = false;   // show
    bool device = false; // set: the door phone in place of IN
    bool write = false;  // set --device: write the result back

    SettingsModel& model; // the session's settings: the start a file is read over
    const LanguageTexts& texts;
    ExitContext rules; // the model template's limits (buttons in the basic module)
    CommLog& log;
    CliHost& host;

    // set --device: reads the door phone into the model (false: failed, said), and writes
    // the model back through the guarded write (backup, write, verify); its exit code.
    std::function<bool()> readDevice;
    std::function<int(BackupContent what)> writeDevice;
};

// Runs one of the five commands; returns the exit code.
int RunSettingsTextCommand(const CliTextCommand& c);

// Writes bytes to path whole or not at all (an existing file stays as it was on failure).
// False with the reason in *error.
bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString* error);
