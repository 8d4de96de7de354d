#pragma once
// File > "Compare with file…" and the Option menu's "Verify after write", "Backup before
// write" and "Open backups folder". The switches are kept in Config.ini as soon as they
// change.

#include "Backups.h"
#include "SettingsDiff.h"
#include "TextKeys.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class CompareDialog;
class Dialogs;
class LanguageTexts;
class QAction;
class QMenu;
class QWidget;
class SettingsModel;

class BackupMenu : public QObject {
    Q_OBJECT
public:
    struct Context {
        QWidget* parent = nullptr;
        Dialogs* dialogs = nullptr;
        SettingsModel* model = nullptr;
        const LanguageTexts* texts = nullptr;
        // Where Config.ini is kept (the switches are in it).
        std::function<QString()> programFolder;
        // A switch could not be kept in Config.ini.
        std::function<void(const QString& error)> configNotWritten;
        // The backups folder; default: "Backups" in programFolder, else the user's.
        std::function<BackupFolder()> backups;
    };

    explicit BackupMenu(Context context, QObject* parent = nullptr);

    // Adds "Compare with file…" to the File menu before `before`, and the three Option
    // items at the end of the Option menu; returns the new actions (named by object name).
    QList<QAction*> AddItems(QMenu* file, QAction* before, QMenu* option);

    const BackupOptions& Options() const { return options_; }
    BackupFolder Folder() const;

    // The close sequence: a switch that could not be kept yet (no Config.ini while the
    // program ran) goes in now, after the program's own groups.
    void KeepOptions();

    void CompareWithFile();
    void OpenBackupsFolder();
    // Shows a list of differences; the default runs the dialog modally.
    void ShowRows(const QString& title, const QString& message, const QList<DiffRow>& rows,
                  const QString& headingA, const QString& headingB);

    // How the folder is shown in the file manager (tests replace it).
    std::function<bool(const QUrl&)> openUrl;
    // How a list of differences is shown (tests look at the dialog instead of running it).
    std::function<void(CompareDialog&)> present;

private:
    QString Text(TextKey key) const;
    void SetOption(bool BackupOptions::*option, bool on);

    Context c_;
    BackupOptions options_;
    QAction* verify_ = nullptr;
    QAction* backup_ = nullptr;
    bool unsaved_ = false;
};
