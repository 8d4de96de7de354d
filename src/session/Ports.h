#pragma once
// What the door-phone session needs from whatever drives it: the window, the command line
// or a test. The clock (Clock.h) and the message icons (MsgIcon.h) come along, so that a
// front end includes this one header.

#include "Clock.h"
#include "MsgIcon.h"

#include <QString>

// The two timers of the door-phone engine: Timer1 paces transfers (1 ms), Timer2 polls
// the status (2000 ms for the first tick, then 1000 ms).
enum class EngineTimer { Transfer, Poll };

struct DeviceStatus;

// Everything the engines do "on the main window".
class HostPort {
public:
    virtual ~HostPort() = default;
    // A message box with one OK button. An empty caption means the application title.
    virtual void ShowMessage(const QString& text, const QString& caption, MsgIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const QString& text, const QString& caption, MsgIcon icon) = 0;
    virtual void ShowProgress(bool visible) = 0;
    virtual void SetProgress(int position) = 0;
    // The device commands (read/write items, firmware, remote, set time, day/night images).
    virtual void SetDeviceCommandsEnabled(bool enabled) = 0;
    // Let pending window messages run (a no-op outside the window).
    virtual void ProcessMessages() {}

    // What the door-phone engine (Communicator) shows and asks beyond the above. Every
    // one has a default, so a command line or a test implements only what it needs.
    // The status line after a poll tick (and at start-up): the cable, and what the door
    // phone last said. fresh tells whether that answer came since the tick before; the
    // line shows only such a one. The front end says it in its own words.
    virtual void ShowStatus(const DeviceStatus& /*status*/, bool /*fresh*/) {}
    // Label4 (the door phone's clock) and Label5 (the PC's clock), as finished texts.
    virtual void SetClockLabels(const QString& /*deviceTime*/, const QString& /*pcTime*/) {}
    // The day/night pictures: Image2 (day) and Image1 (night).
    virtual void ShowDayNightImages(bool /*dayVisible*/, bool /*nightVisible*/) {}
    // Moves the focus to the status bar, so that the exit check of the field being
    // edited runs before a transfer takes the settings.
    virtual void FocusStatusBar() {}
    // The model selector ComboBox16, disabled for the length of a transfer.
    virtual void SetModelSelectorEnabled(bool /*enabled*/) {}
    // Whether Edit91 (buttons on the basic module) is shown on the model page.
    virtual bool ButtonCountFieldVisible() const { return false; }
    // Selects the first tree node and puts the focus into Edit91.
    virtual void FocusButtonCountField() {}
    // Loads the selected model's defaults (a received parameter block was refused).
    virtual void LoadModelDefaults() {}
    // One of the engine's two timers was started, stopped or given a new interval. The
    // window mirrors this on its QTimer (start(intervalMs) or stop()).
    virtual void TimerChanged(EngineTimer /*timer*/, bool /*running*/, int /*intervalMs*/) {}
};
