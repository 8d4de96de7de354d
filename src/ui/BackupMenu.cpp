#include "BackupMenu.h"

#include "AppConfig.h"
#include "CommLog.h"
#include "CompareDialog.h"
#include "Dialogs.h"
#include "LanguageTexts.h"
#include "SettingsFile.h"
#include "SettingsFileName.h"
#include "SettingsModel.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

BackupMenu::BackupMenu(Context context, QObject* parent) : QObject(parent), c_(std::move(context)) {
    options_ = BackupOptions::Read(c_.programFolder());
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    present = [](CompareDialog& dialog) { dialog.exec(); };
}

QString BackupMenu::Text(TextKey key) const {
    return c_.texts->Text(key);
}

BackupFolder BackupMenu::Folder() const {
    return c_.backups ? c_.backups() : BackupFolder(c_.programFolder());
}

QList<QAction*> BackupMenu::AddItems(QMenu* file, QAction* before, QMenu* option) {
    auto make = [this](QMenu* menu, const char* name, TextKey caption) {
        auto* action = new QAction(Text(caption), menu);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    QAction* compare = make(file, "Comparewithfile1", keys::kCompareWithFileItem);
    file->insertAction(before, compare);
    connect(compare, &QAction::triggered, this, &BackupMenu::CompareWithFile);

    option->addSeparator();
    verify_ = make(option, "Verifyafterwrite1", keys::kVerifyAfterWriteItem);
    backup_ = make(option, "Backupbeforewrite1", keys::kBackupBeforeWriteItem);
    QAction* open = make(option, "Openbackupsfolder1", keys::kOpenBackupsFolderItem);
    verify_->setCheckable(true);
    verify_->setChecked(options_.verifyAfterWrite);
    backup_->setCheckable(true);
    backup_->setChecked(options_.backupBeforeWrite);
    option->addActions({verify_, backup_, open});
    connect(verify_, &QAction::toggled, this,
            [this](bool on) { SetOption(&BackupOptions::verifyAfterWrite, on); });
    connect(backup_, &QAction::toggled, this,
            [this](bool on) { SetOption(&BackupOptions::backupBeforeWrite, on); });
    connect(open, &QAction::triggered, this, &BackupMenu::OpenBackupsFolder);
    return {compare, verify_, backup_, open};
}

void BackupMenu::SetOption(bool BackupOptions::*option, bool on) {
    if (options_.*option == on) return;
    options_.*option = on;
    unsaved_ = true;
    // Config.ini is made at start-up and may be gone for a while (a missing language
    // file drops it); the close sequence writes it anew and the switch with it.
    if (!QFileInfo::exists(QDir(c_.programFolder()).filePath(QLatin1String(AppConfig::kFileName))))
        return;
    KeepOptions();
}

void BackupMenu::KeepOptions() {
    if (!unsaved_) return;
    QString error;
    if (options_.Write(c_.programFolder(), &error))
        unsaved_ = false;
    else if (c_.configNotWritten)
        c_.configNotWritten(error);
}

void BackupMenu::CompareWithFile() {
    FileDialogRequest request;
    request.title = Text(keys::kCompareWithFile);
    request.filter = Text(keys::kSettingsFileType) + QStringLiteral(" (*.NVS *.nvs);;     *.* (*)");
    request.defaultSuffix = QStringLiteral("NVS");
    request.initialDir = c_.programFolder();
    const QString path = c_.dialogs->OpenFile(c_.parent, request);
    if (path.isEmpty()) return; // cancelled: nothing to say
    if (!HasSettingsExtension(path)) {
        c_.dialogs->Message(c_.parent, Text(keys::kNotANorvaSetFile), QString(), MsgIcon::None);
        return;
    }
    // The file is read over the window's settings, as Open would read it, but into a
    // copy: the pages stay as they are.
    SettingsModel file;
    file.CopyFrom(*c_.model);
    CommLog quiet;
    try {
        ReadSettingsFile(path, file, quiet);
    } catch (const SettingsFileError& e) {
        c_.dialogs->Message(c_.parent, e.text(), QString(), MsgIcon::Error);
        return;
    }
    ShowRows(Text(keys::kCompareWithFile), QDir::toNativeSeparators(path),
             DiffSettings(*c_.model, file, *c_.texts), Text(keys::kInTheWindow),
             Text(keys::kInTheFile));
}

void BackupMenu::ShowRows(const QString& title, const QString& message, const QList<DiffRow>& rows,
                          const QString& headingA, const QString& headingB) {
    CompareDialog dialog(title, message, rows, headingA, headingB, *c_.texts, c_.parent);
    present(dialog);
}

void BackupMenu::OpenBackupsFolder() {
    QString error;
    const QString path = Folder().Path(&error);
    if (path.isEmpty()) {
        c_.dialogs->Message(c_.parent,
                            Text(keys::kBackupsFolderNotOpened) + QStringLiteral("\n") + error,
                            QString(), MsgIcon::Error);
        return;
    }
    if (!openUrl(QUrl::fromLocalFile(path)))
        c_.dialogs->Message(c_.parent,
                            Text(keys::kBackupsFolderNotOpened) + QStringLiteral("\n") +
                                QDir::toNativeSeparators(path),
                            QString(), MsgIcon::Error);
}
