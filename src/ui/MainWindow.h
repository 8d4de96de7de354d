#pragma once
// The main window: owns every piece of long-lived state of the program (the settings, the
// link to the door phone and its engine, the log, the language texts, the model list) and
// runs the start-up and close sequences. Around the pages it shows a header with the two
// clocks, the page title and the day/night pictures, the navigation tree, the menus and
// the status line.

#include "AppConfig.h"
#include "AppFolders.h"
#include "CommLog.h"
#include "DesktopServices.h"
#include "Dialogs.h"
#include "DoorPhoneLink.h"
#include "DoorPhoneSession.h"
#include "FieldRules.h"
#include "GuardedWrite.h"
#include "LanguageTexts.h"
#include "ModelTemplate.h"
#include "Pages.h"
#include "Ports.h"
#include "SettingsModel.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QProgressBar;
class QTimer;
class QTreeWidgetItem;
class BackupMenu;
class Communicator;
class DayNightTable;
class FieldBinder;
class FirmwareWindow;
class TForm2;
class TForm3;
class TForm6;
class NavigationTree;
class SettingsFileMenu;
class StatusPanel;
class TForm14;
class TForm5;

struct MainWindowOptions {
    QString home; // program folder; "" = the executable's folder
    BackendChoice backend;
    QString settingsFile; // first positional argument ("" when none)
    bool hasSettingsFile = false;
    Dialogs* dialogs = nullptr; // nullptr = real dialogs
    ClockPort* clock = nullptr; // nullptr = real clock
    // false: the engine's timers are not mirrored on QTimer; the caller ticks them
    // (tests run the engine on virtual time with a TimerLoop).
    bool driveTimers = true;
    DesktopServices desktop; // sound and links; empty members: the desktop's own
    // The date and time that name backups; empty: the PC's real clock (the session's clock
    // runs ahead with the simulated door phone).
    std::function<QDateTime()> backupClock;
};

class TForm1 : public QMainWindow, public HostPort, public TemplateTarget {
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
    void ShowStatus(const DeviceStatus& status, bool fresh) override;
    void SetClockLabels(const QString& deviceTime, const QString& pcTime) override;
    void ShowDayNightImages(bool dayVisible, bool nightVisible) override;
    void FocusStatusBar() override;
    void SetModelSelectorEnabled(bool enabled) override;
    bool ButtonCountFieldVisible() const override;
    void FocusButtonCountField() override;
    void LoadModelDefaults() override;
    void TimerChanged(EngineTimer timer, bool running, int intervalMs) override;

    // TemplateTarget (ShowMessage above serves it too)
    void SetVisible(const QString& objectName, bool visible) override;
    void SetEnabled(const QString& objectName, bool enabled) override;
    void SetEmphasis(const QString& objectName, bool bold, int pointSize) override;
    void SetTreeEntry(int entry, const QString& text, bool icons) override;
    bool IsEnabled(const QString& objectName) const override;

    // State the other parts of the window and the tests look at.
    QString ProgramFolder() const; // where Config.ini is written
    const AppFolders& Folders() const;
    QString LanguagePath() const { return session_->LanguagePath(); }
    const std::array<QString, 20>& LanguageSlots() const { return languageSlots_; }
    bool LogEnabled() const { return log_.Enabled(); }
    QString StatusPanelText(int panel) const;
    // The status line's error panel ("" while it is hidden) and the panels themselves.
    QString StatusErrorText() const;
    StatusPanel* StatusBarPanel(int panel) const; // 0..4
    StatusPanel* StatusErrorPanel() const { return errorPanel_; }
    DoorPhoneSession& Session() { return *session_; }
    DoorPhoneLink& Link() { return session_->Link(); }
    CommLog& Log() { return log_; }
    LanguageTexts& Texts() { return texts_; }
    SettingsModel& Model() { return model_; }
    Communicator& Comm() { return session_->Comm(); }
    const Backend& DeviceBackendInUse() const { return session_->BackendInUse(); }
    bool StartupDone() const { return startupDone_; }
    bool LaunchKeyProgram() const { return launchKeyProgram_; }
    const ModelTable& Models() const { return session_->Models(); }
    const ModelState& ModelFeatures() const { return session_->ModelFeatures(); }
    BackupMenu& Backups() const { return *backupMenu_; }
    GuardedWrite& Guarded() const { return *guarded_; }
    int StartModelIndex() const { return session_->StartModelIndex(); }

