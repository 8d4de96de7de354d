#pragma once
// norvaset-cli: the window's door-phone commands for scripts. The commands and their
// options are the tables of CliCommands.h; each command runs on one CliSession.

#include "Backends.h"

#include <QString>
#include <QStringList>

class CliHost;

enum CliExit {
    kExitOk = 0,
    kExitFailed = 1, // the door phone or the cable failed
    kExitUsage = 2,  // usage or file errors
};

struct CliOptions {
    QString command;
    QStringList args;
    QStringList given; // the options given, by their long names ("verify")

    BackendChoice backend;
    QString home;     // program folder; "" = the executable's folder
    int model = -1;   // model selector position; -1 = Config.ini's
    QString base;     // settings file to start reads and decode from
    bool log = false; // communication log in the program folder
    bool dayMode = false;
    QString resets;        // encode: the number of resets the block carries ("" = none reported)
    bool device = false;   // diff: the door phone is side A; set: the door phone is IN
    bool verify = false;   // writes: read back and compare
    bool noBackup = false; // writes: no backup of the door phone first
    bool help = false;
    bool version = false;
    bool yes = false;       // firmware: no question on the terminal
    bool json = false;      // show, status, diff: one JSON document on stdout
    bool write = false;     // set --device: write the result back to the door phone
    QString labelKind;      // labels: --kind (null when not given)
    bool oneButton = false; // labels: --one-button
};

// The usage text (stdout of --help), from the tables of commands and options.
QString CliUsage();
// Reads the arguments after the program name. Options may stand before or after the
// command. False with the reason in error for anything that does not fit.
bool ParseCliArguments(const QStringList& args, CliOptions* options, QString* error);
// Runs the command; returns the exit code.
int RunCli(const CliOptions& options, CliHost& host);
