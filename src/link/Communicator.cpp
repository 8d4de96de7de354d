#include "Communicator.h"

#include "CommLog.h"
#include "DoorPhoneLink.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <exception>

namespace {

const QString kVer = QStringLiteral("VER");
const QString kPc = QStringLiteral("PC");
const QString kTc = QStringLiteral("TC");
const QString kPz = QStringLiteral("PZ");
const QString kTz = QStringLiteral("TZ");
const QString kCas = QStringLiteral("CAS");

// Two decimal texts: the high and the low nibble (0x59 gives "59", 0x1A gives "110").
QString BcdDigits(int value) {
    return QString::number(value / 16) + QString::number(value % 16);
}

int ToBcd(int value) {
    return (value / 10) * 16 + value % 10;
}

QByteArray Latin1(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) out.append(char(c.unicode() & 0xFF));
    return out;
}

// Progress of a number transfer: chunk x 4 / 3, halves to even.
int ChunkProgress(int chunk) {
    const int scaled = chunk * 4;
    int q = scaled / 3;
    const int rem = scaled % 3;
    if (rem * 2 > 3) ++q;
    return q;
}

bool SendFRange(int v) {
    return (v >= 23 && v <= 48) || (v >= 51 && v <= 68) || (v >= 123 && v <= 198) ||
           (v >= 251 && v <= 255);
}

} // namespace

// Marks the engine busy for the length of a handler or tick, so that a tick the window
// delivers from inside a message box does not start a second exchange on top of this one.
class Communicator::BusyScope {
public:
    explicit BusyScope(int& depth) : depth_(depth) { ++depth_; }
    ~BusyScope() { --depth_; }

private:
    int& depth_;
};

Communicator::Communicator(DoorPhoneLink& link, ClockPort& clock, HostPort& host, CommLog& log,
                           const LanguageTexts& texts, SettingsModel& model)
    : link_(link), clock_(clock), host_(host), log_(log), texts_(texts), model_(model) {
    timer1_.interval = kTransferInterval;
    timer2_.interval = kFirstPollInterval;
}

// ---- timers -------------------------------------------------------------------------------

Communicator::TimerSlot& Communicator::Slot(EngineTimer timer) {
    return timer == EngineTimer::Transfer ? timer1_ : timer2_;
}

const Communicator::TimerSlot& Communicator::Slot(EngineTimer timer) const {
    return timer == EngineTimer::Transfer ? timer1_ : timer2_;
}

void Communicator::StartTimer(EngineTimer timer) {
    TimerSlot& slot = Slot(timer);
    if (slot.running) return;
    slot.running = true;
    slot.due = clock_.NowMs() + slot.interval;
    host_.TimerChanged(timer, true, slot.interval);
}

void Communicator::StopTimer(EngineTimer timer) {
    TimerSlot& slot = Slot(timer);
    if (!slot.running) return;
    slot.running = false;
    slot.due = -1;
    host_.TimerChanged(timer, false, slot.interval);
}

void Communicator::SetTimerInterval(EngineTimer timer, int ms) {
    TimerSlot& slot = Slot(timer);
    if (slot.interval == ms) return;
    slot.interval = ms;
    if (!slot.running) return;
    slot.due = clock_.NowMs() + ms;
    host_.TimerChanged(timer, true, ms);
}

bool Communicator::TimerRunning(EngineTimer timer) const {
    return Slot(timer).running;
}

int Communicator::TimerInterval(EngineTimer timer) const {
    return Slot(timer).interval;
}

qint64 Communicator::TimerDueMs(EngineTimer timer) const {
    return Slot(timer).running ? Slot(timer).due : -1;
}

void Communicator::StartPolling() {
    SetTimerInterval(EngineTimer::Poll, kFirstPollInterval);
    StartTimer(EngineTimer::Poll);
}

void Communicator::SetPollingAllowed(bool allowed) {
    status_.pollingAllowed = allowed;
}

void Communicator::StopTimers() {
    StopTimer(EngineTimer::Transfer);
    StopTimer(EngineTimer::Poll);
}

void Communicator::StartPollTimer() {
    StartTimer(EngineTimer::Poll);
}

// ---- small helpers ------------------------------------------------------------------------

void Communicator::SendByte(int value, int pauseMs) {
    link_.WriteByte(static_cast<uint8_t>(value & 0xFF)); // a failed write shows as a time-out
    Pause(pauseMs);
}

