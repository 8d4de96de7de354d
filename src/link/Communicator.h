#pragma once
// The door-phone side of the main window: moving the two memories over the cable, the
// status poll, setting the door phone's clock and switching day/night, and the two timers
// that pace all of it. Everything it shows goes through HostPort; time and pauses go
// through ClockPort. The window drives the timers with QTimer (HostPort::TimerChanged
// says when), the command line and the tests with TimerLoop below.

#include "Ports.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

class CommLog;
class DoorPhoneLink;
class LanguageTexts;
class SettingsModel;

// The exchange in progress.
struct TransferState {
    QString command;        // "VER", "PC", "TC", "PZ", "TZ", "CAS"; "" before the first
    int expectedLength = 0; // 20, 256, 24, 255, 1
    bool waiting = false;   // an exchange is in progress
    int timeoutTicks = 0;   // Timer1 ticks since the last reply was taken
    int chunkNumber = 0;    // number record in transfer: 1..99, 101..199
    bool chunkReceived = false;
    bool chunkAcknowledged = false;
    bool byteAcknowledged = false;
    int parameterPosition = 0; // next position of the parameter block to send
    int retryCount = 0;        // time-out retries of number records since the last parameter write
    bool pendingNumberRead = false;         // "Read all" goes on with the numbers
    bool pendingNumberWrite = false;        // "Write all" goes on with the numbers
    QString reply;                          // last text drained from the receive queue
    QString byteTrail;                      // "-" and the decimal value of every byte sent
    std::array<int, 257> parameterOutput{}; // positions 1..256
    std::array<int, 25> chunkOutput{};      // positions 1..24
};

// What the last status reply said, and what the poll keeps between ticks.
struct DeviceStatus {
    QString versionText;    // "2.55"; emptied at the end of every poll tick
    QString deviceTimeText; // "31.12.2026 / 23:59:58"; emptied likewise
    QString resetsText;     // decimal; emptied likewise
    bool dayMode = false;
    bool pollingAllowed = false;
    QString lastReportedVersion;
    bool sendFFlag = false; // the firmware upgrade starts with "F" before "x"
    int resetsLow = 0;      // low byte of the reset counter, kept for the high byte
};

class Communicator {
public:
    static constexpr int kTransferInterval = 1; // ms
    static constexpr int kFirstPollInterval = 2000;
    static constexpr int kPollInterval = 1000;
    static constexpr int kTimeoutTicks = 200;
    static constexpr int kMaxChunkRetries = 68;

    Communicator(DoorPhoneLink& link, ClockPort& clock, HostPort& host, CommLog& log,
                 const LanguageTexts& texts, SettingsModel& model);
    Communicator(const Communicator&) = delete;
    Communicator& operator=(const Communicator&) = delete;

    // Program start: Timer2 runs with its first interval of 2000 ms.
    void StartPolling();
    // Start-up: the first connection attempt connected, so status requests may go out.
    // Also used around the firmware and label windows.
    void SetPollingAllowed(bool allowed);
    // The firmware and label windows stop both timers while they are open, and start
    // the poll timer again when they close.
    void StopTimers();
    void StartPollTimer();

    // Menu "Communicator".
    void Readparameters1Click();
    void Readphonenumbers1Click();
    void Readall1Click();
    void Writeparameters1Click();
    void Writephonenumbers1Click();
    void Writeall1Click();
    // "Set time from PC" (Button1) and the menu item "Send time from PC".
    void Button1Click();
    void SendtimefromPC1Click() { Button1Click(); }
    // Click on either day/night picture (Image2 day, Image1 night).
    void Image2Click();
    void Image1Click() { Image2Click(); }

    // Timer ticks. A tick that arrives while the engine is already inside a handler or a
    // tick (a message box lets the window's timers fire) is dropped.
    void Timer1Timer();
    void Timer2Timer();
    bool TimerRunning(EngineTimer timer) const;
    int TimerInterval(EngineTimer timer) const;
    // Clock time (ClockPort::NowMs) at which a running timer fires next; -1 when stopped.
    qint64 TimerDueMs(EngineTimer timer) const;