    // Controls by object name: page controls, header, tree, status bar, pages; menu items
    // and pop-up items by their names through Action().
    QWidget* Control(const QString& name) const;
    QAction* Action(const QString& name) const;
    QMenu* PopupMenu(int number) const; // 1, 2, 3
    NavigationTree* Tree() const { return tree_; }
    DayNightTable& DayNight() const { return *dayNight_; }
    int CurrentPage() const;
    QString PageTitle() const;
    ExitContext CheckContext() const;
    bool DeviceCommandsOn() const { return deviceCommandsOn_; }

    // Puts every language text on the windows again (after a language file was loaded).
    void ApplyTexts();
    // Model list, picture and template of the selected model (a step of applying the language
    // file).
    void RebuildModelList();
    bool ApplyModelPicture(); // false: the picture could not be shown (error shown)
    void ApplyModelTemplate();

    // The door-phone commands: the menu "Communicator", Button1 and the clocks' pop-up
    // item, the day/night pictures. Each hands over to the engine.
    void Readparameters1Click();
    void Readphonenumbers1Click();
    void Readall1Click();
    void Writeparameters1Click();
    void Writephonenumbers1Click();
    void Writeall1Click();
    void Button1Click();
    void SendtimefromPC1Click();
    void Image2Click();
    // The guarded read or write of a menu command, its plan and how it ended.
    bool SettleField();
    GuardedPlan PlanFor(BackupContent what) const;
    void StartGuarded(bool write, BackupContent what);
    void GuardedEnded(const GuardedReport& report);

    // Menu handlers.
    void LogFile1Click();
    void Print1Click();
    // The n-th entry of the Language menu (0-based: az11, a11, ... a10).
    void LanguageItemClick(int slot);
    void Exit1Click() { close(); }
    void key1Click();
    void Packtree1Click();
    void Unpacktree1Click();
    void ShowHelpWindow();
    void Sampleoftones1Click();
    void About1Click();
    TForm2* AboutWindow() const { return about_; }
    TForm6* ToneWindow() const { return tones_; }
    // "Firmware upgrade": the firmware window, modal, with the door-phone timers stopped.
    void Firmwareupgrade1Click();
    FirmwareWindow* FirmwareDialog() const { return firmware_; }
    void ComboBox16Change();
    // "Option" > "Print labels": the label window of the model's label kind, with the
    // timers and the status poll stopped while it is open.
    void Printlabels1Click();
    // The poll tick: the minimum window size, then the engine's tick.
    void Timer2Timer();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildHeader(QWidget* host);
    void BuildMenus();
    void BuildPopupMenus();
    void BuildStatusBar();
    void TreeView1Change(QTreeWidgetItem* current);
    void ApplyDeviceCommandState();
    void Forw(); // start-up sequence
    void ListLanguageFiles();
    void MarkLanguageInUse();
    void ShowStatusError(bool silent);
    void ShowCablePanel(); // panel 0
    void ShowFilePanel();  // panel 2: the settings file
    bool OpenLog();
    void ReportFolderNotWritable(const QString& what, const QString& error);
    QAction* AddAction(QWidget* menu, const char* name, const QString& caption);
    void AddKeyboardShortcuts();

    MainWindowOptions options_;
    std::unique_ptr<DoorPhoneSession> session_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_;
    CommLog& log_;
    LanguageTexts& texts_;
    SettingsModel& model_;

    QString programFolder_;
    std::array<QString, 20> languageSlots_;
    std::unique_ptr<SettingsFileMenu> fileMenu_;
    std::unique_ptr<BackupMenu> backupMenu_;
    std::unique_ptr<GuardedWrite> guarded_;
    bool launchKeyProgram_ = false;
    bool startupDone_ = false;
    bool folderWarned_ = false;
    bool logFailureShown_ = false;
    bool deviceCommandsOn_ = false;
    bool clockFeature_ = true; // the model has a real-time clock (template "RTC")

    PageSet pages_;
    NavigationTree* tree_ = nullptr;
    FieldBinder* binder_ = nullptr;
    DayNightTable* dayNight_ = nullptr;
    TForm3* help_ = nullptr;
    TForm2* about_ = nullptr;
    TForm6* tones_ = nullptr;
    std::function<bool()> hasAudioOutput_;
    TForm14* form14_ = nullptr;
    TForm5* form5_ = nullptr;
    FirmwareWindow* firmware_ = nullptr;
    QHash<QString, QWidget*> frame_; // header, tree, status bar controls by name
    QHash<QString, QAction*> actions_;
    std::array<QMenu*, 3> popups_{};
    QProgressBar* progress_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    std::array<StatusPanel*, 5> panels_{};
    StatusPanel* errorPanel_ = nullptr;
    QAction* logFile1_ = nullptr;
    std::array<QAction*, 20> languageItems_{};
    QActionGroup* languageGroup_ = nullptr;
};
