#pragma once
// Reads and writes with a safety net, for the window and the command line alike. A read
// leaves a backup of what it read. A write never loses what the door phone held and is
// never reported as done when it did not take: first the door phone's content is read
// and kept in the backups folder, then the write runs, then what was written is read back
// and compared byte for byte. The reads go into the settings the write takes from; they
// are put back after each read, so the pages and the file keep what the installer had.
//
// Each step is one command of the engine. The next step starts as soon as the engine
// reports that the one before has ended, on the same turn of its timers: the window's
// timers and the command line's timer loop drive it alike.

#include "Backups.h"
#include "Communicator.h"
#include "TextKeys.h"
#include "WriteVerify.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class CommLog;
class LanguageTexts;
class SettingsModel;

// Where the backups go and what their names say.
struct GuardedPlan {
    BackupContent what = BackupContent::All; // the halves read or written
    bool backupBefore = true;
    bool verifyAfter = true;
    QString dataFolder;     // the folder that holds "Backups"
    QString backupFallback; // "" = the user's data folder
    QString modelName;
    std::function<QString()> firmware; // the version the last status reported
    // The date and time that name a backup: the PC's real clock when unset. Never the
    // session's clock: with the simulated door phone that runs ahead of the PC's (every
    // pause passes at once), so a later backup could be named earlier than one before it,
    // and pruning, which keeps the newest names, would remove the wrong files. Tests set it.
    std::function<QDateTime()> now;
};

enum class GuardedResult {
    Read,             // read; backupPath holds its backup, or error why there is none
    ReadFailed,       // the read failed or its block was refused
    NotStarted,       // nothing was sent: not connected, another command under way, the
                      // button-count question answered No, or the block could not be built
    BackupReadFailed, // the read before the write failed: nothing written
    BackupNotSaved,   // the backup could not be saved: nothing written
    WriteFailed,      // the write failed part-way: the door phone may hold old and new
    Written,          // written; not read back (switched off)
    ReadBackFailed,   // written, but the read after it failed: not known to have taken
    Differs,          // written, but the door phone holds something else
    Verified,         // written and read back alike
};

struct GuardedReport {
    GuardedResult result = GuardedResult::NotStarted;
    ExchangeEnd end = ExchangeEnd::Done; // how the step that ended it ended
    QString backupPath;  // the backup of this read, or of the door phone before this write
    QString error;       // why a backup could not be saved
    QList<DiffRow> rows; // Differs: what did not take
};

// The image a write of these halves sends for the settings. The door phone's own bytes
// are left at zero: the compare does not look at them.
SentImage SentImageFor(const SettingsModel& model, BackupContent what);

// A backup of what a read brought into the settings; logs "Backup file: " and the path.
// Returns the path, or "" with error.
QString SaveReadBackup(const SettingsModel& model, BackupContent what, const GuardedPlan& plan,
                       CommLog& log, QString* error);

class GuardedWrite {
public:
    enum class Step { Idle, Reading, BackupReading, Writing, ReadingBack };

    GuardedWrite(Communicator& comm, SettingsModel& model, CommLog& log,
                 const LanguageTexts& texts);
    ~GuardedWrite();
    GuardedWrite(const GuardedWrite&) = delete;
    GuardedWrite& operator=(const GuardedWrite&) = delete;

    // Starts a read, or a write, of plan.what. False when nothing started; the report
    // then says why (onEnded is called either way, once).
    bool Read(const GuardedPlan& plan);
    bool Write(const GuardedPlan& plan);

    bool Busy() const { return step_ != Step::Idle; }
    const GuardedReport& LastReport() const { return report_; }
    const GuardedPlan& Plan() const { return plan_; }

    // The caption of the step that starts ("Reading back what was written" ...).
    std::function<void(const QString& text)> onStep;
    // The guarded command has ended.
    std::function<void(const GuardedReport& report)> onEnded;

private:
    void OnOutcome(const ExchangeOutcome& outcome);
    bool StartRead(Step step);
    bool StartWrite();
    void Capture(bool on);
    void PutSettingsBack();
    void End(GuardedResult result);
    void Say(TextKey key);

    Communicator& comm_;
    SettingsModel& model_;
    CommLog& log_;
    const LanguageTexts& texts_;
    int listener_ = 0;

    Step step_ = Step::Idle;
    GuardedPlan plan_;
    GuardedReport report_;
    std::unique_ptr<SettingsModel> kept_; // the installer's settings while a read runs
    SentImage sent_;
    RawRead raw_;
};
