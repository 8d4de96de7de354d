#pragma once
// The door-phone side of the main window: moving the two memories over the cable, the
// status poll, setting the door phone's clock and switching day/night, and the two timers
// that pace all of it. Everything it shows goes through HostPort; time and pauses go
// through ClockPort. The window drives the timers with QTimer (HostPort::TimerChanged
// says when), the command line and the tests with TimerLoop below.
//
// One exchange is in progress at a time (Exchange). It starts with a request, takes its
// replies on the transfer timer's ticks and ends in Finish() with an ExchangeEnd, which
// also decides whether the second half of "Read all" / "Write all" still follows.

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

// The door phone's serial protocol: the bytes of the requests and answers, the lengths
// of the replies, and the pauses the door phone needs between the bytes it is sent.
namespace DoorPhoneProtocol {
// Requests: a verb and an object, a record number after the numbers' object.
inline constexpr char kRead = 'R';
inline constexpr char kWrite = 'W';
inline constexpr char kParameters = 'P';
inline constexpr char kNumbers = 'T';
inline constexpr char kStatus = 'V';
inline constexpr char kDayNight = 'G'; // after kWrite
inline constexpr char kClock = 'C';    // after kWrite: tag and value pairs, then kClockEnd
inline constexpr char kClockEnd = '~';
// Tags of the clock's fields, in the set-clock command and the status reply alike.
inline constexpr char kSecondTag = 'S';
inline constexpr char kMinuteTag = 'N';
inline constexpr char kHourTag = 'H';
inline constexpr char kYearTag = 'R';
inline constexpr char kMonthTag = 'M';
inline constexpr char kDayTag = 'D';
inline constexpr char kWeekdayTag = 'W';
// Tags of the rest of the status reply.
inline constexpr char kVersionTag = 'V';
inline constexpr char kResetsLowTag = 'I';
inline constexpr char kResetsHighTag = 'J';
inline constexpr char kModeTag = 'G'; // its value is kDayModeValue in day mode
inline constexpr char kDayModeValue = 'D';
// Answers to a write.
inline constexpr char kAccepted = 'D'; // parameter byte taken
inline constexpr char kRefused = 'E';
inline constexpr char kDone = 'Z'; // the last parameter byte or a whole record stored

inline constexpr int kStatusReplyLength = 20;
inline constexpr int kParameterReplyLength = 256;
inline constexpr int kRecordReplyLength = 24;
inline constexpr int kAnswerLength = 1;
// The parameter write is armed for 255 answers (byte 256 is never sent).
inline constexpr int kParameterAnswers = 255;

// Number records: 1..99 and 101..199, there is no record 100.
inline constexpr int kFirstRecord = 1;
inline constexpr int kMissingRecord = 100;
inline constexpr int kLastRecord = 199;

// Pauses after a byte sent, in milliseconds.
inline constexpr int kBytePauseMs = 2;
inline constexpr int kClockBytePauseMs = 10;
inline constexpr int kDayNightVerbPauseMs = 5;
inline constexpr int kDayNightObjectPauseMs = 100;
// The bracket around every transfer: the window settles, the progress bar shows.
inline constexpr int kBracketSettleMs = 201;
inline constexpr int kBracketShowMs = 804;
// Before a finished transfer closes its bracket.
inline constexpr int kFinishPauseMs = 50;
// The clock is sent ahead by this much (0.00001 day), the time the bytes take.
inline constexpr int kClockAheadMs = 864;

// Waiting for an answer. The door phone is given this long without a new byte: a busy
// line or an EEPROM write keeps it quiet for a few hundred milliseconds.
inline constexpr int kReplyTimeoutMs = 3200;
// However many bytes come, a wait also ends once the expected answer has had the line's
// time for its length plus kReplyTimeoutMs since the request: noise or another device on
// the port must not hold a wait open for ever.
inline constexpr int kLineBaud = 9600;
inline constexpr int kBitsPerByte = 10; // start bit, eight data bits, stop bit
constexpr int LineTimeMs(int bytes) {
    return (bytes * kBitsPerByte * 1000 + kLineBaud - 1) / kLineBaud;
}
} // namespace DoorPhoneProtocol

// The exchange in progress.
enum class Exchange {
    None,            // before the first
    Status,          // the status poll: "V", 20 bytes back
    ReadParameters,  // "R" "P": the 256-byte block back
    ReadNumbers,     // "R" "T" n: record n back, 24 bytes, for n = 1..99, 101..199
    WriteParameters, // "W" "P", then byte by byte, each answered "D" (the last "Z")
    WriteNumbers,    // "W" "T" n and the 24 bytes of record n, answered "Z"
    SetClock,        // "W" "C" and the clock's fields: no answer
};

// How an exchange ended.
enum class ExchangeEnd {
    Done,    // everything went and came as it should
    Refused, // the door phone answered "E", or sent a block that was refused
    Failed,  // no answer in time, too many retries, the cable went
    Aborted, // a run-time error inside the exchange
};

// What follows the first half of "Read all" / "Write all".
enum class AllContinuation { None, ReadNumbers, WriteNumbers };

