#include "Communicator.h"

#include "CommLog.h"
#include "DoorPhoneLink.h"
#include "FieldCatalogue.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <exception>
#include <utility>

using namespace DoorPhoneProtocol;

namespace {

// Message numbers of the language file's [Message] section.
constexpr int kMsgNoAnswer = 9;          // the door phone did not answer in time
constexpr int kMsgTooManyRetries = 8;    // a record was refused again and again
constexpr int kMsgRefused = 53;          // the door phone answered "E"
constexpr int kMsgButtonCount = 59;      // the question before a parameter write ...
constexpr int kMsgButtonCountTitle = 60; // ... and its caption

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

// The record after / before this one; there is no record 100.
int NextRecord(int record) {
    return record + 1 == kMissingRecord ? kMissingRecord + 1 : record + 1;
}
int PreviousRecord(int record) {
    return record - 1 == kMissingRecord ? kMissingRecord - 1 : record - 1;
}

bool IsNumberExchange(Exchange e) {
    return e == Exchange::ReadNumbers || e == Exchange::WriteNumbers;
}

// The answer to one request of an exchange, in bytes.
int AnswerBytes(Exchange e) {
    switch (e) {
    case Exchange::Status: return kStatusReplyLength;
    case Exchange::ReadParameters: return kParameterReplyLength;
    case Exchange::ReadNumbers: return kRecordReplyLength;
    case Exchange::WriteParameters:
    case Exchange::WriteNumbers: return kAnswerLength;
    case Exchange::None:
    case Exchange::SetClock: return 0;
    }
    return 0;
}

} // namespace

