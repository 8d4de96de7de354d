#pragma once
// The main window: owns every piece of long-lived state of the program (the link to the
// door phone, the log, the language texts, the settings) and runs the start-up and close
// sequences.

#include "AppConfig.h"
#include "Backends.h"
#include "CommLog.h"
#include "Dialogs.h"
#include "DoorPhoneLink.h"
#include "LanguageTexts.h"
#include "Ports.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTimer;

struct MainWindowOptions {
    QString home;         // program folder; "" = the executable's folder
    BackendChoice backend;
    QString settingsFile; // first positional argument ("" when none)
    bool hasSettingsFile = false;
    Dialogs* dialogs = nullptr; // nullptr = real dialogs
    ClockPort* clock = nullptr; // nullptr = real clock
};

class TForm1 : public QMainWindow, public HostPort {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 620;
    static constexpr int kMinHeight = 461;

    explicit TForm1(const MainWindowOptions& options, QWidget* parent = nullptr);
    ~TForm1() override;

    // HostPort
    void ShowMessage(const QString& text, const QString& caption, MsgIcon icon) override;
    bool AskYesNo(const QString& text, const QString& caption, MsgIcon icon) override;
    void ShowProgress(bool visible) override;
    void SetProgress(int position) override;
    void SetDeviceCommandsEnabled(bool enabled) override;
    void ProcessMessages() override;

    // State the other parts of the window and the tests look at.
    QString ProgramFolder() const;
    QString LanguagePath() const { return languagePath_; }
    const std::array<QString, 20>& LanguageSlots() const { return languageSlots_; }
    bool LogEnabled() const { return log_.Enabled(); }
    QString StatusPanelText(int panel) const;
    DoorPhoneLink& Link() { return *link_; }
    CommLog& Log() { return log_; }
    LanguageTexts& Texts() { return texts_; }
    const Backend& DeviceBackendInUse() const { return backend_; }
    bool StartupDone() const { return startupDone_; }
    bool LaunchKeyProgram() const { return launchKeyProgram_; }
    void SetLaunchKeyProgram(bool on) { launchKeyProgram_ = on; }

    // Menu handlers.
    void LogFile1Click();
    void Exit1Click() { close(); }
    // The poll tick (connection part, window size).
    void Timer2Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusBar();
    void Forw(); // start-up sequence
    void ListLanguageFiles();
    bool OpenLog();
    void ApplyLanguageFile();
    void SetStatusPanel(int panel, const QString& text);
    void ReportFolderNotWritable(const QString& what, const QString& error);

    MainWindowOptions options_;
    std::unique_ptr<ClockPort> ownClock_;
    ClockPort* clock_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_;
    CommLog log_;
    LanguageTexts texts_;
    Backend backend_;
    std::unique_ptr<DoorPhoneLink> link_;

    QString programFolder_;
    QString languagePath_;
    std::array<QString, 20> languageSlots_;
    QString settingsFileName_;
    bool prefillSaveName_ = false;
    bool launchKeyProgram_ = false;
    bool pollingAllowed_ = false;
    bool startupDone_ = false;
    bool folderWarned_ = false;
    bool logFailureShown_ = false;
    int startModelIndex_ = 0;

    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    std::array<QLabel*, 5> panels_{};
    QAction* logFile1_ = nullptr;
    std::array<QAction*, 20> languageItems_{};
    QList<QAction*> deviceCommands_;
};
