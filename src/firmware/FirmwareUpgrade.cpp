#include "FirmwareUpgrade.h"

#include "DoorPhoneLink.h"
#include "LanguageTexts.h"

#include <QDir>
#include <QLocale>

namespace {
const QString kSeparator = QStringLiteral("========================");
const QString kExchange = QStringLiteral("<=>");
} // namespace

FirmwareUpgrade::FirmwareUpgrade(DoorPhoneLink& link, ClockPort& clock, FirmwarePort& port,
                                 const LanguageTexts& texts)
    : link_(link), clock_(clock), port_(port), texts_(texts) {}

// ---- the line ------------------------------------------------------------------------------

QString FirmwareUpgrade::FwDrain() {
    QString text;
    bool reopen = link_.Link() == nullptr;
    if (TFT232* device = link_.Link()) {
        const uint32_t n = device->RxCount();
        bool whole = true;
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t byte = 0;
            if (!device->ReadByte(&byte)) {
                whole = false;
                break;
            }
            text += QChar(byte);
        }
        if (whole) return text;
        // A read failed while the queue still reports bytes: the device is stuck.
        if (device->RxCount() > 0) reopen = true;
    }
    if (reopen && link_.OpenDirect()) clock_.Sleep(kReopenPauseMs);
    return text;
}

bool FirmwareUpgrade::SendText(const QString& text) {
    bool ok = false;
    for (const QChar c : text) {
        ok = link_.WriteByte(uint8_t(c.unicode() & 0xFF));
        if (!ok) break;
    }
    return ok;
}

// ---- start ---------------------------------------------------------------------------------

bool FirmwareUpgrade::Start(const FirmwareImage& image, bool sendF, const QString& programFolder) {
    if (Running()) return false;
    // The start bytes must reach the door phone: no write without a connected cable.
    if (!link_.Connected() || image.blocks.isEmpty()) return false;
    if (!link_.Link() && !link_.OpenDirect()) return false;

    image_ = image;
    ending_ = FwEnding::None;
    if (sendF) {
        SendText(QString(QLatin1Char(kFirstStart)));
        clock_.Sleep(kStartPauseMs);
    }
    SendText(QString(QLatin1Char(kStart)));
    byte_ = 1;
    block_ = 1;
    ready_ = false;
    waitRestarts_ = 0;
    blockRestarts_ = 0;
    lastSent_.clear();
    shown1_ = shown2_ = -1;
    shownBlock_.clear();
    shownByte_.clear();
    port_.SetStatusLabel(QLatin1String(kIdleLabel));
    port_.SetStatusColour(FwLabelColour::Normal);
    port_.SetProgressRange(BlockCount() / 10 - 1, 10);
    OpenLog(programFolder);
    phase_ = FwPhase::Connecting;
    connectTries_ = 0;
    nextPollMs_ = clock_.NowMs();
    RestartTimer();
    return true;
}

// ---- the tick ------------------------------------------------------------------------------

void FirmwareUpgrade::RestartTimer() {
    timerRunning_ = true;
    timerDue_ = clock_.NowMs() + kTimerMs;
}

void FirmwareUpgrade::ShowProgress() {
    const int v1 = block_ / 10, v2 = block_ % 10 + 1;
    if (v1 == shown1_ && v2 == shown2_) return;
    shown1_ = v1;
    shown2_ = v2;
    port_.SetProgress(v1, v2);
}

