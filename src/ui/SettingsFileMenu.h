#pragma once
// File > New, Open, Save and Save as, and the settings file named on the command line.

#include "TextKeys.h"

#include <QString>
#include <functional>

class CommLog;
class Dialogs;
class LanguageTexts;
class QWidget;
class SettingsModel;

class SettingsFileMenu {
public:
    struct Context {
        QWidget* parent = nullptr;
        Dialogs* dialogs = nullptr;
        SettingsModel* model = nullptr;
        CommLog* log = nullptr;
        const LanguageTexts* texts = nullptr;
        std::function<QString()> programFolder; // where the file dialogs start
        std::function<void()> loadDefaults;     // File > New
        std::function<void()> fileNameChanged;  // status panel 2
    };

    explicit SettingsFileMenu(Context context) : c_(std::move(context)) {}

    QString SettingsFileName() const { return fileName_; }
    void SetSettingsFileName(const QString& name);
    void SetPrefillSaveName(bool on) { prefillSaveName_ = on; }

    // New starts a new set of settings: the defaults, and no file yet, so that the next
    // Save asks for a name instead of writing over the file that was open.
    void New1Click();
    void Open1Click();
    void Save1Click();
    // True when the settings were written; false when the dialog was cancelled or the file
    // could not be written (the reason has been shown).
    bool Saveas1Click();
    // The first command-line argument (none: hasArgument false).
    void OpenFromCommandLine(bool hasArgument, const QString& argument);

private:
    QString Text(TextKey key) const;
    void Read();
    bool Write();

    Context c_;
    QString fileName_;
    bool prefillSaveName_ = false;
};
