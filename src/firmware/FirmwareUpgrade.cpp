#include "FirmwareUpgrade.h"

#include "DoorPhoneLink.h"
#include "LanguageTexts.h"

#include <QDir>
#include <QLocale>
#include <algorithm>

namespace {
const QString kSeparator = QStringLiteral("========================");
const QString kExchange = QStringLiteral("<=>");

// "0.8" for 800 ms.
QString Seconds(int ms) {
    return QString::number(ms / 1000.0, 'g', 3);
}

// A reply as it can be read in a message: printable characters as they are, others as
// "<hex>"; a long one cut short.
QString Printable(const QString& reply) {
    constexpr int kShown = 12;
    QString out;
    for (const QChar c : reply.left(kShown)) {
        const ushort u = c.unicode();
        out += u >= 0x20 && u < 0x7F ? QString(c)
                                     : QLatin1Char('<') + ByteHex(uint8_t(u)) + QLatin1Char('>');
    }
    if (reply.size() > kShown) out += QStringLiteral("...");
    return out;
}
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
    report_ = FwReport();
    if (sendF) {
        SendText(QString(QLatin1Char(kFirstStart)));
        clock_.Sleep(kStartPauseMs);
    }
    SendText(QString(QLatin1Char(kStart)));
    block_ = 1;
    sent_ = 0;
    step_ = FwStep::SendByte;
    waitRestarts_ = 0;
    blockRestarts_ = 0;
    totalRestarts_ = 0;
    lastSent_ = ByteHex(uint8_t(kStart));
    shown1_ = shown2_ = -1;
    shownBlock_.clear();
    shownByte_.clear();
    port_.SetStatusLabel(QLatin1String(kIdleLabel));
    port_.SetStatusColour(FwLabelColour::Normal);
    port_.SetProgressRange(BlockCount() / 10 - 1, 10);
    OpenLog(programFolder);
    phase_ = FwPhase::Connecting;
    connectTries_ = 0;
    const qint64 now = clock_.NowMs();
    nextPollMs_ = now;
    sentMs_ = heardMs_ = waitFromMs_ = now;
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
    port_.SetProgress(v1, v2, ProgressText());
}

void FirmwareUpgrade::Timer1Timer() {
    if (!timerRunning_ || !Running()) return;
    timerRunning_ = false;
    const QString reply = TakeReply();
    const qint64 now = clock_.NowMs();
    ShowProgress();

    if (phase_ == FwPhase::Connecting) {
        // The first byte goes out in the tick that brought the "Y".
        if (!ConnectStep(reply, now)) {
            if (Running()) RestartTimer();
            return;
        }
    } else {
        switch (step_) {
        case FwStep::AwaitAnswer: AnswerStep(reply, now); break;
        case FwStep::AwaitQuiet: QuietStep(reply, now); break;
        case FwStep::SendByte:
            // Only a write that failed leaves a byte to send; nothing was asked, so
            // whatever came is out of step.
            if (!reply.isEmpty())
                OutOfStep(QStringLiteral("the answer '%1' came unasked at %2")
                              .arg(Printable(reply), Where()));
            break;
        case FwStep::Complete: break;
        }
        if (!Running()) return;
    }
    // Done once the door phone has taken the end block, not as soon as it was sent.
    if (step_ == FwStep::Complete) {
        End(FwEnding::Finish,
            block_ == BlockCount() && sent_ == fwimage::kBlockBytes
                ? QStringLiteral("the door phone took all %1 blocks").arg(BlockCount())
                : QStringLiteral("the door phone reported the upgrade "
                                 "complete at %1")
                      .arg(BlockText()));
        return;
    }
    // An answer that makes the next byte ready sends it in the same tick.
    if (step_ == FwStep::SendByte) SendStep();
    if (Running()) RestartTimer();
}

QString FirmwareUpgrade::TakeReply() {
    QString reply = FwDrain();
    if (!reply.isEmpty()) {
        heardMs_ = clock_.NowMs();
        LogLine(lastSent_ + kExchange + reply);
    }
    return reply;
}