QString Communicator::Drain() {
    lastRxCount_ = 0;
    return link_.ReceiveDrain();
}

void Communicator::Log(const QString& text) {
    log_.LogLine(text);
}

void Communicator::SetProgress(int value) {
    progress_ = qBound(0, value, 255); // the bar's range
    host_.SetProgress(progress_);
}

void Communicator::Messages() {
    host_.ProcessMessages();
}

void Communicator::Pause(int ms) {
    if (ms > 0) clock_.Sleep(ms);
}

QString Communicator::Msg(int key) const {
    return texts_.Text(QStringLiteral("Message"), key);
}

void Communicator::SetCommandsEnabled(bool enabled) {
    commandsEnabled_ = enabled;
    host_.SetDeviceCommandsEnabled(enabled);
}

template <typename F> void Communicator::Guarded(F&& body) {
    BusyScope busy(busy_);
    try {
        body();
    } catch (const std::exception& e) {
        // A failure inside an exchange (a template value that is not a number while the
        // defaults load, for instance) is shown like any run-time error, and the window
        // must not stay disabled behind it.
        state_.waiting = false;
        state_.byteAcknowledged = false;
        state_.chunkAcknowledged = false;
        state_.chunkReceived = false;
        host_.ShowMessage(QString::fromUtf8(e.what()), QString(), MsgIcon::Error);
        if (bracketOpen_) EndTransfer();
    }
}

// ---- transfer bracket ---------------------------------------------------------------------

void Communicator::BeginTransfer() {
    status_.pollingAllowed = false;
    StopTimer(EngineTimer::Transfer);
    StopTimer(EngineTimer::Poll);
    SetCommandsEnabled(false);
    host_.SetModelSelectorEnabled(false);
    bracketOpen_ = true;
    Pause(201);
    host_.ShowProgress(true);
    Messages();
    Pause(804);
    StartTimer(EngineTimer::Transfer);
}

void Communicator::EndTransfer() {
    status_.pollingAllowed = true;
    SetCommandsEnabled(true);
    host_.SetModelSelectorEnabled(true);
    Pause(201);
    host_.ShowProgress(false);
    SetProgress(1);
    Pause(804);
    StopTimer(EngineTimer::Transfer);
    StartTimer(EngineTimer::Poll);
    bracketOpen_ = false;
}

bool Communicator::StartCommon() {
    host_.FocusStatusBar();
    Messages();
    SetProgress(1);
    BeginTransfer();
    state_.chunkReceived = false;
    state_.chunkAcknowledged = false;
    state_.byteAcknowledged = false;
    return true;
}

void Communicator::FailTransfer(const QString& message) {
    state_.waiting = false;
    state_.byteAcknowledged = false;
    state_.chunkAcknowledged = false;
    state_.chunkReceived = false;
    state_.pendingNumberWrite = false;
    state_.pendingNumberRead = false;
    host_.ShowMessage(message, QString(), MsgIcon::None);
    Pause(50);
    EndTransfer();
}

// ---- the menu commands --------------------------------------------------------------------

// The exchange every command starts: its tag and reply length, waiting from tick 0.
void Communicator::Arm(const QString& command, int expectedLength) {
    state_.expectedLength = expectedLength;
    state_.command = command;
    state_.timeoutTicks = 0;
    state_.waiting = true;
}

void Communicator::Readparameters1Click() {
    Guarded([this] {
        if (!link_.Connected()) return;
        StartCommon();
        Arm(kPc, 256);
        Log(QStringLiteral(">>> Read parameters <<<"));
        Log(QStringLiteral("R+P"));
        state_.reply = Drain();
        SendByte('R', 2);
        SendByte('P', 2);
    });
}

void Communicator::Readphonenumbers1Click() {
    Guarded([this] {
        if (!link_.Connected()) return;
        Log(QStringLiteral(">>> Read buttons memory <<<"));
        StartCommon();
        Arm(kTc, 24);
        state_.chunkNumber = 1;
        state_.reply = Drain();
        SendByte('R', 2);
        SendByte('T', 2);
        SendByte(1, 2);
        Log(QStringLiteral("R+T+1"));
    });
}

void Communicator::Readall1Click() {
    const bool connected = link_.Connected();
    Readparameters1Click();
    // Only a read that started goes on with the numbers; otherwise a later poll tick
    // would read them unasked.
    if (connected) state_.pendingNumberRead = true;
}

