#pragma once
// The firmware upgrade exchange with the door phone's resident loader: the start bytes,
// "w" until the loader answers "Y", then the image one byte per answer, block by block,
// until the loader reports completion. Every run ends in exactly one of four endings.
//
// The engine keeps the loader's pace in time, not in timer ticks: one "w" every 16 ms
// while connecting, 0.8 s without an answer before a block starts again. Its timer
// (Timer1Timer, 1 ms) is driven by the firmware window with QTimer, and by the command
// line, the tests and the benchmark with RunFirmwareTimer. What it shows goes through
// FirmwarePort; pauses and time through ClockPort.

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

// What the firmware window shows of a run.
class FirmwarePort {
public:
    virtual ~FirmwarePort() = default;
    // Label1: "--------", "Connect" or the text of the ending, and its font colour.
    virtual void SetStatusLabel(const QString& text) = 0;
    virtual void SetStatusColour(FwLabelColour colour) = 0;
    // ProgressBar1 (tens of blocks) and ProgressBar2 (block within its ten).
    virtual void SetProgressRange(int max1, int max2) = 0;
    virtual void SetProgress(int value1, int value2) = 0;
    // Label4 (block number) and Label5 (byte number) while an answer is awaited.
    virtual void SetBlockLabels(const QString& block, const QString& byte) = 0;
    // The message of the ending (a message box in the window).
    virtual void ShowEndingMessage(const QString& text) = 0;
    // The run has ended; log is the firmware log's whole text (Memo2).
    virtual void RunEnded(FwEnding ending, const QString& log) = 0;
};

class FirmwareUpgrade {
public:
    static constexpr int kTimerMs = 1;
    static constexpr int kConnectPaceMs = 16;   // one "w" this often while connecting
    static constexpr int kConnectTries = 101;   // "w" bytes before "Error conection"
    static constexpr int kAnswerWaitMs = 800;   // no answer this long: the block starts again
    static constexpr int kMaxWaitRestarts = 10; // time-out restarts without an accepted byte
    // Restarts of one block for any reason (time-out, "P", "K" too early) before the run
    // gives up: a loader that never takes a block must not keep the window busy forever.
    static constexpr int kMaxBlockRestarts = 100;
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
    FwEnding Ending() const { return ending_; }
    bool Running() const { return phase_ == FwPhase::Connecting || phase_ == FwPhase::Programming; }
    int BlockNumber() const { return block_; }
    int ByteNumber() const { return byte_; }
    int BlockCount() const { return image_.BlockCount(); }
    int ConnectTries() const { return connectTries_; }
    int WaitRestarts() const { return waitRestarts_; }
    QString LogText() const { return logText_; }
    QString LogFilePath() const { return logFile_.fileName(); }
    // The firmware log could not be written; the run went on, the text is in LogText().
    QString LogError() const { return logError_; }
    // Blocks done so far (for a progress line).
    int BlocksDone() const;

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
    void WaitStep(const QString& reply, qint64 now);
    void SendStep(qint64 now);
    bool TimeoutRestart(qint64 now);
    void RestartBlock();
    bool CountBlockRestart();
    void End(FwEnding ending);
    void OpenLog(const QString& programFolder);
    void LogLine(const QString& text);
    QString DateTimeLine() const;

    DoorPhoneLink& link_;
    ClockPort& clock_;
    FirmwarePort& port_;
    const LanguageTexts& texts_;

    FirmwareImage image_;
    FwPhase phase_ = FwPhase::Idle;
    FwEnding ending_ = FwEnding::None;
    int block_ = 1;
    int byte_ = 1;
    bool ready_ = false;
    int connectTries_ = 0;
    qint64 nextPollMs_ = 0;
    qint64 waitStartMs_ = 0;
    int waitRestarts_ = 0;
    int blockRestarts_ = 0;
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