void FirmwareUpgrade::Timer1Timer() {
    if (!timerRunning_ || !Running()) return;
    timerRunning_ = false;
    const QString reply = FwDrain();
    const qint64 now = clock_.NowMs();
    if (block_ <= BlockCount()) ShowProgress();
    if (!reply.isEmpty()) LogLine(lastSent_ + kExchange + reply);

    if (phase_ == FwPhase::Connecting) {
        if (reply == QLatin1Char(kReady)) {
            phase_ = FwPhase::Programming;
            port_.SetStatusLabel(QLatin1String(kConnectLabel));
            ready_ = true;
            waitStartMs_ = now;
            // The first byte goes out in this tick.
        } else {
            if (now >= nextPollMs_) {
                SendText(QString(QLatin1Char(kPoll)));
                lastSent_ = ByteHex(uint8_t(kPoll));
                nextPollMs_ = now + kConnectPaceMs;
                if (++connectTries_ >= kConnectTries) {
                    connectTries_ = 0;
                    End(FwEnding::ErrorConnection);
                    return;
                }
            }
            RestartTimer();
            return;
        }
    }

    if (!ready_) {
        WaitStep(reply, now);
        if (!Running()) return;
        if (!ready_) {
            RestartTimer();
            return;
        }
    }
    // Done once the door phone has taken the end block, not as soon as it was sent.
    if (block_ > BlockCount()) {
        End(FwEnding::Finish);
        return;
    }
    // An answer that makes the next byte ready sends it in the same tick.
    SendStep(now);
    if (Running()) RestartTimer();
}

bool FirmwareUpgrade::CountBlockRestart() {
    if (++blockRestarts_ <= kMaxBlockRestarts) return true;
    End(FwEnding::ErrorTime);
    return false;
}

bool FirmwareUpgrade::TimeoutRestart(qint64 now) {
    if (++waitRestarts_ > kMaxWaitRestarts) {
        End(FwEnding::ErrorTime);
        return false;
    }
    if (!CountBlockRestart()) return false;
    waitStartMs_ = now;
    RestartBlock();
    ready_ = true;
    port_.SetStatusColour(FwLabelColour::Fuchsia);
    return true;
}

void FirmwareUpgrade::RestartBlock() {
    // After the last byte of a block the block number has already moved on; the block to
    // send again is the one whose answer is awaited, never the next one (that would skip
    // a block the door phone did not take).
    if (byte_ == 1 && block_ > 1 && !ready_) --block_;
    byte_ = 1;
}

void FirmwareUpgrade::WaitStep(const QString& reply, qint64 now) {
    const QString blockText = QString::number(block_), byteText = QString::number(byte_);
    if (blockText != shownBlock_ || byteText != shownByte_) {
        shownBlock_ = blockText;
        shownByte_ = byteText;
        port_.SetBlockLabels(blockText, byteText);
    }
    if (now - waitStartMs_ > kAnswerWaitMs && !TimeoutRestart(now)) return;
    if (reply == QLatin1Char(kRestartBlock)) {
        if (!CountBlockRestart()) return;
        waitStartMs_ = now;
        RestartBlock();
        ready_ = true;
        port_.SetStatusColour(FwLabelColour::Blue);
    }
    if (reply.startsWith(QLatin1Char(kComplete))) {
        block_ = BlockCount() + 100000;
        ready_ = true;
    }
    if (reply == QLatin1Char(kByteTaken) && byte_ > 1) {
        ready_ = true;
        waitRestarts_ = 0;
    }
    if (reply == QLatin1Char(kBlockTaken)) {
        ready_ = true;
        if (byte_ == 1) {
            waitRestarts_ = 0;
            blockRestarts_ = 0;
        } else {
            // Taken too early: the block goes again from its first byte.
            byte_ = 1;
            CountBlockRestart();
            return;
        }
    }
    if ((reply == QLatin1Char(kByteTaken) && byte_ == 1) || reply == QLatin1Char(kError))
        End(FwEnding::Error);
}

void FirmwareUpgrade::SendStep(qint64 now) {
    const uint8_t value = uint8_t(image_.blocks[block_ - 1].at(byte_ - 1));
    lastSent_ = ByteHex(value);
    if (!link_.WriteByte(value)) {
        // The same byte again at the next tick; a write that keeps failing (a pulled
        // cable) counts as waiting for an answer, so the run ends by time-out.
        port_.SetStatusColour(FwLabelColour::Blue);
        if (now - waitStartMs_ > kAnswerWaitMs) TimeoutRestart(now);
        return;
    }
    ready_ = false;
    waitStartMs_ = now;
    port_.SetStatusColour(FwLabelColour::Normal);
    if (++byte_ == fwimage::kBlockBytes + 1) {
        byte_ = 1;
        ++block_;
    }
}