bool Communicator::EncodeParameters() {
    const DoorPhoneState device{status_.dayMode, status_.resetsText};
    const EncodeResult encoded = EncodeParameterBlock(model_, device);
    if (!encoded.ok) {
        host_.ShowMessage(encoded.errorMessage, QString(), MsgIcon::Error);
        return false;
    }
    for (int pos = 1; pos <= kParameterBlockSize; ++pos)
        state_.parameterOutput[pos] =
            pos <= encoded.bytes.size() ? static_cast<uint8_t>(encoded.bytes[pos - 1]) : 0;
    parametersEncoded_ = true;
    return true;
}

void Communicator::Writeparameters1Click() {
    bool started = false;
    Guarded([this, &started] {
        if (!link_.Connected()) {
            StartTimer(EngineTimer::Poll);
            return;
        }
        if (host_.ButtonCountFieldVisible()) {
            const QString question = Msg(59);
            int half = question.size() / 2; // halves to even
            if (question.size() % 2 == 1 && half % 2 == 1) ++half;
            const QString text = question + QStringLiteral("\n\n") + QString(half + 7, QChar(' ')) +
                                 QStringLiteral("-->>>  ") + model_.Text(QStringLiteral("Edit91")) +
                                 QStringLiteral("  <<<--");
            if (!host_.AskYesNo(text, Msg(60), MsgIcon::Question)) {
                state_.pendingNumberWrite = false;
                StartTimer(EngineTimer::Poll);
                host_.FocusButtonCountField();
                return;
            }
        }
        StartTimer(EngineTimer::Poll);
        StartCommon();
        state_.byteTrail.clear();
        state_.parameterPosition = 0;
        state_.byteAcknowledged = true;
        Arm(kPz, 255);
        // The block is built before anything goes out: a field the encoder cannot take
        // ends the write here, with nothing sent and the window enabled again.
        parametersEncoded_ = false;
        if (!EncodeParameters()) {
            state_.waiting = false;
            state_.byteAcknowledged = false;
            Pause(50);
            EndTransfer();
            return;
        }
        Log(QStringLiteral(">>> Write parameters <<<"));
        Log(QStringLiteral("W+P"));
        state_.reply = Drain();
        SendByte('W', 2);
        SendByte('P', 2);
        state_.retryCount = 0;
        SetProgress(1);
        started = true;
    });
    lastWriteStarted_ = started; // "W" "P" went out
}

void Communicator::Writephonenumbers1Click() {
    Guarded([this] {
        if (!link_.Connected()) return;
        Log(QStringLiteral(">>> Write buttons memory <<<"));
        StartCommon();
        Arm(kTz, 1);
        state_.chunkNumber = 1;
        state_.reply = Drain();
        SendByte('W', 2);
        SendByte('T', 2);
        SendByte(1, 2);
        EncodeChunk(1);
        Log(QStringLiteral("W+T+1"));
        state_.byteTrail.clear();
        for (int k = 1; k <= kNumberRecordLength; ++k) {
            SendByte(state_.chunkOutput[k], 2);
            state_.byteTrail += QLatin1Char('-') + QString::number(state_.chunkOutput[k]);
        }
        state_.chunkNumber = 2;
        Log(state_.byteTrail);
    });
}

void Communicator::Writeall1Click() {
    Writeparameters1Click();
    // Only a parameter write that went out is followed by the numbers: a declined
    // button-count question or a block that could not be built writes nothing at all,
    // and the poll goes on.
    if (lastWriteStarted_) {
        StopTimer(EngineTimer::Poll);
        state_.pendingNumberWrite = true;
    }
}

void Communicator::EncodeChunk(int record) {
    const QByteArray bytes = EncodeNumberRecord(record, model_);
    // A record without a field leaves the previous record's entries in place.
    for (int k = 0; k < bytes.size() && k < kNumberRecordLength; ++k)
        state_.chunkOutput[k + 1] = static_cast<uint8_t>(bytes[k]);
}

// ---- clock and day/night ------------------------------------------------------------------