// Marks the engine busy for the length of a handler or tick, so that a tick the window
// delivers from inside a message box does not start a second exchange on top of this one.
class Communicator::BusyScope {
public:
    explicit BusyScope(int& depth) : depth_(depth) { ++depth_; }
    ~BusyScope() { --depth_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

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

void Communicator::StartUp() {
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

void Communicator::PrepareForClose() {
    closing_ = true;
    StopTimers();
}

// ---- small helpers ------------------------------------------------------------------------

void Communicator::SendByte(int value, int pauseMs) {
    link_.WriteByte(static_cast<uint8_t>(value & 0xFF)); // a failed write shows as a time-out
    Pause(pauseMs);
}

void Communicator::SendBytes(std::initializer_list<int> values, int pauseMs) {
    for (int value : values) SendByte(value, pauseMs);
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
        Finish(ExchangeEnd::Aborted, QString::fromUtf8(e.what()));
    }
}

// ---- the time-out -------------------------------------------------------------------------

// A request went out and answerBytes are expected back: the door phone has
// kReplyTimeoutMs of silence, and the answer its line time plus as much again in all.
void Communicator::StartWait(int answerBytes) {
    const qint64 now = clock_.NowMs();
    state_.lastByteMs = now;
    state_.deadlineMs = now + LineTimeMs(answerBytes) + kReplyTimeoutMs;
}

// Every byte that arrives starts the silence anew (not the deadline).
void Communicator::RestartTimeout() {
    state_.lastByteMs = clock_.NowMs();
}

bool Communicator::TimeoutElapsed() const {
    const qint64 now = clock_.NowMs();
    return now - state_.lastByteMs > kReplyTimeoutMs || now > state_.deadlineMs;
}

// ---- transfer bracket ---------------------------------------------------------------------

void Communicator::BeginTransfer() {
    status_.pollingAllowed = false;
    StopTimer(EngineTimer::Transfer);
    StopTimer(EngineTimer::Poll);
    SetCommandsEnabled(false);
    host_.SetModelSelectorEnabled(false);
    bracketOpen_ = true;
    Pause(kBracketSettleMs);
    host_.ShowProgress(true);
    Messages();
    Pause(kBracketShowMs);
    StartTimer(EngineTimer::Transfer);
}

void Communicator::EndTransfer() {
    status_.pollingAllowed = true;
    SetCommandsEnabled(true);
    host_.SetModelSelectorEnabled(true);
    Pause(kBracketSettleMs);
    host_.ShowProgress(false);
    SetProgress(1);
    Pause(kBracketShowMs);
    StopTimer(EngineTimer::Transfer);
    StartTimer(EngineTimer::Poll);
    bracketOpen_ = false;
}

void Communicator::OpenBracket() {
    host_.FocusStatusBar();
    Messages();
    SetProgress(1);
    BeginTransfer();
    state_.chunkReceived = false;
    state_.chunkAcknowledged = false;
    state_.byteAcknowledged = false;
}

// The exchange every command starts: what it is and its reply length, waiting from tick 0.
void Communicator::Arm(Exchange exchange, int expectedLength) {
    state_.expectedLength = expectedLength;
    state_.exchange = exchange;
    StartWait(AnswerBytes(exchange));
    state_.waiting = true;
}

// The one way an exchange ends. It stops waiting, says what went wrong, decides whether
// the second half of an "all" command still follows, and closes the transfer bracket:
// after the short pause that lets the door phone finish, or at once after a run-time
// error. The status poll has no bracket to close.
void Communicator::Finish(ExchangeEnd end, const QString& message) {
    state_.waiting = false;
    state_.byteAcknowledged = false;
    state_.chunkAcknowledged = false;
    state_.chunkReceived = false;
    if (end == ExchangeEnd::Done) status_.silent = false; // the door phone answered
    // The "all" rule, second part: a failed first half ends the command; a refused one
    // ends it only where the front end says so (the command line).
    if (end == ExchangeEnd::Failed || (end == ExchangeEnd::Refused && !allGoesOnAfterFailure_))
        state_.continuation = AllContinuation::None;
    if (end == ExchangeEnd::Aborted)
        host_.ShowMessage(message, QString(), MsgIcon::Error);
    else if (!message.isEmpty())
        host_.ShowMessage(message, QString(), MsgIcon::None);
    if (!bracketOpen_) return;
    if (end != ExchangeEnd::Aborted) Pause(kFinishPauseMs);
    EndTransfer();
}

// ---- the menu commands --------------------------------------------------------------------

void Communicator::ReadParameters() {
    Guarded([this] {
        if (!link_.Connected()) return;
        OpenBracket();
        Arm(Exchange::ReadParameters, kParameterReplyLength);
        Log(QStringLiteral(">>> Read parameters <<<"));
        Log(QStringLiteral("R+P"));
        state_.reply = Drain();
        SendBytes({kRead, kParameters}, kBytePauseMs);
        StartWait(kParameterReplyLength);
    });
}

void Communicator::ReadNumbers() {
    Guarded([this] {
        if (!link_.Connected()) return;
        Log(QStringLiteral(">>> Read buttons memory <<<"));
        OpenBracket();
        Arm(Exchange::ReadNumbers, kRecordReplyLength);
        state_.chunkNumber = kFirstRecord;
        state_.reply = Drain();
        SendBytes({kRead, kNumbers, kFirstRecord}, kBytePauseMs);
        StartWait(kRecordReplyLength);
        Log(QStringLiteral("R+T+1"));
    });
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

void Communicator::WriteParameters() {
    bool started = false;
    Guarded([this, &started] {
        if (!link_.Connected()) {
            StartTimer(EngineTimer::Poll);
            return;
        }
        if (host_.ButtonCountFieldVisible()) {
            const QString question = Msg(kMsgButtonCount);
            int half = question.size() / 2; // halves to even
            if (question.size() % 2 == 1 && half % 2 == 1) ++half;
            const QString text = question + QStringLiteral("\n\n") + QString(half + 7, QChar(' ')) +
                                 QStringLiteral("-->>>  ") +
                                 model_.Text(QLatin1String(kButtonCountField)) +
                                 QStringLiteral("  <<<--");
            if (!host_.AskYesNo(text, Msg(kMsgButtonCountTitle), MsgIcon::Question)) {
                state_.continuation = AllContinuation::None;
                StartTimer(EngineTimer::Poll);
                host_.FocusButtonCountField();
                return;
            }
        }
        StartTimer(EngineTimer::Poll);
        OpenBracket();
        state_.byteTrail.clear();
        state_.parameterPosition = 0;
        state_.byteAcknowledged = true;
        Arm(Exchange::WriteParameters, kParameterAnswers);
        // The block is built before anything goes out: a field the encoder cannot take
        // ends the write here, with nothing sent and the window enabled again.
        parametersEncoded_ = false;
        if (!EncodeParameters()) {
            Finish(ExchangeEnd::Refused);
            return;
        }
        Log(QStringLiteral(">>> Write parameters <<<"));
        Log(QStringLiteral("W+P"));
        state_.reply = Drain();
        SendBytes({kWrite, kParameters}, kBytePauseMs);
        state_.retryCount = 0;
        SetProgress(1);
        started = true;
    });
    lastWriteStarted_ = started; // "W" "P" went out
}

void Communicator::WriteNumbers() {
    Guarded([this] {
        if (!link_.Connected()) return;
        Log(QStringLiteral(">>> Write buttons memory <<<"));
        OpenBracket();
        Arm(Exchange::WriteNumbers, kAnswerLength);
        SendRecord(kFirstRecord);
    });
}

// ---- the "all" commands -------------------------------------------------------------------
// "Read all" and "Write all" are the parameter half followed by the number half. The
// first half runs as its own command; the second starts as soon as the first has closed
// its bracket: on the transfer tick that ended it, or on a poll tick (ContinueAll). Only
// a first half that went out at all is followed by the second, and a first half that
// failed drops it (Finish).

void Communicator::ReadAll() {
    const bool connected = link_.Connected();
    ReadParameters();
    // Only a read that started goes on with the numbers; otherwise a later poll tick
    // would read them unasked.
    if (connected) state_.continuation = AllContinuation::ReadNumbers;
}

void Communicator::WriteAll() {
    WriteParameters();
    // Only a parameter write that went out is followed by the numbers: a declined
    // button-count question or a block that could not be built writes nothing at all,
    // and the poll goes on.
    if (lastWriteStarted_) {
        StopTimer(EngineTimer::Poll);
        state_.continuation = AllContinuation::WriteNumbers;
    }
}

bool Communicator::ContinueAll() {
    if (!commandsEnabled_ || state_.continuation == AllContinuation::None) return false;
    if (state_.continuation == AllContinuation::ReadNumbers)
        ReadNumbers();
    else
        WriteNumbers();
    state_.continuation = AllContinuation::None;
    return true;
}

void Communicator::EncodeChunk(int record) {
    const QByteArray bytes = EncodeNumberRecord(record, model_);
    // A record without a field leaves the previous record's entries in place.
    for (int k = 0; k < bytes.size() && k < kNumberRecordLength; ++k)
        state_.chunkOutput[k + 1] = static_cast<uint8_t>(bytes[k]);
}

// One record of a number write: the request, then its 24 bytes; the record after it is
// the next to go.
void Communicator::SendRecord(int record) {
    state_.chunkNumber = record;
    state_.reply = Drain();
    SendBytes({kWrite, kNumbers, record}, kBytePauseMs);
    Log(QStringLiteral("W+T+") + QString::number(record));
    EncodeChunk(record);
    state_.byteTrail.clear();
    for (int k = 1; k <= kNumberRecordLength; ++k) {
        SendByte(state_.chunkOutput[k], kBytePauseMs);
        state_.byteTrail += QLatin1Char('-') + QString::number(state_.chunkOutput[k]);
    }
    StartWait(kAnswerLength); // the record's "Z"
    state_.chunkNumber = NextRecord(record);
    Log(state_.byteTrail);
}

// ---- clock and day/night ------------------------------------------------------------------

QByteArray Communicator::SetClockBytes(const QDateTime& at) {
    const QDate d = at.date();
    const QTime t = at.time();
    const std::pair<char, int> fields[] = {
        {kSecondTag, ToBcd(t.second())},  {kMinuteTag, ToBcd(t.minute())},
        {kHourTag, ToBcd(t.hour())},      {kYearTag, ToBcd(d.year() % 100)},
        {kMonthTag, ToBcd(d.month())},    {kDayTag, ToBcd(d.day())},
        {kWeekdayTag, d.dayOfWeek() % 7}, // Monday 1 .. Saturday 6, Sunday 0
    };
    QByteArray out;
    out.append(kWrite);
    out.append(kClock);
    for (const auto& [tag, value] : fields) {
        out.append(tag);
        out.append(char(value));
    }
    out.append(kClockEnd);
    return out;
}

QString Communicator::PcClockText(const QDateTime& at) {
    return at.toString(QStringLiteral("dd.MM.yyyy / hh:mm:ss"));
}

void Communicator::SetClockFromPc() {
    Guarded([this] {
        if (!link_.Connected()) return;
        host_.FocusStatusBar();
        Messages();
        SetProgress(250);
        BeginTransfer();
        // Nothing answers the clock: the exchange stays "waiting" until the next poll
        // request takes the line.
        state_.waiting = true;
        state_.exchange = Exchange::SetClock;
        state_.reply = Drain();
        const QDateTime at = clock_.CurrentDateTime().addMSecs(kClockAheadMs);
        for (char b : SetClockBytes(at)) SendByte(static_cast<uint8_t>(b), kClockBytePauseMs);
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

void Communicator::SwitchDayNight() {
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
        SendByte(kWrite, kDayNightVerbPauseMs);
        SendByte(kDayNight, kDayNightObjectPauseMs);
        EndTransfer();
        Log(QStringLiteral(">>> Day-Night <<<"));
        Log(status_.dayMode ? QStringLiteral("Day") : QStringLiteral("Night"));
    });
}

// ---- replies ------------------------------------------------------------------------------

void Communicator::DispatchReply(int count) {
    switch (state_.exchange) {
    case Exchange::Status:
        if (count == kStatusReplyLength) TakeStatusReply();
        return;
    case Exchange::ReadParameters: TakeParameterBlock(count); return;
    case Exchange::ReadNumbers:
        if (count == kRecordReplyLength) TakeRecord();
        return;
    case Exchange::WriteParameters:
        if (count == kAnswerLength) TakeParameterAnswer();
        return;
    case Exchange::WriteNumbers:
        if (count >= kAnswerLength) TakeRecordAnswer();
        return;
    case Exchange::None:
    case Exchange::SetClock: return;
    }
}

void Communicator::TakeStatusReply() {
    state_.reply = Drain();
    Finish(ExchangeEnd::Done);
    DecodeStatus(state_.reply.left(kStatusReplyLength));
    link_.CloseLink(); // reopened by the next poll tick
    status_.pollingAllowed = true;
}

void Communicator::DecodeStatus(const QString& reply) {
    const int n = qMin(kStatusReplyLength, int(reply.size()));
    for (int i = 0; i + 1 < n; i += 2) {
        const QChar tag = reply[i];
        const int v = reply[i + 1].unicode() & 0xFF;
        switch (tag.unicode()) {
        case kVersionTag: {
            const QString digits = QString::number(v);
            status_.versionText = digits.left(1) + QLatin1Char('.') + digits.mid(1);
            if (digits.size() >= 2) status_.sendFFlag = SendFRange(v);
            break;
        }
        case kSecondTag: status_.deviceTimeText = BcdDigits(v & 0x7F); break;
        case kMinuteTag: // minutes, then hours, each in front of what came before
        case kHourTag:
            status_.deviceTimeText = BcdDigits(v) + QLatin1Char(':') + status_.deviceTimeText;
            break;
        case kYearTag:
            status_.deviceTimeText = QStringLiteral("20") + BcdDigits(v) + QStringLiteral(" / ") +
                                     status_.deviceTimeText;
            break;
        case kMonthTag:
        case kDayTag:
            status_.deviceTimeText = BcdDigits(v) + QLatin1Char('.') + status_.deviceTimeText;
            break;
        case kResetsLowTag: status_.resetsLow = v; break;
        case kResetsHighTag:
            status_.resetsText = QString::number(v * 256 + status_.resetsLow);
            break;
        case kModeTag: status_.dayMode = v == kDayModeValue; break;
        default: break; // unknown tags are skipped
        }
    }
}
void Communicator::TakeParameterBlock(int count) {
    if (count != kParameterReplyLength) {
        // Still arriving: the bar moves on.
        SetProgress(progress_ + 50);
        Messages();
        return;
    }
    state_.reply = Drain();
    state_.waiting = false;
    StopTimer(EngineTimer::Transfer);
    SetProgress(250);
    Messages();
    if (onParameterBlock) onParameterBlock(Latin1(state_.reply));
    const BlockDecodeResult decoded =
        DecodeParameterBlock(Latin1(state_.reply), model_, log_, [this](BlockRefusal refusal) {
            host_.ShowMessage(BlockRefusalMessage(refusal, texts_), QString(), MsgIcon::None);
            host_.LoadModelDefaults();
        });
    SetProgress(255);
    Messages();
    Finish(decoded.accepted ? ExchangeEnd::Done : ExchangeEnd::Refused);
}

void Communicator::TakeRecord() {
    state_.reply = Drain();
    RestartTimeout();
    if (onNumberRecord) onNumberRecord(state_.chunkNumber, Latin1(state_.reply));
    state_.reply = DecodeNumberRecord(state_.chunkNumber, Latin1(state_.reply), model_);
    state_.chunkReceived = true;
    Log(state_.reply);
}

void Communicator::TakeParameterAnswer() {
    RestartTimeout();
    state_.reply = Drain();
    if (state_.reply == QLatin1Char(kAccepted)) {
        SetProgress(progress_ + 1);
        Messages();
        state_.byteAcknowledged = true;
    } else if (state_.reply == QLatin1Char(kRefused)) {
        state_.reply = Drain();
        Finish(ExchangeEnd::Refused, Msg(kMsgRefused) + QStringLiteral("  ...E"));
        return;
    } else if (state_.reply == QLatin1Char(kDone)) {
        SetProgress(255);
        Messages();
        Log(state_.reply);
        Log(state_.byteTrail);
        state_.reply = Drain();
        Finish(ExchangeEnd::Done);
        return;
    }
    Log(state_.reply);
}

void Communicator::TakeRecordAnswer() {
    RestartTimeout();
    state_.reply = Drain();
    if (state_.reply == QLatin1Char(kDone)) {
        state_.chunkAcknowledged = true;
    } else if (state_.reply == QLatin1Char(kRefused)) {
        state_.reply = Drain();
        Finish(ExchangeEnd::Refused, Msg(kMsgRefused) + QStringLiteral("  ...E"));
        return;
    }
    Log(state_.reply);
}

// ---- Timer1: the transfer timer -----------------------------------------------------------

void Communicator::TransferTick() {
    if (!timer1_.running || busy_ > 0) return;
    Guarded([this] {
        StopTimer(EngineTimer::Transfer);
        if (!link_.Link() && !state_.waiting) return;
        SetTimerInterval(EngineTimer::Transfer, kTransferInterval);
        if (!link_.Connected()) {
            link_.CloseLink();
            // The cable kind changed under a running transfer: the exchange cannot
            // finish, and the window must come back enabled.
            if (state_.waiting && bracketOpen_) Finish(ExchangeEnd::Failed, Msg(kMsgNoAnswer));
            return;
        }
        TakeArrivedBytes();
        if (!state_.waiting) {
            StartTimer(EngineTimer::Transfer);
            return;
        }
        if (!RequestNextRecord() || !SendNextRecordIfStored()) return;
        if (TimeoutElapsed()) {
            TimeoutStep();
            return;
        }
        if (!SendNextParameterByte()) return;
        StartTimer(EngineTimer::Transfer);
    });
    // The tick that closed the first half of "Read all" / "Write all" starts the second.
    if (!bracketOpen_) Guarded([this] { ContinueAll(); });
}

void Communicator::TakeArrivedBytes() {
    const uint32_t count = link_.RxCount();
    // A reply that is still arriving is not a missing reply: every new byte restarts the
    // silence, while the request's deadline stands.
    if (count > lastRxCount_) RestartTimeout();
    lastRxCount_ = count;
    if (count > 0) DispatchReply(static_cast<int>(count));
}

// A number read: the record just taken is followed by the request for the next one.
bool Communicator::RequestNextRecord() {
    if (!state_.chunkReceived) return true;
    state_.chunkNumber = NextRecord(state_.chunkNumber);
    if (state_.chunkNumber > kLastRecord) {
        Finish(ExchangeEnd::Done);
        return false;
    }
    SetProgress(ChunkProgress(state_.chunkNumber));
    Messages();
    state_.reply = Drain();
    SendBytes({kRead, kNumbers, state_.chunkNumber}, kBytePauseMs);
    StartWait(kRecordReplyLength);
    state_.chunkReceived = false;
    Log(QStringLiteral("R+T+") + QString::number(state_.chunkNumber));
    return true;
}

// A number write: a stored record is followed by the next one. The last record ends the
// write as soon as it has gone out.
bool Communicator::SendNextRecordIfStored() {
    if (!state_.chunkAcknowledged) return true;
    state_.chunkAcknowledged = false;
    SetProgress(ChunkProgress(state_.chunkNumber));
    Messages();
    SendRecord(state_.chunkNumber);
    if (state_.chunkNumber > kLastRecord) {
        Finish(ExchangeEnd::Done);
        return false;
    }
    return true;
}

// A parameter write: every accepted byte is followed by the next one. Byte 256 is never
// sent, but a "D" after byte 255 still adds it to the trail; past that the block has
// nothing more to add.
bool Communicator::SendNextParameterByte() {
    if (!state_.byteAcknowledged) return true;
    int& pos = state_.parameterPosition;
    if (pos == 0) {
        if (!parametersEncoded_ && !EncodeParameters()) {
            Finish(ExchangeEnd::Refused);
            return false;
        }
        pos = 1;
        SendByte(state_.parameterOutput[1], kBytePauseMs);
    } else if (pos >= 2 && pos < kParameterBlockSize) {
        SendByte(state_.parameterOutput[pos], kBytePauseMs);
    }
    if (pos >= 1 && pos <= kParameterBlockSize) {
        state_.byteTrail += QLatin1Char('-') + QString::number(state_.parameterOutput[pos]);
        ++pos;
    }
    // The next answer: the "D" of the byte just sent, or after the last byte the "Z".
    StartWait(kAnswerLength);
    state_.byteAcknowledged = false;
    return true;
}

void Communicator::TimeoutStep() {
    if (IsNumberExchange(state_.exchange) && state_.reply.startsWith(QLatin1Char(kRefused))) {
        ++state_.retryCount;
        if (state_.retryCount > kMaxChunkRetries) {
            Finish(ExchangeEnd::Failed, Msg(kMsgTooManyRetries));
            return;
        }
        // The same record again: the next tick requests or sends it anew.
        state_.chunkNumber = PreviousRecord(state_.chunkNumber);
        state_.waiting = true;
        if (state_.exchange == Exchange::ReadNumbers)
            state_.chunkReceived = true;
        else
            state_.chunkAcknowledged = true;
        StartWait(AnswerBytes(state_.exchange));
        StartTimer(EngineTimer::Transfer);
        return;
    }
    NoAnswer();
}

// No answer in time. A transfer the user started says so every time. The status poll
// says so once: while the door phone stays silent the status line shows it and the poll
// goes on asking without a box, and no box ever covers the close question.
void Communicator::NoAnswer() {
    const bool poll = state_.exchange == Exchange::Status;
    const bool tell = !poll || (!status_.silent && !closing_);
    status_.silent = true;
    Finish(ExchangeEnd::Failed, tell ? Msg(kMsgNoAnswer) : QString());
}

// ---- Timer2: the poll timer ---------------------------------------------------------------

void Communicator::PollTick() {
    if (!timer2_.running) return;
    timer2_.due = clock_.NowMs() + timer2_.interval;
    if (busy_ > 0) return;
    Guarded([this] {
        if (ContinueAll()) return;
        // A command that follows one that has ended (the backup before a write, the read
        // after it) starts here too, as the "all" continuations do.
        if (commandsEnabled_ && onIdlePollTick && onIdlePollTick()) return;
        try {
            link_.ConnectAttempt();
        } catch (...) { StopTimer(EngineTimer::Transfer); }
        SetCommandsEnabled(link_.Connected());

        // One status request at a time: a request still waiting runs to its answer or its
        // time-out (longer than the poll's second) before the next one goes out. A wait
        // whose timer was stopped (the cable went, another window paused the timers)
        // never ends by itself; the next request takes its place.
        const bool statusPending =
            state_.waiting && state_.exchange == Exchange::Status && timer1_.running;
        bool requested = false;
        if (status_.pollingAllowed && !statusPending && link_.Connected() && link_.Link()) {
            RequestStatus();
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
    });
}

void Communicator::RequestStatus() {
    state_.waiting = true;
    state_.expectedLength = kStatusReplyLength;
    state_.exchange = Exchange::Status;
    StartTimer(EngineTimer::Transfer);
    state_.reply = Drain();
    SendByte(kStatus, 0);
    StartWait(kStatusReplyLength);
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
    const QString field = QLatin1String(kCallProgressField);
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
    // While the door phone stays silent, the wide panel says so instead of the file.
    host_.SetStatusPanel(2, status_.silent ? Msg(kMsgNoAnswer)
                                           : texts_.Text(menu, 28) + QStringLiteral(": ") + file);
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
            comm_.TransferTick();
        else
            comm_.PollTick();
        if (afterTick) afterTick();
    }
    return done();
}
