#include "SettingsFileMenu.h"

#include "CommLog.h"
#include "Dialogs.h"
#include "LanguageTexts.h"
#include "SettingsFile.h"
#include "SettingsFileName.h"

#include <QFile>

QString SettingsFileMenu::Text(TextKey key) const {
    return c_.texts->Text(key);
}

void SettingsFileMenu::SetSettingsFileName(const QString& name) {
    fileName_ = name;
    if (c_.fileNameChanged) c_.fileNameChanged();
}

void SettingsFileMenu::Read() {
    // Windows drops trailing blanks of a file name; a name typed with them still opens.
    QString path = fileName_;
    if (!QFile::exists(path) && QFile::exists(path.trimmed())) path = path.trimmed();
    try {
        ReadSettingsFile(path, *c_.model, *c_.log);
    } catch (const SettingsFileError& e) {
        // Nothing was applied: the pages keep what they showed.
        c_.dialogs->Message(c_.parent, e.text(), QString(), MsgIcon::Error);
    }
}

bool SettingsFileMenu::Write() {
    try {
        WriteSettingsFile(fileName_, *c_.model, *c_.log);
        return true;
    } catch (const SettingsFileError& e) {
        // The previous file, if any, is still whole.
        c_.dialogs->Message(c_.parent, e.text(), QString(), MsgIcon::Error);
        return false;
    }
}

void SettingsFileMenu::New1Click() {
    if (c_.loadDefaults) c_.loadDefaults();
    SetSettingsFileName(QString());
}

void SettingsFileMenu::Open1Click() {
    FileDialogRequest request;
    request.title = Text(keys::kOpenSettingsTitle);
    request.filter = Text(keys::kSettingsFileType) + QStringLiteral(" (*.NVS *.nvs);;     *.* (*)");
    request.defaultSuffix = QStringLiteral("NVS");
    request.initialDir = c_.programFolder();
    SetSettingsFileName(c_.dialogs->OpenFile(c_.parent, request));
    if (!IsUsableSettingsName(fileName_)) {
        c_.dialogs->Message(c_.parent, Text(keys::kFileNotSelected), QString(), MsgIcon::None);
        return;
    }
    if (!HasSettingsExtension(fileName_)) {
        c_.dialogs->Message(c_.parent, Text(keys::kNotANorvaSetFile), QString(), MsgIcon::None);
        SetSettingsFileName(QString());
        return;
    }
    Read();
}

void SettingsFileMenu::Save1Click() {
    if (IsUsableSettingsName(fileName_)) {
        Write();
        return;
    }
    Saveas1Click();
}

bool SettingsFileMenu::Saveas1Click() {
    FileDialogRequest request;
    request.initialName = prefillSaveName_ ? fileName_ : QString();
    request.initialDir = c_.programFolder();
    request.defaultSuffix = QStringLiteral("NVS");
    request.filter = Text(keys::kSettingsFileType) + QStringLiteral(" (*.NVS *.nvs)");
    request.title = Text(keys::kSaveSettingsTitle);
    for (;;) {
        const QString chosen = c_.dialogs->SaveFile(c_.parent, request);
        if (chosen.isEmpty()) return false;
        SetSettingsFileName(chosen);
        if (!QFile::exists(fileName_)) break;
        if (c_.dialogs->YesNo(c_.parent, Text(keys::kReplaceFile), Text(keys::kFileExists),
                              MsgIcon::Question, true))
            break;
        SetSettingsFileName(QString());
    }
    return Write();
}

void SettingsFileMenu::OpenFromCommandLine(bool hasArgument, const QString& argument) {
    if (!hasArgument) {
        SetSettingsFileName(QString());
        return;
    }
    SetSettingsFileName(argument);
    if (!IsUsableSettingsName(fileName_)) {
        c_.dialogs->Message(c_.parent, Text(keys::kNoFileSelected), QString(), MsgIcon::None);
        return;
    }
    if (!HasSettingsExtension(fileName_)) {
        c_.dialogs->Message(c_.parent, Text(keys::kNotSettingsForNorva), QString(), MsgIcon::None);
        SetSettingsFileName(QString());
        return;
    }
    Read();
}