QByteArray Communicator::SetClockBytes(const QDateTime& at) {
    const QDate d = at.date();
    const QTime t = at.time();
    QByteArray out;
    out.append('W');
    out.append('C');
    out.append('S');
    out.append(char(ToBcd(t.second())));
    out.append('N');
    out.append(char(ToBcd(t.minute())));
    out.append('H');
    out.append(char(ToBcd(t.hour())));
    out.append('R');
    out.append(char(ToBcd(d.year() % 100)));
    out.append('M');
    out.append(char(ToBcd(d.month())));
    out.append('D');
    out.append(char(ToBcd(d.day())));
    out.append('W');
    out.append(char(d.dayOfWeek() % 7)); // Monday 1 .. Saturday 6, Sunday 0
    out.append('~');
    return out;
}

QString Communicator::PcClockText(const QDateTime& at) {
    return at.toString(QStringLiteral("dd.MM.yyyy / hh:mm:ss"));
}

void Communicator::Button1Click() {
    Guarded([this] {
        if (!link_.Connected()) return;
        host_.FocusStatusBar();
        Messages();
        SetProgress(250);
        BeginTransfer();
        state_.waiting = true;
        state_.command = kCas;
        state_.reply = Drain();
        const QDateTime at = clock_.CurrentDateTime().addMSecs(864); // + 0.00001 day
        for (char b : SetClockBytes(at)) SendByte(static_cast<uint8_t>(b), 10);
        EndTransfer();
        Log(QStringLiteral(">>> Time <<<"));
        const QDate d = at.date();
        const QTime t = at.time();
        Log(QStringLiteral("%1-%2-%3 - %4-%5-%6")
                .arg(d.day())
                .arg(d.month())
                .arg(d.year())
                .arg(t.hour())
                .arg(t.minute())
                .arg(t.second()));
    });
}

void Communicator::Image2Click() {
    Guarded([this] {
        if (!link_.Connected()) return;
        host_.FocusStatusBar();
        Messages();
        status_.dayMode = !status_.dayMode;
        host_.ShowDayNightImages(false, false);
        SetProgress(250);
        BeginTransfer();
        Messages();
        state_.reply = Drain();
        SendByte('W', 5);
        SendByte('G', 100);
        EndTransfer();
        Log(QStringLiteral(">>> Day-Night <<<"));
        Log(status_.dayMode ? QStringLiteral("Day") : QStringLiteral("Night"));
    });
}

// ---- replies ------------------------------------------------------------------------------

void Communicator::DispatchReply(int count) {
    const QString& cmd = state_.command;
    if (cmd == kVer) {
        if (count == 20) TakeStatusReply();
        return;
    }
    if (cmd == kPc) {
        if (count == 256) {
            state_.reply = Drain();
            state_.waiting = false;
            StopTimer(EngineTimer::Transfer);
            SetProgress(250);
            Messages();
            if (onParameterBlock) onParameterBlock(Latin1(state_.reply));
            DecodeParameterBlock(Latin1(state_.reply), model_, log_, host_, texts_,
                                 [this] { host_.LoadModelDefaults(); });
            SetProgress(255);
            Messages();
            Pause(50);
            EndTransfer();
        } else {
            SetProgress(progress_ + 50);
            Messages();
        }
        return;
    }
    if (cmd == kTc && count == 24) {
        state_.reply = Drain();
        state_.timeoutTicks = 0;
        if (onNumberRecord) onNumberRecord(state_.chunkNumber, Latin1(state_.reply));
        state_.reply = DecodeNumberRecord(state_.chunkNumber, Latin1(state_.reply), model_);
        state_.chunkReceived = true;
        Log(state_.reply);
        return;
    }
    if (cmd == kPz && count == 1) {
        state_.timeoutTicks = 0;
        state_.reply = Drain();
        if (state_.reply == QLatin1String("D")) {
            SetProgress(progress_ + 1);
            Messages();
            state_.byteAcknowledged = true;
        } else if (state_.reply == QLatin1String("E")) {
            state_.reply = Drain();
            state_.waiting = false;
            state_.byteAcknowledged = false;
            host_.ShowMessage(Msg(53) + QStringLiteral("  ...E"), QString(), MsgIcon::None);
            Pause(50);
            EndTransfer();
            return;
        } else if (state_.reply == QLatin1String("Z")) {
            SetProgress(255);
            Messages();
            Log(state_.reply);
            Log(state_.byteTrail);
            state_.reply = Drain();
            state_.waiting = false;
            state_.byteAcknowledged = false;
            Pause(50);
            EndTransfer();
            return;
        }
        Log(state_.reply);
        return;
    }
    if (cmd == kTz && count >= 1) {
        state_.timeoutTicks = 0;
        state_.reply = Drain();
        if (state_.reply == QLatin1String("Z")) {
            state_.chunkAcknowledged = true;
        } else if (state_.reply == QLatin1String("E")) {
            state_.reply = Drain();
            state_.waiting = false;
            state_.chunkAcknowledged = false;
            host_.ShowMessage(Msg(53) + QStringLiteral("  ...E"), QString(), MsgIcon::None);
            Pause(50);
            EndTransfer();
            return;
        }
        Log(state_.reply);
    }
}

