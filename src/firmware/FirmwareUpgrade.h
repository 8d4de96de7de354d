#pragma once
// The firmware upgrade exchange with the door phone's resident loader: the start bytes,
// "w" until the loader answers "Y", then the image one byte per answer, block by block,
// until the loader reports completion. Every run ends in exactly one of four endings,
// reported with what happened (FwReport).
//
// The engine keeps the loader's pace in time, not in timer ticks: one "w" every 16 ms
// while connecting, 0.8 s without an answer before a block starts again. Its timer
// (Timer1Timer, 1 ms) is driven by the firmware window with QTimer, and by the command
// line, the tests and the benchmark with RunFirmwareTimer. What it shows goes through
// FirmwarePort; pauses and time through ClockPort.
//
// The computer can stop for a second or more in the middle of a block (load, a USB hiccup,
// suspend), and the loader drops a block left half-received. So the engine reads what has
// arrived before it decides that a wait has run out, and whenever it is out of step with
// the loader (no answer in time, or an answer that does not fit the bytes sent) it waits
// for a quiet line, longer than the loader keeps a half block, and sends the block again
// from its first byte. The loader then never puts together a block from the bytes of two
// attempts, and never writes words at an address that is not theirs.

#include "Clock.h"
#include "HexImage.h"

#include <QFile>
#include <QString>
#include <functional>

class DoorPhoneLink;
class LanguageTexts;

enum class FwPhase { Idle, Connecting, Programming, Ended };
enum class FwEnding { None, Finish, Error, ErrorTime, ErrorConnection };
enum class FwLabelColour { Normal, Blue, Fuchsia };

// What the engine waits for while programming.
enum class FwStep {
    SendByte,    // the next byte of the block goes out at this tick
    AwaitAnswer, // a byte is out; its answer is awaited
    AwaitQuiet,  // out of step: the block goes again from its first byte once the line is quiet
    Complete,    // the loader reported the upgrade complete
};

// How a run ended: the ending (its label and message) and what happened, in words that
// name the block ("the door phone answered 'E' to block 50 of 1919").
struct FwReport {
    FwEnding ending = FwEnding::None;
    QString detail;
    int block = 0;    // the block the run ended at, 1 .. block count
    int restarts = 0; // restarts of that block
    bool Finished() const { return ending == FwEnding::Finish; }
};

// What the firmware window shows of a run.
class FirmwarePort {
public:
    virtual ~FirmwarePort() = default;
    // Label1: "--------", "Connect" or the text of the ending, and its font colour.
    virtual void SetStatusLabel(const QString& text) = 0;
    virtual void SetStatusColour(FwLabelColour colour) = 0;
    // ProgressBar1 (tens of blocks) and ProgressBar2 (block within its ten), and the
    // block in words ("block 195 of 1919").
    virtual void SetProgressRange(int max1, int max2) = 0;
    virtual void SetProgress(int value1, int value2, const QString& text) = 0;
    // Label4 (block number) and Label5 (byte number) while an answer is awaited.
    virtual void SetBlockLabels(const QString& block, const QString& byte) = 0;
    // The message of the ending (a message box in the window).
    virtual void ShowEndingMessage(const FwReport& report, const QString& message) = 0;
    // The run has ended; log is the firmware log's whole text (Memo2).
    virtual void RunEnded(const FwReport& report, const QString& log) = 0;
};

class FirmwareUpgrade {
public:
    static constexpr int kTimerMs = 1;
    static constexpr int kConnectPaceMs = 16;   // one "w" this often while connecting
    static constexpr int kConnectTries = 101;   // "w" bytes before "Error conection"
    static constexpr int kAnswerWaitMs = 800;   // no answer this long: the block starts again
    static constexpr int kMaxWaitRestarts = 10; // time-out restarts without an accepted byte
    // Restarts of one block for any reason (time-out, "P", an answer out of step) before
    // the run gives up: a loader that never takes a block must not keep the window busy
    // forever.
    static constexpr int kMaxBlockRestarts = 100;
    // Out of step, the block goes again once nothing has crossed the line for this long:
    // longer than the loader keeps a half-received block (400 ms), so that it has dropped
    // whatever it held.
    static constexpr int kQuietMs = 600;
    // A line that does not fall quiet for this long (noise, another device) ends the run.
    static constexpr int kMaxQuietWaitMs = 10000;
    static constexpr int kStartPauseMs = 10; // after "F"
    static constexpr int kReopenPauseMs = 5;

    // The loader's bytes.
    static constexpr char kFirstStart = 'F';
    static constexpr char kStart = 'x';
    static constexpr char kPoll = 'w';
    static constexpr char kReady = 'Y';
    static constexpr char kByteTaken = 'O';
    static constexpr char kBlockTaken = 'K';
    static constexpr char kRestartBlock = 'P';
    static constexpr char kComplete = 'Z';
    static constexpr char kError = 'E';

