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
#include "TextKeys.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <functional>
#include <utility>
#include <vector>

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

// Losing step and finding it again. The door phone drops a command that stays half-sent
// for about a second, and the program itself can stand still for seconds (a loaded
// machine, a USB hub, suspend). So:
// - a gap this long between two turns of the engine means the program was not running;
//   bytes that arrived meanwhile came at an unknown moment;
inline constexpr int kStallMs = 400;
// - a command left half-sent this long may have been dropped by the door phone, so the
//   engine does not go on with its rest after a stall of half of it;
inline constexpr int kHalfCommandLimitMs = 1000;
// - before a request is repeated, the line must have been quiet for longer than that, so
//   that whatever the door phone still had to say is over and it waits for a new command;
inline constexpr int kResyncQuietMs = 1200;
// - and a line that never falls quiet ends the exchange after this much more.
inline constexpr int kResyncLimitMs = kResyncQuietMs + kReplyTimeoutMs;
// A request whose answer went missing or came garbled is repeated once; only when the
// repeat fails too is the exchange a failure. A stall of the program's own is not the
// door phone's fault and does not use up the repeat, but it cannot go on for ever.
inline constexpr int kRepeatsAfterLoss = 1;
inline constexpr int kRepeatsAfterStall = 5;

// The ten tags of a status reply, each once, in any order.
inline constexpr char kStatusTags[] = "VSNHRMDIJG";
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
    DayNight,        // "W" "G": no answer
};

// How an exchange ended.
enum class ExchangeEnd {
    Done,    // everything went and came as it should
    Refused, // the door phone answered "E", or sent a block that was refused, or the
             // block to be sent could not be built
    Failed,  // no answer in time (also after a repeat), too many retries, the cable went
    Aborted, // a run-time error inside the exchange
};

// What an exchange's listeners are told when it has ended.
struct ExchangeOutcome {
    Exchange exchange = Exchange::None;
    ExchangeEnd end = ExchangeEnd::Done;
    QString message; // the text shown to the user, "" when none was shown
    // The second half of "Read all" / "Write all" follows: the command is not over yet.
    bool continues = false;
};

// What follows the first half of "Read all" / "Write all".
enum class AllContinuation { None, ReadNumbers, WriteNumbers };

// What the exchange in progress waits for.
enum class WaitStep {
    Idle,  // no exchange in progress
    Reply, // a request, a record or a parameter byte went out; its answer is awaited
    Next,  // the answer came: the next request, record or byte goes out on this tick
    Quiet, // an answer went missing or came garbled, or the program stood still in the
           // middle of a command: the line must fall quiet before the request is repeated
};

// The exchange in progress.
struct TransferState {
    Exchange exchange = Exchange::None;
    WaitStep step = WaitStep::Idle;
    int expectedLength = 0;    // 20, 256, 24, 255, 1
    qint64 lastByteMs = 0;     // clock time of the request or of the last byte that came
    qint64 deadlineMs = 0;     // the wait ends by then, however many bytes come
    qint64 waitStartMs = 0;    // when the request of the current wait went out
    int chunkNumber = 0;       // number record in transfer: 1..99, 101..199
    int parameterPosition = 0; // next position of the parameter block to send (0: none yet)
    int retryCount = 0;        // retries of records answered "E" since the last parameter write
    int repeatsAfterLoss = 0;  // repeats of the request in transfer after a lost answer
    int repeatsAfterStall = 0; // ... and after a stall of the program
    AllContinuation continuation = AllContinuation::None;
    QString reply;                          // last text taken from the door phone's answers
    QString byteTrail;                      // "-" and the decimal value of every byte sent
    std::array<int, 257> parameterOutput{}; // positions 1..256
    std::array<int, 25> chunkOutput{};      // positions 1..24
    bool Waiting() const { return step != WaitStep::Idle; }
};

// What the last status reply said, and what the poll keeps between ticks.
struct DeviceStatus {
    // The last status the door phone gave, kept until the cable goes (then "").
    QString versionText;    // "2.55"
    QString deviceTimeText; // "31.12.2026 / 23:59:58"
    QString resetsText;     // decimal
    bool fresh = false;     // it came since the last poll tick, which shows only such a one
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
    // The close was cancelled (the save was not done): the window goes on as before, the
    // poll too when it was running.
    void CloseCancelled(bool poll);
    // Whether "Read all" and "Write all" go on with the numbers after the first half was
    // refused: the window goes on, the command line stops.
    void SetAllGoesOnAfterFailure(bool goOn) { allGoesOnAfterFailure_ = goOn; }

