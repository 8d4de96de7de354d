#pragma once
// Where NorvaSet finds its shipped files and where it writes its own.
//
// The program folder is the executable's folder, or the folder given with --home. Shipped
// files (language files, model templates, pictures, sounds) are looked up in the program
// folder, then in the installed data folder (<prefix>/share/norvaset beside the
// executable's bin/). Config.ini and the logs are written in the program folder;
// an installed copy, whose executable's folder cannot be written, writes them in the
// user's folders instead (~/.config/norvaset and ~/.local/share/norvaset). A folder given
// with --home is always the one written, as the user asked for it.

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
    // The communication log and the firmware log.
    QString DataFolder() const { return data_; }
    // True when the user's folders stand in for a program folder that cannot be written.
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

    // True when a file can be created in the folder (an actual probe: permission bits do
    // not tell for root or a read-only mount).
    static bool CanWrite(const QString& folder);

private:
    QString program_, config_, data_;
    QStringList shipped_;
    bool userFolders_ = false;
};
