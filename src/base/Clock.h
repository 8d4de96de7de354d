#pragma once
// Time as the engines see it. Pauses go through here so that tests run on virtual time.

#include <QDateTime>
#include <QtGlobal>
#include <functional>
#include <utility>

class ClockPort {
public:
    virtual ~ClockPort() = default;
    // Monotonic milliseconds.
    virtual qint64 NowMs() const = 0;
    // Blocking pause.
    virtual void Sleep(int ms) = 0;
    // Wall-clock time of the PC (for the door phone's clock and the log).
    virtual QDateTime CurrentDateTime() const = 0;
};

class RealClock : public ClockPort {
public:
    qint64 NowMs() const override;
    void Sleep(int ms) override;
    QDateTime CurrentDateTime() const override { return QDateTime::currentDateTime(); }
};

// Time that moves only when told to: a pause advances it at once.
class VirtualClock : public ClockPort {
public:
    qint64 NowMs() const override { return now_; }
    void Sleep(int ms) override {
        now_ += ms;
        if (stallWhen_ && stallWhen_()) {
            stallWhen_ = nullptr;
            now_ += stallMs_;
        }
    }
    QDateTime CurrentDateTime() const override { return wallStart_.addMSecs(now_); }
    void Advance(qint64 ms) { now_ += ms; }
    void SetWallClock(const QDateTime& at) { wallStart_ = at.addMSecs(-now_); }
    // A fault switch: the first time `when` holds at the end of a pause, the program
    // stands still for forMs more, as a process does that was stopped or starved (every
    // byte the program sends is followed by a pause, so this can strike in the middle of
    // a command). Whatever sits on the clock's time, a simulated door phone, goes on.
    void StallWhen(std::function<bool()> when, qint64 forMs) {
        stallWhen_ = std::move(when);
        stallMs_ = forMs;
    }

private:
    qint64 now_ = 0;
    QDateTime wallStart_ = QDateTime(QDate(2026, 1, 1), QTime(12, 0, 0));
    std::function<bool()> stallWhen_;
    qint64 stallMs_ = 0;
};