void Communicator::TakeStatusReply() {
    state_.reply = Drain();
    state_.waiting = false;
    DecodeStatus(state_.reply.left(20));
    link_.CloseLink(); // reopened by the next poll tick
    status_.pollingAllowed = true;
}

void Communicator::DecodeStatus(const QString& reply) {
    const int n = qMin(20, int(reply.size()));
    for (int i = 0; i + 1 < n; i += 2) {
        const QChar tag = reply[i];
        const int v = reply[i + 1].unicode() & 0xFF;
        switch (tag.unicode()) {
        case 'V': {
            const QString digits = QString::number(v);
            status_.versionText = digits.left(1) + QLatin1Char('.') + digits.mid(1);
            if (digits.size() >= 2) status_.sendFFlag = SendFRange(v);
            break;
        }
        case 'S': status_.deviceTimeText = BcdDigits(v & 0x7F); break;
        case 'N':
            status_.deviceTimeText = BcdDigits(v) + QLatin1Char(':') + status_.deviceTimeText;
            break;
        case 'H':
            status_.deviceTimeText = BcdDigits(v) + QLatin1Char(':') + status_.deviceTimeText;
            break;
        case 'R':
            status_.deviceTimeText = QStringLiteral("20") + BcdDigits(v) + QStringLiteral(" / ") +
                                     status_.deviceTimeText;
            break;
        case 'M':
        case 'D':
            status_.deviceTimeText = BcdDigits(v) + QLatin1Char('.') + status_.deviceTimeText;
            break;
        case 'I': status_.resetsLow = v; break;
        case 'J': status_.resetsText = QString::number(v * 256 + status_.resetsLow); break;
        case 'G': status_.dayMode = v == 'D'; break;
        default: break; // unknown tags are skipped
        }
    }
}

// ---- Timer1: the transfer timer -----------------------------------------------------------

void Communicator::Timer1Timer() {
    if (!timer1_.running || busy_ > 0) return;
    Guarded([this] { Timer1Steps(); });
}

void Communicator::Timer1Steps() {
    StopTimer(EngineTimer::Transfer);
    if (!link_.Link() && !state_.waiting) return;
    SetTimerInterval(EngineTimer::Transfer, kTransferInterval);
    if (!link_.Connected()) {
        link_.CloseLink();
        // The cable kind changed under a running transfer: the exchange cannot finish,
        // and the window must come back enabled.
        if (state_.waiting && bracketOpen_) FailTransfer(Msg(9));
        return;
    }

    const uint32_t count = link_.RxCount();
    // A reply that is still arriving is not a missing reply: at 9600 baud a parameter
    // block takes longer than the time-out's 200 ticks of 1 ms.
    if (count > lastRxCount_) state_.timeoutTicks = 0;
    lastRxCount_ = count;
    if (count > 0) DispatchReply(static_cast<int>(count));

    if (!state_.waiting) {
        StartTimer(EngineTimer::Transfer);
        return;
    }

    // Next record of a number read.
    if (state_.chunkReceived) {
        ++state_.chunkNumber;
        if (state_.chunkNumber == 100) state_.chunkNumber = 101;
        if (state_.chunkNumber > 199) {
            state_.waiting = false;
            state_.chunkReceived = false;
            Pause(50);
            EndTransfer();
            return;
        }
        SetProgress(ChunkProgress(state_.chunkNumber));
        Messages();
        state_.reply = Drain();
        SendByte('R', 2);
        SendByte('T', 2);
        SendByte(state_.chunkNumber, 2);
        state_.chunkReceived = false;
        Log(QStringLiteral("R+T+") + QString::number(state_.chunkNumber));
    }

    // Next record of a number write.
    if (state_.chunkAcknowledged) {
        state_.chunkAcknowledged = false;
        SendNextWriteChunk();
        if (state_.chunkNumber > 199) {
            state_.waiting = false;
            state_.chunkAcknowledged = false;
            Pause(50);
            EndTransfer();
            return;
        }
    }

    // Time-out.
    ++state_.timeoutTicks;
    if (state_.timeoutTicks > kTimeoutTicks) {
        TimeoutStep();
        return;
    }

    // Next parameter byte.
    if (state_.byteAcknowledged) {
        int& pos = state_.parameterPosition;
        if (pos == 0) {
            if (!parametersEncoded_ && !EncodeParameters()) {
                state_.waiting = false;
                state_.byteAcknowledged = false;
                Pause(50);
                EndTransfer();
                return;
            }
            pos = 1;
            SendByte(state_.parameterOutput[1], 2);
        } else if (pos >= 2 && pos <= 255) {
            SendByte(state_.parameterOutput[pos], 2);
        }
        // Byte 256 is never sent, but a "D" after byte 255 still adds it to the trail;
        // past that the block has nothing more to add.
        if (pos >= 1 && pos <= kParameterBlockSize) {
            state_.byteTrail += QLatin1Char('-') + QString::number(state_.parameterOutput[pos]);
            ++pos;
        }
        state_.byteAcknowledged = false;
    }
    StartTimer(EngineTimer::Transfer);
}

