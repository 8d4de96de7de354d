#pragma once
// The host every core test shares: records what the engines show and ask, and answers
// the questions from a script. It also stands in for the window's controls under a model
// template, remembering only the template's message.

#include "Communicator.h"
#include "ModelTemplate.h"
#include "Ports.h"

#include <QStringList>
#include <array>
#include <deque>
#include <functional>
#include <vector>

struct RecordingHost : HostPort, TemplateTarget {
    QStringList messages;
    QStringList questions;
    QStringList questionCaptions;
    std::deque<bool> answers; // Yes/No answers in turn; Yes when empty
    std::vector<int> progress;
    bool progressVisible = false;
    bool commandsEnabled = false;
    bool selectorEnabled = true;
    // What the last poll tick showed: the answer since the tick before ("" without one)
    // and whether the door phone stays silent.
    QString shownVersion, shownResets;
    bool shownSilent = false;
    QString deviceClock, pcClock;
    bool dayImage = false, nightImage = true;
    bool buttonCountVisible = false;
    int buttonCountFocus = 0;
    int statusBarFocus = 0;
    int defaultsLoaded = 0;
    std::function<void()> onMessage;  // runs inside a message box
    std::function<void()> onDefaults; // runs when the defaults load

    // TemplateTarget: the controls are not there; only the message is kept.
    void SetVisible(const QString&, bool) override {}
    void SetEnabled(const QString&, bool) override {}
    void SetEmphasis(const QString&, bool, int) override {}
    void SetTreeEntry(int, const QString&, bool) override {}
    bool IsEnabled(const QString&) const override { return true; }

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
    void ShowStatus(const DeviceStatus& status, bool fresh) override {
        shownVersion = fresh ? status.versionText : QString();
        shownResets = fresh ? status.resetsText : QString();
        shownSilent = status.silent;
    }
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
    void LoadModelDefaults() override {
        ++defaultsLoaded;
        if (onDefaults) onDefaults();
    }
};