bool FirmwareUpgrade::ConnectStep(const QString& reply, qint64 now) {
    if (reply == QLatin1Char(kReady)) {
        phase_ = FwPhase::Programming;
        port_.SetStatusLabel(QLatin1String(kConnectLabel));
        waitFromMs_ = now;
        // With more than one "w" out, one may have reached the loader after its "Y", as the
        // first byte of a block: a quiet line first makes the loader drop it.
        step_ = connectTries_ > 1 ? FwStep::AwaitQuiet : FwStep::SendByte;
        quietFromMs_ = now;
        return true;
    }
    if (reply.endsWith(QLatin1Char(kError))) {
        // A loader still waiting for the rest of an image from a run that did not end took
        // the start byte and the "w" as a block, refused it and went back to the door
        // phone's own program: it starts again with the start byte.
        SendText(QString(QLatin1Char(kStart)));
        lastSent_ = ByteHex(uint8_t(kStart));
        sentMs_ = clock_.NowMs();
    }
    if (now >= nextPollMs_) {
        SendText(QString(QLatin1Char(kPoll)));
        lastSent_ = ByteHex(uint8_t(kPoll));
        sentMs_ = clock_.NowMs();
        nextPollMs_ = now + kConnectPaceMs;
        if (++connectTries_ >= kConnectTries) {
            const int tries = connectTries_;
            connectTries_ = 0;
            End(FwEnding::ErrorConnection,
                QStringLiteral("the loader did not answer 'Y' to %1 'w' in %2 s")
                    .arg(tries)
                    .arg(Seconds(kConnectPaceMs * (tries - 1))));
        }
    }
    return false;
}

void FirmwareUpgrade::AnswerStep(QString reply, qint64 now) {
    const QString blockText = QString::number(block_), byteText = QString::number(sent_);
    if (blockText != shownBlock_ || byteText != shownByte_) {
        shownBlock_ = blockText;
        shownByte_ = byteText;
        port_.SetBlockLabels(blockText, byteText);
    }
    if (reply.isEmpty()) {
        if (now - waitFromMs_ <= kAnswerWaitMs) return;
        // What has arrived counts before the wait is given up: after the computer stood
        // still, the answer is usually there.
        reply = TakeReply();
        if (reply.isEmpty()) {
            TimeOut(
                QStringLiteral("no answer for %1 s at %2").arg(Seconds(kAnswerWaitMs), Where()));
            return;
        }
    }
    if (LoaderEnded(reply)) return;
    if (reply == QLatin1Char(kRestartBlock)) {
        // The loader asks for the block again and holds nothing of it.
        if (!CountRestart(QStringLiteral("the door phone asked for %1 again").arg(BlockText())))
            return;
        sent_ = 0;
        step_ = FwStep::SendByte;
        waitFromMs_ = now;
        port_.SetStatusColour(FwLabelColour::Blue);
        return;
    }
    const bool whole = sent_ == fwimage::kBlockBytes;
    if (reply == QLatin1Char(whole ? kBlockTaken : kByteTaken)) {
        waitRestarts_ = 0;
        step_ = FwStep::SendByte;
        waitFromMs_ = now;
        if (whole) NextBlock();
        return;
    }
    // "O" after a whole block, "K" in the middle of one, two answers at once, noise: the
    // loader counts the bytes of its block differently. A "K" too early even means it took
    // a block that was not one.
    OutOfStep(QStringLiteral("the answer '%1' does not fit %2").arg(Printable(reply), Where()));
}

// The loader's own endings: a reply that starts with "Z" (the image is complete) or an "E".
bool FirmwareUpgrade::LoaderEnded(const QString& reply) {
    if (reply.startsWith(QLatin1Char(kComplete))) {
        step_ = FwStep::Complete;
        return true;
    }
    if (reply == QLatin1Char(kError)) {
        End(FwEnding::Error, QStringLiteral("the door phone answered 'E' to %1").arg(BlockText()));
        return true;
    }
    return false;
}

void FirmwareUpgrade::QuietStep(const QString& reply, qint64 now) {
    // A completion or a refusal still counts while the line settles.
    if (LoaderEnded(reply)) return;
    if (now - std::max(heardMs_, sentMs_) <= kQuietMs) {
        if (now - quietFromMs_ > kMaxQuietWaitMs)
            End(FwEnding::ErrorTime, QStringLiteral("the line did not fall quiet for %1 s at %2")
                                         .arg(Seconds(kMaxQuietWaitMs), BlockText()));
        return;
    }
    if (!TakeReply().isEmpty()) return; // not quiet after all
    sent_ = 0;
    step_ = FwStep::SendByte;
    waitFromMs_ = now;
}

