#pragma once
// One door-phone session: the parts every front end works with (clock, communication log,
// language texts, settings model, model table, cable backend, DoorPhoneLink and its engine
// Communicator), built once and in one order, and the start-up sequence that brings them
// up from the program folder (Config.ini, log, language file, model list, defaults,
// template). The window, the command line, the tests and the benchmark each hold one; what
// differs between them is a named option, not a copy of the sequence.

#include "AppFolders.h"
#include "Backends.h"
#include "CommLog.h"
#include "LanguageTexts.h"
#include "ModelTable.h"
#include "ModelTemplate.h"
#include "Ports.h"
#include "SettingsModel.h"

#include <QString>
#include <functional>
#include <memory>

class Communicator;
class DoorPhoneLink;
class TimerLoop;

struct SessionOptions {
    QString home; // program folder; "" = the executable's folder
    BackendChoice backend;
    // false: no cable at all, not even a real one (the command line's encode and decode).
    bool cable = true;

    // The clock: an outside one (tests), or the session's own real clock. With
    // virtualTimeForSimulator the simulated door phone runs on virtual time, where a
    // whole transfer takes no time and every tick and time-out is exact.
    ClockPort* clock = nullptr;
    bool virtualTimeForSimulator = false;

    // Config.ini: the window creates it at the first start and writes it back at the
    // close; the command line only reads one that is there.
    enum class ConfigFile { CreateWhenMissing, ReadOnly };
    ConfigFile configFile = ConfigFile::CreateWhenMissing;

    // The communication log: as Config.ini says (the window), or on and off by request
    // (the command line's --log, where a log that cannot be opened ends the start-up).
    enum class LogSwitch { FromConfig, On, Off };
    LogSwitch log = LogSwitch::FromConfig;

    // A language file that cannot be loaded: the window forgets Config.ini (it is
    // deleted) and starts in English, saying so when English.lng is missing too; the
    // command line falls back to English.lng for this run only.
    enum class MissingLanguage { ForgetConfig, FallBackToEnglish };
    MissingLanguage missingLanguage = MissingLanguage::ForgetConfig;

    // Model selector position; -1 = Config.ini's. A position without a model ends the
    // start-up with the list of models.
    int model = -1;

    // The window shows the model's picture and applies its template every time a
    // language file is taken (the language menu); the command line takes the template
    // once, after the defaults.
    bool templateWithLanguage = true;

    // After a refused block, "Read all" and "Write all" go on with the numbers in the
    // window; the command line stops at the first failure.
    bool allGoesOnAfterFailure = true;
};

class DoorPhoneSession {
public:
    // host: the window or the command line; target: what a model template does to the
    // controls (the window itself, or the command line's stand-in).
    DoorPhoneSession(const SessionOptions& options, HostPort& host, TemplateTarget& target);
    ~DoorPhoneSession();
    DoorPhoneSession(const DoorPhoneSession&) = delete;
    DoorPhoneSession& operator=(const DoorPhoneSession&) = delete;

    const SessionOptions& Options() const { return options_; }
    ClockPort& Clock() { return *clock_; }
    CommLog& Log() { return log_; }
    LanguageTexts& Texts() { return texts_; }
    SettingsModel& Model() { return model_; }
    const ModelTable& Models() const { return models_; }
    const ModelState& ModelFeatures() const { return modelState_; }
    const Backend& BackendInUse() const { return backend_; }
    DoorPhoneLink& Link() { return *link_; }
    Communicator& Comm() { return *comm_; }
    // The engine's timers on the session's clock, for front ends without QTimer.
    TimerLoop& Loop() { return *loop_; }

    // Where Config.ini is written: the program folder, or the user's config folder for an
    // installed copy (absolute, with a trailing "/").
    QString ConfigFolder() const;
    // The program folder, the shipped files' folders and the folders written.
    const AppFolders& Folders() const { return folders_; }

    // Config.ini, the log, the language file with its model list, the defaults and the
    // template, in this order. False when a step the options insist on failed (the log
    // asked for, the model position); StartupError() says why.
    bool StartUp();
    QString StartupError() const { return startupError_; }
    // The first connection attempt, then the status poll (the window).
    void ConnectAndPoll();

    // Takes a language file: the texts, the model list and (templateWithLanguage) the
    // model's picture and template. An unreadable file follows missingLanguage.
    void ApplyLanguageFile(const QString& path);
    QString LanguagePath() const { return languagePath_; }
    // The model list from the language texts; the selector at StartModelIndex().
    bool RebuildModelList();
    int StartModelIndex() const { return startModelIndex_; }
    void SetStartModelIndex(int position) { startModelIndex_ = position; }
    // The selector changed: the log line, then picture and template.
    void ModelSelected();
    // The selected model's template file ("" for none) and applying it.
    QString SelectedTemplate() const;
    void ApplyModelTemplate();
    // The defaults of the selected model, or of a given template file. A value that is
    // not a number is reported through reportDefaultsError; keys read before it stay.
    void LoadModelDefaults();
    void LoadModelDefaults(const QString& templatePath);
    // Opens the log in the program folder; a failure is reported as a folder that cannot
    // be written.
    bool OpenLog();

    // What only the front end can do. Every one has a sound default.
    // The window shows the texts on its controls once a language file is loaded.
    std::function<void()> textsLoaded;
    // The model's picture; false (it could not be shown) skips the template.
    std::function<bool()> showModelPicture;
    // Config.ini or the log cannot be written in the program folder.
    std::function<void(const QString& what, const QString& error)> reportFolderNotWritable;
    // A template's default that is not a number (default: a message box).
    std::function<void(const QString& templatePath, const QString& text)> reportDefaultsError;

private:
    SessionOptions options_;
    HostPort& host_;
    TemplateTarget& target_;
    AppFolders folders_;
    // Destroyed in reverse: the engine, then the link (closing the cable), then the
    // backend (a simulated door phone saves its memory then), the log last.
    std::unique_ptr<ClockPort> ownClock_;
    ClockPort* clock_ = nullptr;
    CommLog log_;
    LanguageTexts texts_;
    SettingsModel model_;
    ModelTable models_;
    ModelState modelState_;
    Backend backend_;
    std::unique_ptr<DoorPhoneLink> link_;
    std::unique_ptr<Communicator> comm_;
    std::unique_ptr<TimerLoop> loop_;

    QString languagePath_;
    int startModelIndex_ = 0;
    QString startupError_;
};