    static constexpr const char* kLogFileName = "LOG_FW_file.TXT";
    static constexpr const char* kIdleLabel = "--------";
    static constexpr const char* kConnectLabel = "Connect";

    FirmwareUpgrade(DoorPhoneLink& link, ClockPort& clock, FirmwarePort& port,
                    const LanguageTexts& texts);
    FirmwareUpgrade(const FirmwareUpgrade&) = delete;
    FirmwareUpgrade& operator=(const FirmwareUpgrade&) = delete;

    // Starts a write of image (checked, ending in the end block): "F" first when sendF,
    // then "x", the firmware log in programFolder, the timer. False when no door phone is
    // connected: then nothing is sent and the run does not start.
    bool Start(const FirmwareImage& image, bool sendF, const QString& programFolder);

    void Timer1Timer();
    bool TimerRunning() const { return timerRunning_; }
    // Clock time at which the running timer fires next; -1 when stopped.
    qint64 TimerDueMs() const { return timerRunning_ ? timerDue_ : -1; }

    FwPhase Phase() const { return phase_; }
    FwStep Step() const { return step_; }
    FwEnding Ending() const { return report_.ending; }
    const FwReport& Report() const { return report_; }
    bool Running() const { return phase_ == FwPhase::Connecting || phase_ == FwPhase::Programming; }
    int BlockNumber() const { return block_; }
    // Bytes of the current block sent so far (0 .. 10).
    int BytesSent() const { return sent_; }
    int BlockCount() const { return image_.BlockCount(); }
    // Restarts of blocks over the whole run.
    int TotalRestarts() const { return totalRestarts_; }
    QString LogText() const { return logText_; }
    // The firmware log could not be written; the run went on, the text is in LogText().
    QString LogError() const { return logError_; }
    // Blocks done so far (for a progress line).
    int BlocksDone() const;
    // "block 195 of 1919": the block being sent.
    QString ProgressText() const;

    // The text of an ending (Label1) and its message.
    static QString EndingLabel(FwEnding ending);
    QString EndingMessage(FwEnding ending) const;

    // Every character waiting in the receive queue (one per byte); reopens the cable when
    // no link is open or a read failed while bytes still wait.
    QString FwDrain();
    // Sends the characters as bytes in order; stops at the first failed write and returns
    // the result of the last write (false for an empty text).
    bool SendText(const QString& text);

private:
    void RestartTimer();
    void ShowProgress();
    QString TakeReply();
    bool ConnectStep(const QString& reply, qint64 now);
    void AnswerStep(QString reply, qint64 now);
    void QuietStep(const QString& reply, qint64 now);
    bool LoaderEnded(const QString& reply);
    void SendStep();
    void TimeOut(const QString& what);
    void OutOfStep(const QString& what);
    bool CountRestart(const QString& what);
    void NextBlock();
    QString BlockText() const;
    // "block 58 byte 3": byte -1 is the byte last sent.
    QString Where(int byte = -1) const;
    void End(FwEnding ending, const QString& detail);
    void OpenLog(const QString& programFolder);
    void LogLine(const QString& text);
    QString DateTimeLine() const;

    DoorPhoneLink& link_;
    ClockPort& clock_;
    FirmwarePort& port_;
    const LanguageTexts& texts_;

    FirmwareImage image_;
    FwPhase phase_ = FwPhase::Idle;
    FwStep step_ = FwStep::SendByte;
    FwReport report_;
    int block_ = 1; // the block being sent, 1 .. block count
    int sent_ = 0;  // its bytes sent so far
    int connectTries_ = 0;
    qint64 nextPollMs_ = 0;
    qint64 waitFromMs_ = 0;  // the current wait for an answer (or for a write) began
    qint64 sentMs_ = 0;      // the last byte went out
    qint64 heardMs_ = 0;     // the last byte came in
    qint64 quietFromMs_ = 0; // the wait for a quiet line began
    int waitRestarts_ = 0;
    int blockRestarts_ = 0;
    int totalRestarts_ = 0;
    QString lastSent_;
    bool timerRunning_ = false;
    qint64 timerDue_ = 0;
    int shown1_ = -1, shown2_ = -1;
    QString shownBlock_, shownByte_;

    QFile logFile_;
    QString logText_;
    QString logError_;
};

// Runs the engine's timer on its clock until the run has ended or maxMs of clock time
// have passed; returns whether it ended. afterTick runs after every tick.
bool RunFirmwareTimer(FirmwareUpgrade& engine, ClockPort& clock, qint64 maxMs,
                      const std::function<void()>& afterTick = {});