void Communicator::SendNextWriteChunk() {
    SetProgress(ChunkProgress(state_.chunkNumber));
    Messages();
    state_.reply = Drain();
    SendByte('W', 2);
    SendByte('T', 2);
    SendByte(state_.chunkNumber, 2);
    Log(QStringLiteral("W+T+") + QString::number(state_.chunkNumber));
    EncodeChunk(state_.chunkNumber);
    state_.byteTrail.clear();
    for (int k = 1; k <= kNumberRecordLength; ++k) {
        SendByte(state_.chunkOutput[k], 2);
        state_.byteTrail += QLatin1Char('-') + QString::number(state_.chunkOutput[k]);
    }
    ++state_.chunkNumber;
    Log(state_.byteTrail);
    if (state_.chunkNumber == 100) state_.chunkNumber = 101;
}

void Communicator::TimeoutStep() {
    const bool numbers = state_.command == kTc || state_.command == kTz;
    if (numbers && state_.reply.startsWith(QLatin1Char('E'))) {
        ++state_.retryCount;
        if (state_.retryCount > kMaxChunkRetries) {
            state_.waiting = false;
            state_.byteAcknowledged = false;
            state_.chunkAcknowledged = false;
            host_.ShowMessage(Msg(8), QString(), MsgIcon::None);
            Pause(50);
            EndTransfer();
            return;
        }
        // The same record again: the next tick requests or sends it anew. There is no
        // record 100, so the record before 101 is 99.
        --state_.chunkNumber;
        if (state_.chunkNumber == 100) state_.chunkNumber = 99;
        state_.waiting = true;
        if (state_.command == kTc)
            state_.chunkReceived = true;
        else
            state_.chunkAcknowledged = true;
        state_.timeoutTicks = 0;
        StartTimer(EngineTimer::Transfer);
        return;
    }
    FailTransfer(Msg(9));
}

// ---- Timer2: the poll timer ---------------------------------------------------------------

void Communicator::Timer2Timer() {
    if (!timer2_.running) return;
    timer2_.due = clock_.NowMs() + timer2_.interval;
    if (busy_ > 0) return;
    Guarded([this] { Timer2Steps(); });
}