    // The menu "Communicator". Each returns whether the command started (false: not
    // connected, the button-count question was answered No, or the block to be written
    // could not be built); a command that started ends with an ExchangeOutcome.
    bool ReadParameters();
    bool ReadNumbers();
    bool ReadAll();
    bool WriteParameters();
    bool WriteNumbers();
    bool WriteAll();
    // "Set time from PC" (Button1, and the clocks' pop-up menu).
    bool SetClockFromPc();
    // A click on either day/night picture.
    bool SwitchDayNight();

    // Every exchange ends with one call of each listener, after the transfer bracket has
    // closed: the status poll, the commands and each half of "all" alike.
    using ExchangeListener = std::function<void(const ExchangeOutcome&)>;
    int AddExchangeListener(ExchangeListener listener);
    void RemoveExchangeListener(int id);

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
    // A command or its "all" continuation is under way: nothing else may start.
    bool CommandBusy() const { return bracketOpen_ || ContinuationPending(); }
    bool DeviceCommandsEnabled() const { return commandsEnabled_; }
    int Progress() const { return progress_; }

    // The status decoder: pairs of tag and value in the first 20 characters.
    void DecodeStatus(const QString& reply);
    // Whether these bytes are a status reply: ten pairs whose tags are the ten status
    // tags, each once.
    static bool IsStatusReply(const QByteArray& bytes);
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

private:
    struct TimerSlot {
        bool running = false;
        int interval = 0;
        qint64 due = -1;
    };
    class BusyScope;

    // Exchanges: start, replies, end. The Start... functions start a command without
    // telling the listeners; the public commands tell them once the command is set up.
    bool StartReadParameters();
    bool StartReadNumbers();
    bool StartWriteParameters();
    bool StartWriteNumbers();
    void OpenBracket(); // focus, messages, progress, BeginTransfer
    void Arm(Exchange exchange, int expectedLength);
    void Finish(ExchangeEnd end, const QString& message = QString(), MsgIcon icon = MsgIcon::None);
    void DeliverOutcomes();
    bool Told(bool started);
    void TakeReplies();
    void TakeStatusReply();
    void NoAnswer();
    void TakeParameterBlock();
    void TakeRecord();
    bool TakeParameterAnswer();
    bool TakeRecordAnswer();
    bool EncodeParameters(QString* error);
    void EncodeChunk(int record);

    // The requests, and the transfer tick's turn.
    void RequestParameters();
    void RequestRecord(int record);
    void SendRecord(int record);
    void StartParameterWrite();
    void SendParameterByte();
    bool SendClock();
    bool SendDayNight();
    void Turn();
    void SendNext();
    void TimeoutStep();
    // Losing step: the line must fall quiet, then the request in transfer goes again.
    void Resync(bool afterStall);
    void QuietStep();
    void Repeat();
    // The time-out, on the clock's time: a wait starts with every request (and its
    // deadline with it), the silence restarts with every byte that arrives, and every
    // tick asks whether either has run out.
    void StartWait(int answerBytes);
    void RestartTimeout();
    bool TimeoutElapsed() const;
    // The program stood still between the engine's last turn and this tick.
    bool Stalled() const;
    // A command is half-sent: the door phone waits for its rest.
    bool CommandHalfSent() const;

    // The poll tick.
    bool ContinueAll();
    void RequestStatus();
    void ConnectionReport(const QString& version);
    void ForgetStatus();
    void RebuildCallProgressList();

    // Small helpers.
    bool SendByte(int value, int pauseMs, bool continuesCommand);
    bool SendCommand(const QByteArray& bytes, int pauseMs);
    void ReadArrived();
    void DiscardArrived();
    bool TakeLeftovers();
    void Log(const QString& text);
    void SetProgress(int value);
    void Messages();
    void Pause(int ms);
    QString Msg(TextKey key) const;
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
    // What has arrived from the door phone and is not taken yet: each step takes the
    // answer it expects from the front, and what follows stays for the next step.
    QByteArray arrived_;
    qint64 lastTurnMs_ = 0; // the engine's last turn (a tick, a byte sent)
    qint64 turnGapMs_ = 0;  // how long the engine stood still before this tick
    int progress_ = 0;
    bool bracketOpen_ = false;
    bool commandsEnabled_ = false;
    bool parametersEncoded_ = false;
    bool allGoesOnAfterFailure_ = true;
    bool closing_ = false;
    int busy_ = 0;
    QString label4_;
    std::vector<std::pair<int, ExchangeListener>> listeners_;
    int nextListenerId_ = 1;
    // An outcome waits here while Finish closes the bracket, then goes to the listeners.
    std::vector<ExchangeOutcome> outcomes_;
    bool delivering_ = false;
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
