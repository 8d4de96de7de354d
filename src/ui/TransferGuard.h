#pragma once
// The window's reads and writes with a safety net: every successful read leaves a backup;
// a write first reads the door phone's content into the backups folder (Option "Backup
// before write") and afterwards reads back what it wrote and compares it (Option "Verify
// after write"). Each step is a command of the engine; the next one starts at the poll
// tick after the one before has ended, as the "all" continuations do.

#include "GuardedWrite.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class CommLog;
class Communicator;
class LanguageTexts;
class SettingsModel;

class TransferGuard {
public:
    struct Context {
        Communicator* comm = nullptr;
        SettingsModel* model = nullptr;
        CommLog* log = nullptr;
        const LanguageTexts* texts = nullptr;
        std::function<GuardedWritePlan(BackupContent)> plan; // folder, model, firmware, time
        std::function<void(const QString& text)> status;     // "" when idle again
        std::function<void(const QString& text)> error;      // a message box
        std::function<void(const QList<DiffRow>& rows)> differences;
        // Moves the focus off the field being edited, so its exit check runs first.
        std::function<void()> settle;
    };
    explicit TransferGuard(Context context);
    ~TransferGuard();

    // A menu command by its action name ("Readall1", "Writeparameters1" ...); false when
    // it is not one of the six.
    bool Handle(const QString& actionName);
    // The poll tick: the step in progress has ended; true when the next one started.
    bool PollTick();

    bool Busy() const { return phase_ != Phase::Idle; }
    QString LastBackup() const { return lastBackup_; }

private:
    enum class Phase { Idle, Reading, BackupReading, Writing, Verifying };
    void StartRead(BackupContent what);
    bool StartWrite();
    bool Started() const;
    void Finish(const QString& status = QString());
    QString Word(int key) const;

    Context c_;
    Phase phase_ = Phase::Idle;
    BackupContent what_ = BackupContent::All;
    bool failed_ = false;
    std::unique_ptr<SettingsModel> kept_;
    SentImage sent_;
    RawRead raw_;
    QString lastBackup_;
    int listener_ = 0;
};
