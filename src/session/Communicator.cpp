#include "Communicator.h"

#include "CommLog.h"
#include "DoorPhoneLink.h"
#include "FieldCatalogue.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <exception>
#include <initializer_list>
#include <utility>

using namespace DoorPhoneProtocol;

namespace {

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

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v & 0xFF));
    return out;
}

// One character per byte, 0..255 as the same code.
QString Chars(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) out.append(QChar(uchar(c)));
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

// The exchanges whose request is repeated when its answer went missing or came garbled.
bool Repeatable(Exchange e) {
    return e == Exchange::ReadParameters || e == Exchange::ReadNumbers ||
           e == Exchange::WriteParameters || e == Exchange::WriteNumbers;
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
    case Exchange::SetClock:
    case Exchange::DayNight: return 0;
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

void Communicator::CloseCancelled(bool poll) {
    closing_ = false;
    if (poll) StartPollTimer();
}

// ---- listeners ----------------------------------------------------------------------------

int Communicator::AddExchangeListener(ExchangeListener listener) {
    const int id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void Communicator::RemoveExchangeListener(int id) {
    for (auto it = listeners_.begin(); it != listeners_.end(); ++it) {
        if (it->first == id) {
            listeners_.erase(it);
            return;
        }
    }
}

// The outcomes of the exchanges that ended go out once the engine is between turns, so a
// listener may start the next command at once. A command a listener starts can end at
// once too (nothing to send); its outcome goes out in the same round.
void Communicator::DeliverOutcomes() {
    if (busy_ > 0 || delivering_) return;
    delivering_ = true;
    while (!outcomes_.empty()) {
        const ExchangeOutcome outcome = outcomes_.front();
        outcomes_.erase(outcomes_.begin());
        const auto listeners = listeners_; // a listener may add or remove listeners
        for (const auto& entry : listeners) entry.second(outcome);
    }
    delivering_ = false;
}

// ---- small helpers ------------------------------------------------------------------------

// One byte to the door phone, then the pause it needs. A byte that continues a command is
// held back when the program stood still since the byte before: the door phone may have
// dropped the command meanwhile, and would take the rest for new commands. False then.
bool Communicator::SendByte(int value, int pauseMs, bool continuesCommand) {
    if (continuesCommand && clock_.NowMs() - lastTurnMs_ >= kStallMs) return false;
    link_.WriteByte(static_cast<uint8_t>(value & 0xFF)); // a failed write shows as a time-out
    // The engine's turn goes on after the pause: a stall inside the pause shows at the
    // next byte.
    lastTurnMs_ = clock_.NowMs() + pauseMs;
    Pause(pauseMs);
    return true;
}

// The bytes of one command, each followed by pauseMs; false when it stopped half-way.
bool Communicator::SendCommand(const QByteArray& bytes, int pauseMs) {
    for (int i = 0; i < bytes.size(); ++i)
        if (!SendByte(uint8_t(bytes[i]), pauseMs, i > 0)) return false;
    return true;
}

// Whatever has arrived before a request is not its answer: it is kept as the last reply
// text, as the receive drain before every command keeps it, and goes no further.
void Communicator::DiscardArrived() {
    ReadArrived();
    state_.reply = Chars(arrived_);
    arrived_.clear();
}

void Communicator::ReadArrived() {
    const QString text = link_.ReceiveDrain();
    if (text.isEmpty()) return;
    arrived_ += Latin1(text);
    // A reply that is still arriving is not a missing reply: every new byte restarts the
    // silence, while the request's deadline stands.
    RestartTimeout();
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

QString Communicator::Msg(TextKey key) const {
    return texts_.Text(key);
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
        Finish(ExchangeEnd::Aborted, QString::fromUtf8(e.what()), MsgIcon::Error);
    }
}

// ---- the time-out -------------------------------------------------------------------------

// A request went out and answerBytes are expected back: the door phone has
// kReplyTimeoutMs of silence, and the answer its line time plus as much again in all.
void Communicator::StartWait(int answerBytes) {
    const qint64 now = clock_.NowMs();
    state_.lastByteMs = now;
    state_.waitStartMs = now;
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

bool Communicator::Stalled() const {
    return turnGapMs_ >= kStallMs;
}

// The parameter write is one command from "W" "P" to byte 255; the door phone waits for
// each byte after its "D". Every other command goes out whole within one turn.
bool Communicator::CommandHalfSent() const {
    return state_.exchange == Exchange::WriteParameters && state_.step != WaitStep::Quiet &&
           state_.parameterPosition < kParameterBlockSize;
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
    // The device commands follow the connection: a cable that went during the transfer
    // leaves them off until it is found again.
    SetCommandsEnabled(link_.Connected());
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
}

// The exchange every command starts: what it is and its reply length, waiting from now.
void Communicator::Arm(Exchange exchange, int expectedLength) {
    state_.expectedLength = expectedLength;
    state_.exchange = exchange;
    state_.repeatsAfterLoss = 0;
    state_.repeatsAfterStall = 0;
    StartWait(AnswerBytes(exchange));
    state_.step = WaitStep::Reply;
    lastTurnMs_ = clock_.NowMs();
}

// The one way an exchange ends. It stops waiting, says what went wrong, decides whether
// the second half of an "all" command still follows, closes the transfer bracket (after
// the short pause that lets the door phone finish, or at once after a run-time error; the
// status poll has no bracket), and tells the listeners how it ended.
void Communicator::Finish(ExchangeEnd end, const QString& message, MsgIcon icon) {
    const Exchange exchange = state_.exchange;
    state_.step = WaitStep::Idle;
    if (end == ExchangeEnd::Done) status_.silent = false; // the door phone answered
    // The "all" rule, second part: a failed first half ends the command; a refused one
    // ends it only where the front end says so (the command line).
    if (end == ExchangeEnd::Failed || end == ExchangeEnd::Aborted ||
        (end == ExchangeEnd::Refused && !allGoesOnAfterFailure_))
        state_.continuation = AllContinuation::None;
    if (!message.isEmpty()) host_.ShowMessage(message, QString(), icon);
    if (bracketOpen_) {
        // The commands without an answer end as soon as their bytes are out.
        const bool answered = exchange != Exchange::SetClock && exchange != Exchange::DayNight;
        if (end != ExchangeEnd::Aborted && answered) Pause(kFinishPauseMs);
        EndTransfer();
    }
    outcomes_.push_back({exchange, end, message, ContinuationPending()});
}

// ---- the menu commands --------------------------------------------------------------------

// A command has been set up: the listeners hear of what has ended meanwhile (a block that
// could not be built ends the write at once).
bool Communicator::Told(bool started) {
    DeliverOutcomes();
    return started;
}

bool Communicator::ReadParameters() {
    return Told(StartReadParameters());
}

bool Communicator::StartReadParameters() {
    bool started = false;
    Guarded([this, &started] {
        if (!link_.Connected() || bracketOpen_) return;
        OpenBracket();
        Arm(Exchange::ReadParameters, kParameterReplyLength);
        started = true;
        Log(QStringLiteral(">>> Read parameters <<<"));
        RequestParameters();
    });
    return started;
}

void Communicator::RequestParameters() {
    Log(QStringLiteral("R+P"));
    DiscardArrived();
    if (!SendCommand(Bytes({kRead, kParameters}), kBytePauseMs)) {
        Resync(true);
        return;
    }
    StartWait(kParameterReplyLength);
    state_.step = WaitStep::Reply;
}

bool Communicator::ReadNumbers() {
    return Told(StartReadNumbers());
}

bool Communicator::StartReadNumbers() {
    bool started = false;
    Guarded([this, &started] {
        if (!link_.Connected() || bracketOpen_) return;
        Log(QStringLiteral(">>> Read buttons memory <<<"));
        OpenBracket();
        Arm(Exchange::ReadNumbers, kRecordReplyLength);
        started = true;
        RequestRecord(kFirstRecord);
    });
    return started;
}

// The parameter block for the door phone's current day mode and reset count; "" when a
// field cannot be coded, with the reason in *error.
bool Communicator::EncodeParameters(QString* error) {
    const DoorPhoneState device{status_.dayMode, status_.resetsText};
    const EncodeResult encoded = EncodeParameterBlock(model_, device);
    if (!encoded.ok) {
        *error = encoded.errorMessage;
        return false;
    }
    for (int pos = 1; pos <= kParameterBlockSize; ++pos)
        state_.parameterOutput[pos] =
            pos <= encoded.bytes.size() ? static_cast<uint8_t>(encoded.bytes[pos - 1]) : 0;
    parametersEncoded_ = true;
    return true;
}

bool Communicator::WriteParameters() {
    return Told(StartWriteParameters());
}

bool Communicator::StartWriteParameters() {
    bool started = false;
    Guarded([this, &started] {
        if (bracketOpen_) return;
        if (!link_.Connected()) {
            StartTimer(EngineTimer::Poll);
            return;
        }
        if (host_.ButtonCountFieldVisible()) {
            const QString question = Msg(keys::kButtonCountQuestion);
            int half = question.size() / 2; // halves to even
            if (question.size() % 2 == 1 && half % 2 == 1) ++half;
            const QString text = question + QStringLiteral("\n\n") + QString(half + 7, QChar(' ')) +
                                 QStringLiteral("-->>>  ") +
                                 model_.Text(QLatin1String(kButtonCountField)) +
                                 QStringLiteral("  <<<--");
            if (!host_.AskYesNo(text, Msg(keys::kButtonCountCaption), MsgIcon::Question)) {
                state_.continuation = AllContinuation::None;
                StartTimer(EngineTimer::Poll);
                host_.FocusButtonCountField();
                return;
            }
        }
        StartTimer(EngineTimer::Poll);
        OpenBracket();
        Arm(Exchange::WriteParameters, kParameterAnswers);
        // The block is built before anything goes out: a field the encoder cannot take
        // ends the write here, with nothing sent and the window enabled again.
        parametersEncoded_ = false;
        QString error;
        if (!EncodeParameters(&error)) {
            Finish(ExchangeEnd::Refused, error, MsgIcon::Error);
            return;
        }
        Log(QStringLiteral(">>> Write parameters <<<"));
        started = true;
        StartParameterWrite();
        state_.retryCount = 0;
        SetProgress(1);
    });
    return started;
}

// "W" "P"; the first byte of the block follows on the next turn.
void Communicator::StartParameterWrite() {
    state_.byteTrail.clear();
    state_.parameterPosition = 0;
    Log(QStringLiteral("W+P"));
    DiscardArrived();
    if (!SendCommand(Bytes({kWrite, kParameters}), kBytePauseMs)) {
        Resync(true);
        return;
    }
    StartWait(kAnswerLength);
    state_.step = WaitStep::Next;
}

bool Communicator::WriteNumbers() {
    return Told(StartWriteNumbers());
}

bool Communicator::StartWriteNumbers() {
    bool started = false;
    Guarded([this, &started] {
        if (!link_.Connected() || bracketOpen_) return;
        Log(QStringLiteral(">>> Write buttons memory <<<"));
        OpenBracket();
        Arm(Exchange::WriteNumbers, kAnswerLength);
        started = true;
        SendRecord(kFirstRecord);
    });
    return started;
}

// ---- the "all" commands -------------------------------------------------------------------
// "Read all" and "Write all" are the parameter half followed by the number half. The
// first half runs as its own command; the second starts as soon as the first has closed
// its bracket: on the transfer tick that ended it, or on a poll tick (ContinueAll). Only
// a first half that went out at all is followed by the second, and a first half that
// failed drops it (Finish).

bool Communicator::ReadAll() {
    const bool started = StartReadParameters();
    // Only a read that started goes on with the numbers; otherwise a later poll tick
    // would read them unasked.
    if (started) state_.continuation = AllContinuation::ReadNumbers;
    DeliverOutcomes();
    return started;
}

bool Communicator::WriteAll() {
    const bool started = StartWriteParameters();
    // Only a parameter write that went out is followed by the numbers: a declined
    // button-count question or a block that could not be built writes nothing at all,
    // and the poll goes on.
    if (started) {
        StopTimer(EngineTimer::Poll);
        state_.continuation = AllContinuation::WriteNumbers;
    }
    DeliverOutcomes();
    return started;
}

bool Communicator::ContinueAll() {
    if (bracketOpen_ || !commandsEnabled_ || state_.continuation == AllContinuation::None)
        return false;
    const AllContinuation next = state_.continuation;
    state_.continuation = AllContinuation::None;
    if (next == AllContinuation::ReadNumbers)
        StartReadNumbers();
    else
        StartWriteNumbers();
    return true;
}

void Communicator::EncodeChunk(int record) {
    const QByteArray bytes = EncodeNumberRecord(record, model_);
    // A record without a field leaves the previous record's entries in place.
    for (int k = 0; k < bytes.size() && k < kNumberRecordLength; ++k)
        state_.chunkOutput[k + 1] = static_cast<uint8_t>(bytes[k]);
}

// One record of a number read: "R" "T" n.
void Communicator::RequestRecord(int record) {
    state_.chunkNumber = record;
    DiscardArrived();
    if (!SendCommand(Bytes({kRead, kNumbers, record}), kBytePauseMs)) {
        Resync(true);
        return;
    }
    StartWait(kRecordReplyLength);
    state_.step = WaitStep::Reply;
    Log(QStringLiteral("R+T+") + QString::number(record));
}

// One record of a number write: the request, then its 24 bytes, answered "Z".
void Communicator::SendRecord(int record) {
    state_.chunkNumber = record;
    if (!TakeLeftovers()) return;
    EncodeChunk(record);
    QByteArray command = Bytes({kWrite, kNumbers, record});
    state_.byteTrail.clear();
    for (int k = 1; k <= kNumberRecordLength; ++k) {
        command.append(char(state_.chunkOutput[k]));
        state_.byteTrail += QLatin1Char('-') + QString::number(state_.chunkOutput[k]);
    }
    Log(QStringLiteral("W+T+") + QString::number(record));
    if (!SendCommand(command, kBytePauseMs)) {
        Resync(true);
        return;
    }
    StartWait(kAnswerLength); // the record's "Z"
    state_.step = WaitStep::Reply;
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

bool Communicator::SetClockFromPc() {
    bool started = false;
    Guarded([this, &started] {
        if (!link_.Connected() || bracketOpen_) return;
        host_.FocusStatusBar();
        Messages();
        SetProgress(250);
        BeginTransfer();
        Arm(Exchange::SetClock, 0);
        started = true;
        DiscardArrived();
        if (SendClock())
            Finish(ExchangeEnd::Done);
        else
            Resync(true);
    });
    DeliverOutcomes();
    return started;
}

// The clock command, with the time as it is when it goes out; false when the program
// stood still in the middle of it.
bool Communicator::SendClock() {
    const QDateTime at = clock_.CurrentDateTime().addMSecs(kClockAheadMs);
    if (!SendCommand(SetClockBytes(at), kClockBytePauseMs)) return false;
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
    return true;
}

bool Communicator::SwitchDayNight() {
    bool started = false;
    Guarded([this, &started] {
        if (!link_.Connected() || bracketOpen_) return;
        host_.FocusStatusBar();
        Messages();
        status_.dayMode = !status_.dayMode;
        host_.ShowDayNightImages(false, false);
        SetProgress(250);
        BeginTransfer();
        Messages();
        Arm(Exchange::DayNight, 0);
        started = true;
        DiscardArrived();
        if (SendDayNight())
            Finish(ExchangeEnd::Done);
        else
            Resync(true);
    });
    DeliverOutcomes();
    return started;
}

bool Communicator::SendDayNight() {
    if (!SendByte(kWrite, kDayNightVerbPauseMs, false) ||
        !SendByte(kDayNight, kDayNightObjectPauseMs, true))
        return false;
    Log(QStringLiteral(">>> Day-Night <<<"));
    Log(status_.dayMode ? QStringLiteral("Day") : QStringLiteral("Night"));
    return true;
}

// ---- replies ------------------------------------------------------------------------------
// What has arrived is a stream: each step takes the answer it expects from its front and
// leaves what follows for the next step ("DZ" after the last parameter byte is "D", then
// "Z"). A read expects one answer of a known length and nothing after it; more than that
// is a garbled answer, which is asked for again.

void Communicator::TakeReplies() {
    switch (state_.exchange) {
    case Exchange::Status: TakeStatusReply(); return;
    case Exchange::ReadParameters: TakeParameterBlock(); return;
    case Exchange::ReadNumbers: TakeRecord(); return;
    case Exchange::WriteParameters:
        while (state_.step == WaitStep::Reply && !arrived_.isEmpty() && TakeParameterAnswer()) {}
        return;
    case Exchange::WriteNumbers:
        while (state_.step == WaitStep::Reply && !arrived_.isEmpty() && TakeRecordAnswer()) {}
        return;
    case Exchange::None:
    case Exchange::SetClock:
    case Exchange::DayNight: return;
    }
}

bool Communicator::IsStatusReply(const QByteArray& bytes) {
    if (bytes.size() != kStatusReplyLength) return false;
    QByteArray tags;
    for (int i = 0; i < kStatusReplyLength; i += 2) tags.append(bytes[i]);
    for (const char* tag = kStatusTags; *tag; ++tag)
        if (tags.count(*tag) != 1) return false;
    return true;
}

// The status: the first ten tag and value pairs that hold every status tag once. Bytes
// ahead of them (a late answer of something else, noise) are passed over; noise alone is
// never a status, however long it is.
void Communicator::TakeStatusReply() {
    for (int at = 0; at + kStatusReplyLength <= arrived_.size(); ++at) {
        const QByteArray candidate = arrived_.mid(at, kStatusReplyLength);
        if (!IsStatusReply(candidate)) continue;
        arrived_.remove(0, at + kStatusReplyLength);
        state_.reply = Chars(candidate);
        DecodeStatus(state_.reply);
        status_.fresh = true;
        status_.pollingAllowed = true;
        Finish(ExchangeEnd::Done);
        return;
    }
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

void Communicator::TakeParameterBlock() {
    if (arrived_.isEmpty()) return;
    if (arrived_.size() < kParameterReplyLength) {
        // Still arriving: the bar moves on.
        SetProgress(progress_ + 50);
        Messages();
        return;
    }
    if (arrived_.size() > kParameterReplyLength) {
        Resync(false); // more than a block: which 256 of them are the block is not known
        return;
    }
    const QByteArray block = arrived_;
    arrived_.clear();
    state_.reply = Chars(block);
    StopTimer(EngineTimer::Transfer);
    SetProgress(250);
    Messages();
    if (onParameterBlock) onParameterBlock(block);
    const BlockDecodeResult decoded =
        DecodeParameterBlock(block, model_, log_, [this](BlockRefusal refusal) {
            host_.ShowMessage(BlockRefusalMessage(refusal, texts_), QString(), MsgIcon::None);
            host_.LoadModelDefaults();
        });
    SetProgress(255);
    Messages();
    Finish(decoded.accepted ? ExchangeEnd::Done : ExchangeEnd::Refused);
}

void Communicator::TakeRecord() {
    if (arrived_.size() < kRecordReplyLength) return;
    if (arrived_.size() > kRecordReplyLength) {
        Resync(false);
        return;
    }
    const QByteArray bytes = arrived_;
    arrived_.clear();
    if (onNumberRecord) onNumberRecord(state_.chunkNumber, bytes);
    state_.reply = DecodeNumberRecord(state_.chunkNumber, bytes, model_);
    Log(state_.reply);
    state_.repeatsAfterLoss = 0;
    state_.repeatsAfterStall = 0;
    state_.step = WaitStep::Next;
}

// One answer to a parameter byte; false when the exchange ended or the next byte is due.
bool Communicator::TakeParameterAnswer() {
    const char answer = arrived_.at(0);
    arrived_.remove(0, 1);
    state_.reply = QString(QChar(uchar(answer)));
    if (answer == kAccepted) {
        SetProgress(progress_ + 1);
        Messages();
        Log(state_.reply);
        state_.step = WaitStep::Next;
        return false;
    }
    if (answer == kRefused) {
        arrived_.clear();
        Finish(ExchangeEnd::Refused, Msg(keys::kRefused) + QStringLiteral("  ...E"));
        return false;
    }
    if (answer == kDone) {
        SetProgress(255);
        Messages();
        Log(state_.reply);
        Log(state_.byteTrail);
        arrived_.clear();
        Finish(ExchangeEnd::Done);
        return false;
    }
    Log(state_.reply); // not an answer: noted, and the wait goes on
    return true;
}

// The answer to a written record; false when the exchange ended or the next record is due.
bool Communicator::TakeRecordAnswer() {
    const char answer = arrived_.at(0);
    arrived_.remove(0, 1);
    state_.reply = QString(QChar(uchar(answer)));
    if (answer == kRefused) {
        arrived_.clear();
        Finish(ExchangeEnd::Refused, Msg(keys::kRefused) + QStringLiteral("  ...E"));
        return false;
    }
    Log(state_.reply);
    if (answer != kDone) return true; // not an answer: the wait goes on
    state_.repeatsAfterLoss = 0;
    state_.repeatsAfterStall = 0;
    // The last record is written once the door phone has said so.
    if (state_.chunkNumber >= kLastRecord)
        Finish(ExchangeEnd::Done);
    else
        state_.step = WaitStep::Next;
    return false;
}

// Answers that came after the one a write took, before its next byte goes out: a second
// "D" only repeats what was said, but an "E" or a "Z" among them is not lost. False when
// they ended the exchange.
bool Communicator::TakeLeftovers() {
    ReadArrived();
    const QByteArray rest = arrived_;
    arrived_.clear();
    if (rest.isEmpty()) return true;
    state_.reply = Chars(rest);
    Log(state_.reply);
    if (rest.contains(kRefused)) {
        Finish(ExchangeEnd::Refused, Msg(keys::kRefused) + QStringLiteral("  ...E"));
        return false;
    }
    if (state_.exchange == Exchange::WriteParameters && rest.contains(kDone)) {
        Finish(ExchangeEnd::Done);
        return false;
    }
    return true;
}

// ---- Timer1: the transfer timer -----------------------------------------------------------

void Communicator::TransferTick() {
    if (!timer1_.running || busy_ > 0) return;
    Guarded([this] {
        StopTimer(EngineTimer::Transfer);
        if (!state_.Waiting()) return; // nothing to wait for: the timer rests
        SetTimerInterval(EngineTimer::Transfer, kTransferInterval);
        const qint64 now = clock_.NowMs();
        turnGapMs_ = now - lastTurnMs_;
        lastTurnMs_ = now;
        if (link_.Connected()) ReadArrived();
        if (!link_.Connected()) {
            // The cable went (or the model asks for the other one): the exchange cannot
            // finish, and the window must come back enabled.
            link_.CloseLink();
            NoAnswer();
            return;
        }
        Turn();
        if (state_.Waiting()) StartTimer(EngineTimer::Transfer);
    });
    DeliverOutcomes();
    // The tick that closed the first half of "Read all" / "Write all" starts the second.
    if (!bracketOpen_) Guarded([this] { ContinueAll(); });
    DeliverOutcomes();
}

// One turn of the exchange in progress, after what arrived has been read.
void Communicator::Turn() {
    if (state_.step == WaitStep::Quiet) {
        QuietStep();
        return;
    }
    // Stood still in the middle of the parameter write: the door phone may have dropped
    // it, and would take the next byte for a new command.
    if (Stalled() && CommandHalfSent()) {
        Resync(true);
        return;
    }
    for (;;) {
        if (state_.step == WaitStep::Reply) TakeReplies();
        if (state_.step != WaitStep::Next) break;
        SendNext();
        // An answer that came together with the one just taken ("DZ") is taken now.
        if (state_.step != WaitStep::Reply || arrived_.isEmpty()) break;
    }
    if (state_.step != WaitStep::Reply || !TimeoutElapsed()) return;
    const qint64 silence = clock_.NowMs() - state_.lastByteMs;
    if (Stalled() && turnGapMs_ * 2 > silence) {
        // The program itself was not running for most of the wait: the door phone has had
        // no fair chance to answer, so the line gets a fresh wait.
        StartWait(AnswerBytes(state_.exchange));
        return;
    }
    TimeoutStep();
}

// The answer came: the next request, record or byte.
void Communicator::SendNext() {
    switch (state_.exchange) {
    case Exchange::ReadNumbers: {
        const int next = NextRecord(state_.chunkNumber);
        if (next > kLastRecord) {
            Finish(ExchangeEnd::Done);
            return;
        }
        SetProgress(ChunkProgress(next));
        Messages();
        RequestRecord(next);
        return;
    }
    case Exchange::WriteNumbers: {
        const int next = NextRecord(state_.chunkNumber);
        SetProgress(ChunkProgress(next));
        Messages();
        SendRecord(next);
        return;
    }
    case Exchange::WriteParameters: SendParameterByte(); return;
    default: state_.step = WaitStep::Reply; return;
    }
}

// A parameter write: every accepted byte is followed by the next one. Byte 256 is never
// sent, but a "D" after byte 255 still adds it to the trail; past that the block has
// nothing more to add.
void Communicator::SendParameterByte() {
    int& pos = state_.parameterPosition;
    if (pos == 0) {
        QString error;
        if (!parametersEncoded_ && !EncodeParameters(&error)) {
            Finish(ExchangeEnd::Refused, error, MsgIcon::Error);
            return;
        }
        pos = 1;
    }
    if (pos < kParameterBlockSize) {
        if (!TakeLeftovers()) return;
        // The byte continues the write that "W" "P" began.
        if (!SendByte(state_.parameterOutput[pos], kBytePauseMs, true)) {
            Resync(true);
            return;
        }
    }
    if (pos <= kParameterBlockSize) {
        state_.byteTrail += QLatin1Char('-') + QString::number(state_.parameterOutput[pos]);
        ++pos;
    }
    // The next answer: the "D" of the byte just sent, or after the last byte the "Z".
    StartWait(kAnswerLength);
    state_.step = WaitStep::Reply;
}

void Communicator::TimeoutStep() {
    // A record answered with something that starts with "E" is asked for or sent again,
    // up to a limit counted since the last parameter write.
    if (IsNumberExchange(state_.exchange) && arrived_.startsWith(kRefused)) {
        state_.reply = Chars(arrived_);
        arrived_.clear();
        ++state_.retryCount;
        if (state_.retryCount > kMaxChunkRetries) {
            Finish(ExchangeEnd::Failed, Msg(keys::kNumbersNotExchanged));
            return;
        }
        // The same record again: the next turn requests or sends it anew.
        state_.chunkNumber = PreviousRecord(state_.chunkNumber);
        state_.step = WaitStep::Next;
        StartWait(AnswerBytes(state_.exchange));
        return;
    }
    if (Repeatable(state_.exchange) && state_.repeatsAfterLoss < kRepeatsAfterLoss) {
        Resync(false);
        return;
    }
    NoAnswer();
}

// Losing step and finding it again: from now on nothing goes out until the line has been
// quiet for longer than the door phone keeps a half command; then the request in transfer
// goes again from its first byte.
void Communicator::Resync(bool afterStall) {
    if (afterStall ? ++state_.repeatsAfterStall > kRepeatsAfterStall
                   : ++state_.repeatsAfterLoss > kRepeatsAfterLoss) {
        NoAnswer();
        return;
    }
    Log(afterStall ? QStringLiteral("Again after a pause of the program")
                   : QStringLiteral("Again after a lost answer"));
    const qint64 now = clock_.NowMs();
    state_.step = WaitStep::Quiet;
    state_.lastByteMs = now;
    state_.deadlineMs = now + kResyncLimitMs;
    arrived_.clear();
}

void Communicator::QuietStep() {
    const qint64 now = clock_.NowMs();
    arrived_.clear(); // whatever still comes belongs to the request that was lost
    if (now - state_.lastByteMs >= kResyncQuietMs) {
        Repeat();
        return;
    }
    if (now > state_.deadlineMs) NoAnswer(); // a line that never falls quiet
}

// The request in transfer, again from its first byte.
void Communicator::Repeat() {
    switch (state_.exchange) {
    case Exchange::ReadParameters: RequestParameters(); return;
    case Exchange::ReadNumbers: RequestRecord(state_.chunkNumber); return;
    case Exchange::WriteParameters: StartParameterWrite(); return;
    case Exchange::WriteNumbers: SendRecord(state_.chunkNumber); return;
    case Exchange::SetClock:
        if (SendClock())
            Finish(ExchangeEnd::Done);
        else
            Resync(true);
        return;
    case Exchange::DayNight:
        if (SendDayNight())
            Finish(ExchangeEnd::Done);
        else
            Resync(true);
        return;
    case Exchange::Status:
    case Exchange::None: NoAnswer(); return;
    }
}

// No answer in time. A transfer the user started says so every time. The status poll
// says so once: while the door phone stays silent the status line shows it and the poll
// goes on asking without a box, and no box ever covers the close question.
void Communicator::NoAnswer() {
    const bool poll = state_.exchange == Exchange::Status;
    const bool tell = !poll || (!status_.silent && !closing_);
    status_.silent = true;
    arrived_.clear();
    Finish(ExchangeEnd::Failed, tell ? Msg(keys::kNoAnswer) : QString());
}

// ---- Timer2: the poll timer ---------------------------------------------------------------

void Communicator::PollTick() {
    if (!timer2_.running) return;
    timer2_.due = clock_.NowMs() + timer2_.interval;
    if (busy_ > 0) return;
    Guarded([this] {
        if (ContinueAll()) return;
        // A cable of the kind no longer wanted is let go.
        if (!link_.Connected() && link_.Link()) link_.CloseLink();
        try {
            link_.ConnectAttempt();
        } catch (...) { StopTimer(EngineTimer::Transfer); }
        SetCommandsEnabled(link_.Connected());

        // One status request at a time: a request still waiting runs to its answer or its
        // time-out (longer than the poll's second) before the next one goes out. A wait
        // whose timer was stopped (the cable went, another window paused the timers)
        // never ends by itself; the next request takes its place.
        const bool statusPending =
            state_.Waiting() && state_.exchange == Exchange::Status && timer1_.running;
        bool requested = false;
        if (status_.pollingAllowed && !statusPending && !bracketOpen_ && link_.Connected() &&
            link_.Link()) {
            RequestStatus();
            requested = true;
        }
        // The tick shows the answer that came since the tick before; without one its
        // fields are empty. The status itself is kept: the writes and the backups use the
        // last one the door phone gave.
        const bool fresh = status_.fresh;
        status_.fresh = false;
        if (!link_.Connected()) ForgetStatus(); // another door phone may come next
        const QString version = fresh ? status_.versionText : QString();
        if (requested && version != status_.lastReportedVersion) ConnectionReport(version);

        host_.ShowStatus(status_, fresh);
        label4_ = fresh ? status_.deviceTimeText : QString();
        host_.SetClockLabels(label4_, PcClockText(clock_.CurrentDateTime()));
        host_.ShowDayNightImages(status_.dayMode, !status_.dayMode);
        SetTimerInterval(EngineTimer::Poll, kPollInterval);
    });
    DeliverOutcomes();
}

void Communicator::RequestStatus() {
    lastTurnMs_ = clock_.NowMs();
    state_.exchange = Exchange::Status;
    state_.expectedLength = kStatusReplyLength;
    StartTimer(EngineTimer::Transfer);
    DiscardArrived();
    SendByte(kStatus, 0, false);
    StartWait(kStatusReplyLength);
    state_.step = WaitStep::Reply;
}

void Communicator::ForgetStatus() {
    status_.versionText.clear();
    status_.deviceTimeText.clear();
    status_.resetsText.clear();
    status_.fresh = false;
}

void Communicator::ConnectionReport(const QString& version) {
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