// The exchange in progress.
struct TransferState {
    Exchange exchange = Exchange::None;
    int expectedLength = 0; // 20, 256, 24, 255, 1
    bool waiting = false;   // an exchange is in progress
    qint64 lastByteMs = 0;  // clock time of the request or of the last byte that came
    qint64 deadlineMs = 0;  // the wait ends by then, however many bytes come
    int chunkNumber = 0;    // number record in transfer: 1..99, 101..199
    bool chunkReceived = false;
    bool chunkAcknowledged = false;
    bool byteAcknowledged = false;
    int parameterPosition = 0; // next position of the parameter block to send
    int retryCount = 0;        // time-out retries of number records since the last parameter write
    AllContinuation continuation = AllContinuation::None;
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
    // The door phone left a status request unanswered and the user has been told once;
    // the status line says so until the next answer.
    bool silent = false;
};

class Communicator {
public:
    static constexpr int kTransferInterval = 1; // ms
    static constexpr int kFirstPollInterval = 2000;
    static constexpr int kPollInterval = 1000;
    static constexpr int kMaxChunkRetries = 68;

    Communicator(DoorPhoneLink& link, ClockPort& clock, HostPort& host, CommLog& log,
                 const LanguageTexts& texts, SettingsModel& model);
    Communicator(const Communicator&) = delete;
    Communicator& operator=(const Communicator&) = delete;

    // Program start: Timer2 runs with its first interval of 2000 ms.
    void StartUp();
    // Start-up: the first connection attempt connected, so status requests may go out.
    // Also used around the firmware and label windows.
    void SetPollingAllowed(bool allowed);
    // The firmware and label windows stop both timers while they are open, and start
    // the poll timer again when they close.
    void StopTimers();
    void StartPollTimer();
    // The window is closing: both timers stop, and from now on a status request that is
    // not answered shows no box over the close question.
    void PrepareForClose();
    // Whether "Read all" and "Write all" go on with the numbers after the first half was
    // refused: the window goes on, the command line stops.
    void SetAllGoesOnAfterFailure(bool goOn) { allGoesOnAfterFailure_ = goOn; }

    // The menu "Communicator".
    void ReadParameters();
    void ReadNumbers();
    void ReadAll();
    void WriteParameters();
    void WriteNumbers();
    void WriteAll();
    // "Set time from PC" (Button1, and the clocks' pop-up menu).
    void SetClockFromPc();
    // A click on either day/night picture.
    void SwitchDayNight();

    // Timer ticks: Timer1 (transfers) and Timer2 (the poll). A tick that arrives while
    // the engine is already inside a command or a tick (a message box lets the window's
    // timers fire) is dropped.
    void TransferTick();
    void PollTick();
    bool TimerRunning(EngineTimer timer) const;
    int TimerInterval(EngineTimer timer) const;
    // Clock time (ClockPort::NowMs) at which a running timer fires next; -1 when stopped.
    qint64 TimerDueMs(EngineTimer timer) const;

    // State for the window, the command line and tests.
    const TransferState& State() const { return state_; }
    bool ContinuationPending() const { return state_.continuation != AllContinuation::None; }
    // Forgets a pending second half of "Read all" / "Write all" (program start).
    void DropContinuation() { state_.continuation = AllContinuation::None; }
    const DeviceStatus& Status() const { return status_; }
    bool SendFFlag() const { return status_.sendFFlag; }
    void SetSendFFlag(bool on) { status_.sendFFlag = on; }
    bool DayMode() const { return status_.dayMode; }
    bool PollingAllowed() const { return status_.pollingAllowed; }
    // The door phone has not answered the status since it was last heard from.
    bool DoorPhoneSilent() const { return status_.silent; }
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

    // Exchanges: start, replies, end.
    void OpenBracket(); // focus, messages, progress, BeginTransfer
    void Arm(Exchange exchange, int expectedLength);
    void Finish(ExchangeEnd end, const QString& message = QString());
    void DispatchReply(int count);
    void TakeStatusReply();
    void NoAnswer();
    void TakeParameterBlock(int count);
    void TakeRecord();
    void TakeParameterAnswer();
    void TakeRecordAnswer();
    bool EncodeParameters();
    void EncodeChunk(int record);

    // The transfer tick, step by step; each returns false when it ended the tick.
    void TakeArrivedBytes();
    bool RequestNextRecord();
    bool SendNextRecordIfStored();
    bool SendNextParameterByte();
    void SendRecord(int record);
    void TimeoutStep();
    // The time-out, on the clock's time: a wait starts with every request (and its
    // deadline with it), the silence restarts with every byte that arrives, and every
    // tick asks whether either has run out.
    void StartWait(int answerBytes);
    void RestartTimeout();
    bool TimeoutElapsed() const;

    // The poll tick.
    bool ContinueAll();
    void RequestStatus();
    void ConnectionReport();
    void RebuildCallProgressList();
    void UpdateStatusLine();

    // Small helpers.
    void SendBytes(std::initializer_list<int> values, int pauseMs);
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
    bool allGoesOnAfterFailure_ = true;
    bool closing_ = false;
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
