#pragma once
// One norvaset-cli run: the door-phone session the window would hold, started as the
// command line starts it, with what every command needs from it: the settings files, the
// cable, the exchanges run to their end on the session's timer loop, and the guarded write.
// Every exchange runs in the window's own engine (Communicator), driven by a TimerLoop
// instead of QTimer.

#include "Backups.h"
#include "CliHost.h"
#include "Communicator.h"
#include "DoorPhoneSession.h"
#include "GuardedWrite.h"

#include <QHash>
#include <QList>
#include <QString>

struct CliOptions;
class CommLog;
class DoorPhoneLink;
class LanguageTexts;
class SettingsModel;

class CliSession {
public:
    // cable: whether the command talks to the door phone (the cable is looked for only then).
    CliSession(const CliOptions& options, CliHost& host, bool cable);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // The start-up: the program folder, Config.ini, the language file, the model's defaults
    // and template. Returns the exit code (kExitOk to go on).
    int Prepare();

    const CliOptions& Options() const { return o_; }
    CliHost& Host() { return host_; }
    DoorPhoneSession& Session() { return session_; }
    SettingsModel& Model() { return model_; }
    const LanguageTexts& Texts() { return session_.Texts(); }
    CommLog& Log() { return log_; }
    DoorPhoneLink& Link() { return link_; }
    Communicator& Comm() { return comm_; }
    // The tree as the template leaves it, for the printout's headings.
    const QHash<int, QString>& TreeEntries() const { return target_.TreeEntries(); }

    // Reads a settings file into model, logged in log; false with the reason said.
    bool ReadSettings(const QString& path, SettingsModel& model, CommLog& log);
    // The same into the session's settings.
    bool LoadSettings(const QString& path);
    bool SaveSettings(const QString& path);
    // A file that is to be written after a long transfer: checked before the door phone
    // is asked for anything. False with the reason said.
    bool CheckOutputFolder(const QString& path);
    // "name: value" on stdout.
    void Print(const QString& name, const QString& value);

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
    GuardedPlan Plan(BackupContent what);

private:
    static SessionOptions Options(const CliOptions& o, bool cable);

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

// What a read or write command moves: "-parameters", "-numbers" or both.
BackupContent ContentOf(const QString& command);
