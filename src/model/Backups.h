#pragma once
// The backups folder: a settings file of every successful read from a door phone, and of
// what a door phone held before a write, so that an installer can always get back what
// was there before. Names carry the date and time, the model, the firmware version and
// what was read ("2026-12-09_14-03-22_Norva-99_fw2.53_all.nvs"); the folder keeps the
// newest kKeep of them.
//
// The two switches of the Option menu ("Verify after write", "Backup before write") live
// in Config.ini in a section of their own, so the program's four groups stay untouched.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class SettingsModel;

// What a read brought over the cable.
enum class BackupContent { Parameters, Numbers, All };

// "parameters", "numbers", "all": the last part of a backup's name.
QString BackupContentTag(BackupContent what);

// A text as it may stand in a file name: letters and digits without accents, ".", "-"
// and "_"; every other run of characters becomes one "-", none at either end.
QString SafeFileNamePart(const QString& text);

// "2026-12-09_14-03-22_Norva-99_fw2.53_all.nvs". An empty model or firmware version
// stands as "unknown".
QString BackupFileName(const QDateTime& at, const QString& model, const QString& firmware,
                       BackupContent what);

// Whether a file name is one this folder makes (only those are ever pruned).
bool IsBackupFileName(const QString& fileName);

// The settings-file bytes of a backup. A parameters-only read keeps no numbers: they are
// saved empty, so that the file never passes off the window's numbers as the door
// phone's.
QByteArray BackupBytes(const SettingsModel& model, BackupContent what);

class BackupFolder {
public:
    static constexpr int kKeep = 500;
    static constexpr const char* kFolderName = "Backups";

    // dataFolder: the folder that holds "Backups" (the program folder of a build or --home
    // copy, the user's data folder of an installed one); fallback: the folder used when
    // that cannot be written ("" = "Backups" in the user's data folder).
    explicit BackupFolder(const QString& dataFolder, const QString& fallback = QString());

    // The folder the backups go to, made when missing: "Backups" in the data folder when
    // it can be written there, else the fallback. "" (with error) when neither can.
    QString Path(QString* error = nullptr) const;

    // Saves the bytes under a fresh name (a second backup in the same second gets "-2",
    // "-3" ...), then prunes the folder. Returns the full path, or "" with error.
    QString Save(const QByteArray& bytes, const QDateTime& at, const QString& model,
                 const QString& firmware, BackupContent what, QString* error = nullptr) const;

    // The backups of a folder, oldest first (by the time in the name, then by the time
    // the file was written, then by name). Other files of the folder are not listed.
    static QStringList List(const QString& folder);
    // Deletes the oldest backups beyond keep; returns how many went.
    static int Prune(const QString& folder, int keep = kKeep);

private:
    QString dataFolder_;
    QString fallback_;
};

// The Option menu's two switches, in Config.ini under [Backup].
struct BackupOptions {
    static constexpr const char* kSection = "Backup";
    bool verifyAfterWrite = true;
    bool backupBeforeWrite = true;

    // Missing keys read as on.
    static BackupOptions Read(const QString& programFolder);
    // Writes the section into an existing Config.ini, keeping everything else; false
    // (with error) when it cannot be written or there is no Config.ini yet.
    bool Write(const QString& programFolder, QString* error = nullptr) const;
};
