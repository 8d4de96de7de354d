#pragma once
// A write that never loses what the door phone held and is never reported as done when it
// did not take: first the door phone's current content is read and kept in the backups
// folder, then the write runs, then what was written is read back and compared byte for
// byte. The reads go into the settings the write takes from; they are put back after each
// read, so the pages and the file keep what the installer had.
//
// The exchanges themselves belong to the door-phone engine: the caller hands them in as
// steps that run to their end.

#include "Backups.h"
#include "WriteVerify.h"

#include <QDateTime>
#include <QString>
#include <functional>

class CommLog;
class LanguageTexts;
class SettingsModel;

struct GuardedWriteSteps {
    // Reads `what` from the door phone into the settings; raw receives the bytes as they
    // arrived. False when the read failed (the engine has told the user why).
    std::function<bool(BackupContent what, RawRead& raw)> read;
    // The write itself; false when it failed.
    std::function<bool()> write;
    // What is happening now, for the progress or the status line.
    std::function<void(const QString& text)> status;
};

struct GuardedWritePlan {
    BackupContent what = BackupContent::All; // the halves written
    bool backupBefore = true;
    bool verifyAfter = true;
    QString programFolder;
    QString backupFallback; // "" = the user's data folder
    QString modelName;
    std::function<QString()> firmware; // the version the last status reported
    // The date and time that name a backup: the PC's real clock when unset. Never the
    // session's clock: with the simulated door phone that runs ahead of the PC's (every
    // pause passes at once), so a later backup could be named earlier than one before it,
    // and pruning, which keeps the newest names, would remove the wrong files. Tests set it.
    std::function<QDateTime()> now;
};

enum class GuardedWriteResult {
    Written,          // written; not verified (switched off)
    Verified,         // written and read back alike
    BackupReadFailed, // the read before the write failed: nothing written
    BackupNotSaved,   // the backup could not be saved: nothing written
    WriteFailed,
    ReadBackFailed, // written, but the read after it failed: not known to have taken
    Differs,        // written, but the door phone holds something else
};

struct GuardedWriteReport {
    GuardedWriteResult result = GuardedWriteResult::WriteFailed;
    QString backupPath;  // the backup made before the write, "" when none
    QString error;       // why a backup could not be saved
    QList<DiffRow> rows; // Differs: what did not take
    bool Succeeded() const {
        return result == GuardedWriteResult::Written || result == GuardedWriteResult::Verified;
    }
};

// The image a write of these halves sends for the settings. The door phone's own bytes
// are left at zero: the compare does not look at them.
SentImage SentImageFor(const SettingsModel& model, BackupContent what);

// A backup of what a read brought into the settings; logs "Backup file: " and the path.
// Returns the path, or "" with error.
QString SaveReadBackup(const SettingsModel& model, BackupContent what, const GuardedWritePlan& plan,
                       CommLog& log, QString* error);

GuardedWriteReport RunGuardedWrite(SettingsModel& model, const LanguageTexts& texts, CommLog& log,
                                   const GuardedWritePlan& plan, const GuardedWriteSteps& steps);