    // State for the window, the command line and tests.
    const TransferState& State() const { return state_; }
    TransferState& MutableState() { return state_; }
    const DeviceStatus& Status() const { return status_; }
    bool SendFFlag() const { return status_.sendFFlag; }
    void SetSendFFlag(bool on) { status_.sendFFlag = on; }
    bool DayMode() const { return status_.dayMode; }
    bool PollingAllowed() const { return status_.pollingAllowed; }
    // A transfer bracket is open (between BeginTransfer and EndTransfer).
    bool TransferActive() const { return bracketOpen_; }
    bool DeviceCommandsEnabled() const { return commandsEnabled_; }
    int Progress() const { return progress_; }
    // The text last given to Label4.
    QString DeviceClockCaption() const { return label4_; }

    // The status decoder: pairs of tag and value in the first 20 characters.
    void DecodeStatus(const QString& reply);
    // The 17 bytes of the set-clock command for this time (the allowance already added).
    static QByteArray SetClockBytes(const QDateTime& at);
    // "31.12.2026 / 23:59:58", as Label5 shows the PC's time.
    static QString PcClockText(const QDateTime& at);

    void BeginTransfer();
    void EndTransfer();
    void DispatchReply(int count);

    // The raw bytes of a read as they arrive, before decoding (the compare after a write
    // looks at them byte for byte).
    std::function<void(const QByteArray& block)> onParameterBlock;
    std::function<void(int record, const QByteArray& bytes)> onNumberRecord;
    // Called by the poll tick once the exchange before has ended; true when it started
    // a command of its own (the tick then does nothing else).
    std::function<bool()> onIdlePollTick;

private:
    struct TimerSlot {
        bool running = false;
        int interval = 0;
        qint64 due = -1;
    };
    class BusyScope;

    bool StartCommon(); // focus, messages, progress, BeginTransfer
    void Arm(const QString& command, int expectedLength);
    void SendByte(int value, int pauseMs);
    QString Drain();
    void Log(const QString& text);
    void SetProgress(int value);
    void Messages();
    void Pause(int ms);
    QString Msg(int key) const;
    void SetCommandsEnabled(bool enabled);
    void StartTimer(EngineTimer timer);
    void StopTimer(EngineTimer timer);
    void SetTimerInterval(EngineTimer timer, int ms);
    TimerSlot& Slot(EngineTimer timer);
    const TimerSlot& Slot(EngineTimer timer) const;

    void Timer1Steps();
    void Timer2Steps();
    void TakeStatusReply();
    void ConnectionReport();
    void RebuildCallProgressList();
    void UpdateStatusLine();
    void SendNextWriteChunk();
    void TimeoutStep();
    bool EncodeParameters();
    void EncodeChunk(int record);
    void FailTransfer(const QString& message);
    template <typename F> void Guarded(F&& body);

    DoorPhoneLink& link_;
    ClockPort& clock_;
    HostPort& host_;
    CommLog& log_;
    const LanguageTexts& texts_;
    SettingsModel& model_;

    TransferState state_;
    DeviceStatus status_;
    TimerSlot timer1_;
    TimerSlot timer2_;
    int progress_ = 0;
    bool bracketOpen_ = false;
    bool commandsEnabled_ = false;
    bool parametersEncoded_ = false;
    bool lastWriteStarted_ = false;
    uint32_t lastRxCount_ = 0;
    int busy_ = 0;
    QString label4_;
};

// Runs a Communicator's two timers on its clock port: the command line, the tests and the
// benchmark use it where the window uses QTimer. With a VirtualClock the pauses advance
// time at once, so long exchanges run in milliseconds and exactly in ticks.
class TimerLoop {
public:
    TimerLoop(Communicator& comm, ClockPort& clock) : comm_(comm), clock_(clock) {}
    // Fires the timers as they fall due until done() holds or maxMs of clock time have
    // passed; returns done(). Without a running timer, time still moves to the limit.
    bool RunUntil(const std::function<bool()>& done, qint64 maxMs);
    void RunFor(qint64 ms) {
        RunUntil([] { return false; }, ms);
    }
    // Called after every tick (tests use it to act at a chosen moment).
    std::function<void()> afterTick;

private:
    Communicator& comm_;
    ClockPort& clock_;
};