void FirmwareUpgrade::SendStep() {
    const uint8_t value = uint8_t(image_.blocks[block_ - 1].at(sent_));
    lastSent_ = ByteHex(value);
    if (!link_.WriteByte(value)) {
        // The same byte again at the next tick; a write that keeps failing (a pulled
        // cable) ends the run by time-out.
        port_.SetStatusColour(FwLabelColour::Blue);
        if (clock_.NowMs() - waitFromMs_ > kAnswerWaitMs)
            TimeOut(QStringLiteral("%1 could not be sent for %2 s")
                        .arg(Where(sent_ + 1), Seconds(kAnswerWaitMs)));
        return;
    }
    ++sent_;
    sentMs_ = waitFromMs_ = clock_.NowMs();
    step_ = FwStep::AwaitAnswer;
    port_.SetStatusColour(FwLabelColour::Normal);
}

void FirmwareUpgrade::NextBlock() {
    blockRestarts_ = 0;
    if (block_ == BlockCount()) {
        // The end block taken with a "K": all blocks are in.
        step_ = FwStep::Complete;
        return;
    }
    ++block_;
    sent_ = 0;
}

void FirmwareUpgrade::TimeOut(const QString& what) {
    if (++waitRestarts_ > kMaxWaitRestarts) {
        End(FwEnding::ErrorTime, what + QStringLiteral(", %1 restarts").arg(blockRestarts_ + 1));
        return;
    }
    OutOfStep(what);
}

void FirmwareUpgrade::OutOfStep(const QString& what) {
    if (!CountRestart(what)) return;
    step_ = FwStep::AwaitQuiet;
    quietFromMs_ = clock_.NowMs();
    port_.SetStatusColour(FwLabelColour::Fuchsia);
}

bool FirmwareUpgrade::CountRestart(const QString& what) {
    ++totalRestarts_;
    if (++blockRestarts_ <= kMaxBlockRestarts) return true;
    End(FwEnding::ErrorTime, what + QStringLiteral(", %1 restarts").arg(blockRestarts_));
    return false;
}

QString FirmwareUpgrade::BlockText() const {
    return QStringLiteral("block %1 of %2").arg(block_).arg(BlockCount());
}

QString FirmwareUpgrade::Where(int byte) const {
    return QStringLiteral("block %1 byte %2").arg(block_).arg(byte < 0 ? sent_ : byte);
}

QString FirmwareUpgrade::ProgressText() const {
    return QStringLiteral("block %1 of %2").arg(std::min(block_, BlockCount())).arg(BlockCount());
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
    switch (ending) {
    case FwEnding::Finish: return texts_.Text(keys::kUpgradeDone);
    case FwEnding::Error: return texts_.Text(keys::kUpgradeError);
    case FwEnding::ErrorTime: return texts_.Text(keys::kUpgradeTimeout);
    case FwEnding::ErrorConnection:
        return texts_.Text(keys::kUpgradeLostConnection) + QStringLiteral("\r\n") +
               texts_.Text(keys::kUpgradeRetryAdvice);
    case FwEnding::None: break;
    }
    return QString();
}

int FirmwareUpgrade::BlocksDone() const {
    if (report_.Finished()) return BlockCount();
    return qBound(0, block_ - 1, BlockCount());
}

void FirmwareUpgrade::End(FwEnding ending, const QString& detail) {
    timerRunning_ = false;
    phase_ = FwPhase::Ended;
    report_ = {ending, detail, block_, blockRestarts_};
    port_.SetStatusLabel(EndingLabel(ending));
    if (ending == FwEnding::Finish) port_.SetProgress(BlockCount() / 10, 11, ProgressText());
    port_.ShowEndingMessage(report_, EndingMessage(ending));
    LogLine(kSeparator);
    LogLine(DateTimeLine());
    if (logFile_.isOpen()) logFile_.close();
    port_.RunEnded(report_, logText_);
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
    LogLine(texts_.Text(keys::kLogSend) + kExchange + texts_.Text(keys::kLogReceive));
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
