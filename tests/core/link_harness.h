#pragma once
// A Communicator wired to the simulated door phone on the virtual clock, with a host that
// records everything the engine shows.

#include "CommLog.h"
#include "Communicator.h"
#include "DoorPhoneLink.h"
#include "LanguageTexts.h"
#include "Ports.h"
#include "SettingsModel.h"
#include "SimCableBackend.h"
#include "SimDoorPhone.h"

#include <QStringList>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct RecordingHost : HostPort {
    QStringList messages;
    QStringList questions;
    QStringList questionCaptions;
    std::deque<bool> answers; // Yes/No answers in turn; Yes when empty
    std::vector<int> progress;
    bool progressVisible = false;
    bool commandsEnabled = false;
    bool selectorEnabled = true;
    std::array<QString, 5> panels;
    QString deviceClock, pcClock;
    bool dayImage = false, nightImage = true;
    bool buttonCountVisible = false;
    int buttonCountFocus = 0;
    int statusBarFocus = 0;
    int defaultsLoaded = 0;
    QString settingsFile;
    std::function<void()> onMessage;  // runs inside a message box
    std::function<void()> onDefaults; // runs when the defaults load

    void ShowMessage(const QString& text, const QString&, MsgIcon) override {
        messages << text;
        if (onMessage) onMessage();
    }
    bool AskYesNo(const QString& text, const QString& caption, MsgIcon) override {
        questions << text;
        questionCaptions << caption;
        if (answers.empty()) return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowProgress(bool visible) override { progressVisible = visible; }
    void SetProgress(int position) override { progress.push_back(position); }
    void SetDeviceCommandsEnabled(bool enabled) override { commandsEnabled = enabled; }
    void SetStatusPanel(int panel, const QString& text) override { panels[panel] = text; }
    void SetClockLabels(const QString& device, const QString& pc) override {
        deviceClock = device;
        pcClock = pc;
    }
    void ShowDayNightImages(bool day, bool night) override {
        dayImage = day;
        nightImage = night;
    }
    void FocusStatusBar() override { ++statusBarFocus; }
    void SetModelSelectorEnabled(bool enabled) override { selectorEnabled = enabled; }
    bool ButtonCountFieldVisible() const override { return buttonCountVisible; }
    void FocusButtonCountField() override { ++buttonCountFocus; }
    QString SettingsFileName() const override { return settingsFile; }
    void LoadModelDefaults() override {
        ++defaultsLoaded;
        if (onDefaults) onDefaults();
    }
};

struct LinkHarness {
    VirtualClock clock;
    RecordingHost host;
    CommLog log{&clock};
    LanguageTexts texts;
    SettingsModel model;
    SimCableBackend backend{clock};
    std::shared_ptr<SimDoorPhone> phone = std::make_shared<SimDoorPhone>(clock);
    DoorPhoneLink link{backend, clock, &log};
    Communicator comm{link, clock, host, log, texts, model};
    TimerLoop loop{comm, clock};

    // Connected and polling, as after a start-up that found the cable.
    LinkHarness() {
        backend.AddBothCables(phone);
        phone->AttachTo(backend);
        link.ConnectAttempt();
        host.commandsEnabled = link.Connected();
        comm.SetPollingAllowed(true);
        comm.StartPolling();
    }

    // Runs the timers until no exchange is in progress and no "all" continuation waits.
    bool RunToIdle(qint64 maxMs = 120000) {
        return loop.RunUntil(
            [this] {
                const TransferState& s = comm.State();
                return !comm.TransferActive() && !s.waiting && !s.pendingNumberRead &&
                       !s.pendingNumberWrite;
            },
            maxMs);
    }
    // Starts a command and runs until it and its continuation have ended.
    bool Run(const std::function<void()>& command, qint64 maxMs = 120000) {
        phone->ClearLineRecord();
        host.messages.clear();
        host.progress.clear();
        command();
        return RunToIdle(maxMs);
    }
    // The window is usable again after a transfer.
    bool WindowEnabled() const {
        return host.commandsEnabled && host.selectorEnabled && !host.progressVisible &&
               !comm.TransferActive() && comm.TimerRunning(EngineTimer::Poll);
    }
};