void Communicator::Timer2Steps() {
    // "All" continuations, once the first half has ended its bracket.
    if (commandsEnabled_ && state_.pendingNumberRead) {
        Readphonenumbers1Click();
        state_.pendingNumberRead = false;
        return;
    }
    if (commandsEnabled_ && state_.pendingNumberWrite) {
        Writephonenumbers1Click();
        state_.pendingNumberWrite = false;
        return;
    }
    // A command that follows one that has ended (the backup before a write, the read
    // after it) starts here too, as the "all" continuations do.
    if (commandsEnabled_ && onIdlePollTick && onIdlePollTick()) return;

    try {
        link_.ConnectAttempt();
    } catch (...) { StopTimer(EngineTimer::Transfer); }
    SetCommandsEnabled(link_.Connected());

    bool requested = false;
    if (status_.pollingAllowed && link_.Connected() && link_.Link()) {
        state_.waiting = true;
        state_.expectedLength = 20;
        state_.command = kVer;
        StartTimer(EngineTimer::Transfer);
        state_.reply = Drain();
        SendByte('V', 0);
        state_.timeoutTicks = 0;
        requested = true;
    }

    if (requested && status_.versionText != status_.lastReportedVersion) ConnectionReport();

    UpdateStatusLine();
    label4_ = status_.deviceTimeText;
    host_.SetClockLabels(label4_, PcClockText(clock_.CurrentDateTime()));
    host_.ShowDayNightImages(status_.dayMode, !status_.dayMode);
    SetTimerInterval(EngineTimer::Poll, kPollInterval);

    status_.versionText.clear();
    status_.deviceTimeText.clear();
    status_.resetsText.clear();
}

void Communicator::ConnectionReport() {
    const QString& version = status_.versionText;
    if (log_.Enabled() && !version.isEmpty()) {
        Log(QStringLiteral("Connect to communicator"));
        Log(QStringLiteral("Version: ") + version);
        Log(QStringLiteral("No. of resets: ") + status_.resetsText);
        Log(QStringLiteral("Time in communicator: ") + label4_);
        Log(QStringLiteral("Mode : ") +
            (status_.dayMode ? QStringLiteral("Day") : QStringLiteral("Night")));
    }
    // The list follows the firmware whether or not the log is on; a tick without a
    // reply says nothing about the firmware and leaves the list alone.
    if (!version.isEmpty()) RebuildCallProgressList();
    status_.lastReportedVersion = version;
}

void Communicator::RebuildCallProgressList() {
    const QString field = QStringLiteral("ComboBox15");
    const int index = model_.Choice(field);
    const QString& version = status_.versionText;
    bool newer = false;
    if (version.startsWith(QLatin1Char('2'))) {
        bool ok = false;
        const int minor = version.mid(2).toInt(&ok); // "2." alone has no number: older
        newer = ok && minor > 51;
    }
    QStringList items{QStringLiteral("Off"), QStringLiteral("Type 1"), QStringLiteral("Type 2")};
    if (newer) {
        items << QStringLiteral("Silent call");
        model_.SetChoiceItems(field, items);
        model_.SetChoice(field, index);
    } else {
        model_.SetChoiceItems(field, items);
        model_.SetChoice(field, index == 3 ? 2 : index);
    }
}

void Communicator::UpdateStatusLine() {
    const QString menu = QStringLiteral("Menu");
    QString file = host_.SettingsFileName();
    // Only the file's own name: folders end at "\" or "/".
    const int cut = qMax(file.lastIndexOf(QLatin1Char('\\')), file.lastIndexOf(QLatin1Char('/')));
    file = file.mid(cut + 1);
    host_.SetStatusPanel(0, QStringLiteral("USB: ") + link_.CableStatusText());
    host_.SetStatusPanel(1, QStringLiteral("Firmware: ") + status_.versionText);
    host_.SetStatusPanel(2, texts_.Text(menu, 28) + QStringLiteral(": ") + file);
    host_.SetStatusPanel(3, texts_.Text(menu, 29) + QStringLiteral(": ") + status_.resetsText);
    host_.SetStatusPanel(4, texts_.Text(menu, 30));
}

// ---- TimerLoop ----------------------------------------------------------------------------

bool TimerLoop::RunUntil(const std::function<bool()>& done, qint64 maxMs) {
    const qint64 end = clock_.NowMs() + maxMs;
    while (!done()) {
        const qint64 now = clock_.NowMs();
        if (now >= end) break;
        const qint64 d1 = comm_.TimerDueMs(EngineTimer::Transfer);
        const qint64 d2 = comm_.TimerDueMs(EngineTimer::Poll);
        qint64 next = -1;
        if (d1 >= 0) next = d1;
        if (d2 >= 0 && (next < 0 || d2 < next)) next = d2;
        if (next < 0 || next > end) {
            clock_.Sleep(static_cast<int>(end - now));
            break;
        }
        if (next > now) clock_.Sleep(static_cast<int>(next - now));
        if (next == d1)
            comm_.Timer1Timer();
        else
            comm_.Timer2Timer();
        if (afterTick) afterTick();
    }
    return done();
}
