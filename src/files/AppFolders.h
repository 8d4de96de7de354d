#pragma once
// Where NorvaSet finds its shipped files and where it writes its own.
//
// The program folder is the executable's folder, or the folder given with --home. Shipped
// files (language files, model templates, pictures, sounds) are looked up in the program
// folder, then in the installed data folder (<prefix>/share/norvaset beside the
// executable's bin/).
//
// Where the program's own files go depends on what kind of copy runs:
// - an installed copy (an executable in <prefix>/bin with <prefix>/share/norvaset
//   beside it) never writes beside its executable, whoever runs it (root may write into
//   /usr/bin, but what it leaves there outlives the package): Config.ini goes to
//   ~/.config/norvaset, the logs and backups to ~/.local/share/norvaset;
// - a build folder (build/bin) or a --home folder is written as the program folder;
// - a build folder that cannot be written uses the user's folders, like an installed copy;
//   a --home folder that cannot be written is still read for Config.ini, and the logs and
//   backups go to the user's data folder.

#include <QString>
#include <QStringList>

class AppFolders {
public:
    struct Places {
        QString home;          // --home DIR; "" = the executable's folder
        QString executableDir; // "" = the running program's folder
        QString shareDir;      // "" = <executableDir>/../share/norvaset
        QString userConfigDir; // "" = the user's config folder + "/norvaset"
        QString userDataDir;   // "" = the user's data folder + "/norvaset"
    };

    AppFolders() = default;
    static AppFolders Resolve(const Places& places);
    static AppFolders Resolve(const QString& home = QString());

    // Every folder ends in '/'.
    QString ProgramFolder() const { return program_; }
    // Config.ini and the settings-file and label defaults.
    QString ConfigFolder() const { return config_; }
    // The communication log, the firmware log and the backups.
    QString DataFolder() const { return data_; }
    // The user's own data folder (~/.local/share/norvaset/), whatever DataFolder() is: the
    // last resort for backups.
    QString UserDataFolder() const { return userData_; }
    // An installed copy (see above).
    bool Installed() const { return installed_; }
    // True when the user's folders stand in for the program folder for Config.ini.
    bool UsesUserFolders() const { return userFolders_; }
    // The folders searched for shipped files, in order, each once.
    const QStringList& ShippedFolders() const { return shipped_; }

    // Full path of a shipped file: the first folder holding it, or the program folder
    // when none does (so that a missing file is reported under its expected place). The
    // name is always taken as relative to the folders.
    QString Find(const QString& name) const;
    // The same for a file name read from a language file: an absolute path stands as it is.
    QString Locate(const QString& name) const;
    // Shipped files matching a pattern such as "*.LNG" (case-insensitive), the first
    // folder's file winning for each name; in name order within each folder.
    QStringList List(const QString& pattern) const;

    // Where the open and save dialogs of settings files start: the folder of the settings
    // file last used while it exists; else the program folder of a build or --home copy;
    // for an installed copy the user's documents folder, or the home folder without one.
    QString SettingsFolder(const QString& lastSettingsFile) const;

    // True when a file can be created in the folder (an actual probe: permission bits do
    // not tell for root or a read-only mount).
    static bool CanWrite(const QString& folder);
    // An executable folder <prefix>/bin/ with <prefix>/share/norvaset beside it.
    static bool IsInstalledLayout(const QString& executableDir, const QString& shareDir);

private:
    QString program_, config_, data_, userData_;
    QStringList shipped_;
    bool installed_ = false;
    bool userFolders_ = false;
};