// ---- endings -------------------------------------------------------------------------------

QString FirmwareUpgrade::EndingLabel(FwEnding ending) {
    switch (ending) {
    case FwEnding::Finish: return QStringLiteral("Finish");
    case FwEnding::Error: return QStringLiteral("ERROR");
    case FwEnding::ErrorTime: return QStringLiteral("ERROR/TIME");
    case FwEnding::ErrorConnection: return QStringLiteral("Error conection");
    case FwEnding::None: break;
    }
    return QString();
}

QString FirmwareUpgrade::EndingMessage(FwEnding ending) const {
    const auto msg = [this](int key) { return texts_.Text(QStringLiteral("Message"), key); };
    switch (ending) {
    case FwEnding::Finish: return msg(28);
    case FwEnding::Error: return texts_.Text(QStringLiteral("Firmware"), 6);
    case FwEnding::ErrorTime: return msg(30);
    case FwEnding::ErrorConnection: return msg(38) + QStringLiteral("\r\n") + msg(39);
    case FwEnding::None: break;
    }
    return QString();
}

int FirmwareUpgrade::BlocksDone() const {
    if (ending_ == FwEnding::Finish) return BlockCount();
    return qBound(0, block_ - 1, BlockCount());
}

void FirmwareUpgrade::End(FwEnding ending) {
    timerRunning_ = false;
    phase_ = FwPhase::Ended;
    ending_ = ending;
    port_.SetStatusLabel(EndingLabel(ending));
    if (ending == FwEnding::Finish) port_.SetProgress(BlockCount() / 10, 11);
    port_.ShowEndingMessage(EndingMessage(ending));
    LogLine(kSeparator);
    LogLine(DateTimeLine());
    if (logFile_.isOpen()) logFile_.close();
    port_.RunEnded(ending, logText_);
}

// ---- the firmware log ----------------------------------------------------------------------

QString FirmwareUpgrade::DateTimeLine() const {
    const QDateTime now = clock_.CurrentDateTime();
    const QLocale locale;
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char('-') +
           locale.toString(now.time(), QLocale::LongFormat);
}

void FirmwareUpgrade::OpenLog(const QString& programFolder) {
    if (logFile_.isOpen()) logFile_.close();
    logText_.clear();
    logError_.clear();
    const QString path = QDir(programFolder).filePath(QLatin1String(kLogFileName));
    if (QFile::exists(path)) QFile::remove(path);
    logFile_.setFileName(path);
    // A log that cannot be written does not stop the upgrade: the text is kept for the
    // window all the same.
    if (!logFile_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        logError_ = logFile_.errorString();
    LogLine(DateTimeLine());
    LogLine(kSeparator);
    LogLine(texts_.Text(QStringLiteral("Message"), 36) + kExchange +
            texts_.Text(QStringLiteral("Message"), 37));
}

void FirmwareUpgrade::LogLine(const QString& text) {
    const QString line = text + QStringLiteral("\r\n");
    logText_ += line;
    if (!logFile_.isOpen()) return;
    // The loader's answers are kept as the raw bytes they were.
    const QByteArray bytes = line.toLatin1();
    if (logFile_.write(bytes) != bytes.size()) {
        logError_ = logFile_.errorString();
        logFile_.close();
    }
}

// ---- driving the timer without a window ----------------------------------------------------

bool RunFirmwareTimer(FirmwareUpgrade& engine, ClockPort& clock, qint64 maxMs,
                      const std::function<void()>& afterTick) {
    const qint64 end = clock.NowMs() + maxMs;
    while (engine.Running()) {
        const qint64 now = clock.NowMs();
        if (now >= end) break;
        const qint64 due = engine.TimerDueMs();
        if (due < 0) break;
        if (due > now) clock.Sleep(int(due - now));
        engine.Timer1Timer();
        if (afterTick) afterTick();
    }
    return !engine.Running();
}
