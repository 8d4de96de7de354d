#include "SimDoorPhone.h"

#include "Clock.h"
#include "Defaults.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <limits>

namespace {

const char* const kParametersFile = "parameters.bin";
const char* const kNumbersFile = "numbers.bin";

int Bcd(int value) {
    return (value / 10) * 16 + value % 10;
}

int FromBcd(int value) {
    return (value >> 4) * 10 + (value & 0x0F);
}

bool WriteWhole(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush()) {
        if (error) *error = path + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

} // namespace

SimDoorPhone::SimDoorPhone(ClockPort& clock)
    : clock_(clock), parameters_(FactoryParameters()),
      numbers_(kRecordCount * kRecordBytes, char(0xFF)) {
    deviceEpoch_ = clock_.CurrentDateTime();
    deviceEpochMs_ = clock_.NowMs();
}

SimDoorPhone::~SimDoorPhone() {
    if (!stateDir_.isEmpty()) SaveTo(stateDir_);
}

QByteArray SimDoorPhone::FactoryParameters() {
    static const QByteArray factory = [] {
        SettingsModel model;
        ApplyBuiltInDefaults(model);
        const EncodeResult encoded = EncodeParameterBlock(model, DoorPhoneState{true, QString()});
        if (encoded.ok && encoded.bytes.size() == kParameterBytes) return encoded.bytes;
        QByteArray plain(kParameterBytes, char(0xFF));
        plain[kValidityMarkerByte - 1] = char(kValidityMarker);
        return plain;
    }();
    return factory;
}

int SimDoorPhone::RecordIndex(int record) {
    if (record >= 1 && record <= 99) return record - 1;
    if (record >= 101 && record <= 199) return record - 2;
    return -1;
}

void SimDoorPhone::SetParameters(const QByteArray& block) {
    parameters_ = block.left(kParameterBytes);
    if (parameters_.size() < kParameterBytes)
        parameters_.append(QByteArray(kParameterBytes - parameters_.size(), char(0xFF)));
}

QByteArray SimDoorPhone::Record(int record) const {
    const int index = RecordIndex(record);
    return index < 0 ? QByteArray() : numbers_.mid(index * kRecordBytes, kRecordBytes);
}

void SimDoorPhone::SetRecord(int record, const QByteArray& bytes) {
    const int index = RecordIndex(record);
    if (index < 0) return;
    QByteArray padded = bytes.left(kRecordBytes);
    padded.append(QByteArray(kRecordBytes - padded.size(), char(0xFF)));
    numbers_.replace(index * kRecordBytes, kRecordBytes, padded);
}

bool SimDoorPhone::LoadFrom(const QString& dir, QString* error) {
    bool ok = true;
    const auto load = [&](const char* name, int size, QByteArray& into) {
        QFile file(QDir(dir).filePath(QString::fromLatin1(name)));
        if (!file.exists()) return;
        if (!file.open(QIODevice::ReadOnly)) {
            ok = false;
            if (error) *error = file.fileName() + QStringLiteral(": ") + file.errorString();
            return;
        }
        const QByteArray data = file.readAll();
        if (data.size() != size) {
            // A file of another size is not this memory: keep what we have.
            ok = false;
            if (error)
                *error = file.fileName() +
                         QStringLiteral(": %1 bytes, expected %2").arg(data.size()).arg(size);
            return;
        }
        into = data;
    };
    load(kParametersFile, kParameterBytes, parameters_);
    load(kNumbersFile, kRecordCount * kRecordBytes, numbers_);
    return ok;
}

bool SimDoorPhone::SaveTo(const QString& dir, QString* error) const {
    if (!QDir().mkpath(dir)) {
        if (error) *error = dir + QStringLiteral(": cannot create the folder");
        return false;
    }
    return WriteWhole(QDir(dir).filePath(QString::fromLatin1(kParametersFile)), parameters_,
                      error) &&
           WriteWhole(QDir(dir).filePath(QString::fromLatin1(kNumbersFile)), numbers_, error);
}

// The memory is saved once the answers of the write have gone out: a door phone answers
// first, and a save that waits for the disk must not hold the "Z" behind the "D".
void SimDoorPhone::AutoSave() {
    if (!stateDir_.isEmpty()) saveDue_ = true;
}

void SimDoorPhone::SaveIfDue() {
    if (!saveDue_ || !outgoing_.empty()) return;
    saveDue_ = false;
    SaveTo(stateDir_);
}

QDateTime SimDoorPhone::DeviceTime() const {
    return deviceEpoch_.addMSecs(clock_.NowMs() - deviceEpochMs_);
}

void SimDoorPhone::SetDeviceTime(const QDateTime& at) {
    deviceEpoch_ = at;
    deviceEpochMs_ = clock_.NowMs();
}

void SimDoorPhone::ClearLineRecord() {
    received_.clear();
    bytesToHost_ = 0;
    parameterWrites_ = 0;
    recordWrites_ = 0;
    clockSets_ = 0;
    errorsFired_ = 0;
}

void SimDoorPhone::AttachTo(SimCableBackend& backend) {
    onUnplug = [this, &backend] {
        for (int i = 0; i < backend.CableCount(); ++i)
            if (backend.CableAt(i).farEnd.get() == this) backend.SetPlugged(i, false);
    };
}

void SimDoorPhone::FireUnplug() {
    unplugPending_ = false;
    if (onUnplug) onUnplug();
}

// ---- the line -----------------------------------------------------------------------------

void SimDoorPhone::OnByteFromHost(uint8_t byte, qint64 atMs) {
    ByteFromHostAt(byte, double(atMs));
}

QByteArray SimDoorPhone::TakeBytesForHost(qint64 nowMs) {
    return TakeBytesAt(double(nowMs));
}

double SimDoorPhone::NextEventMs() const {
    double next = std::numeric_limits<double>::infinity();
    if (!incoming_.empty()) next = incoming_.front().arriveMs;
    if (!outgoing_.empty()) next = std::min(next, outgoing_.front().handOverMs);
    return next;
}

void SimDoorPhone::ByteFromHostAt(uint8_t byte, double atMs) {
    if (unplugPending_) FireUnplug();
    if (dead_) return;
    received_.append(char(byte));
    const double arrive = std::max(atMs, inLineFree_) + ByteMs();
    inLineFree_ = arrive;
    incoming_.push_back({byte, arrive});
    if (faults_.unplugAfterBytesFromHost > 0 &&
        received_.size() >= faults_.unplugAfterBytesFromHost) {
        faults_.unplugAfterBytesFromHost = 0;
        dead_ = true;
        incoming_.clear();
        outgoing_.clear();
        FireUnplug();
        return;
    }
    Advance(atMs);
}

QByteArray SimDoorPhone::TakeBytesAt(double nowMs) {
    if (unplugPending_) {
        FireUnplug();
        return QByteArray();
    }
    if (dead_) return QByteArray();
    // What was handed over at the last call is on its way by now.
    SaveIfDue();
    Advance(nowMs);
    QByteArray out;
    while (!outgoing_.empty() && outgoing_.front().handOverMs <= nowMs) {
        out += outgoing_.front().bytes;
        outgoing_.pop_front();
    }
    const int limit = faults_.unplugAfterBytesToHost;
    if (limit > 0 && bytesToHost_ + out.size() >= limit) {
        // The program still gets the bytes up to the chosen one; the cable is pulled at
        // the next contact.
        out.truncate(int(limit - bytesToHost_));
        faults_.unplugAfterBytesToHost = 0;
        dead_ = true;
        unplugPending_ = true;
        incoming_.clear();
        outgoing_.clear();
    }
    bytesToHost_ += out.size();
    return out;
}

void SimDoorPhone::OnOpen() {
    // A fresh opening starts from a quiet line: nothing half-said is left in the chip.
    dead_ = false;
    outgoing_.clear();
    mode_ = Mode::Idle;
}

void SimDoorPhone::OnClose() {
    if (!dead_) Advance(double(clock_.NowMs()));
    outgoing_.clear();
}

void SimDoorPhone::Settle() {
    Advance(std::numeric_limits<double>::infinity());
}

void SimDoorPhone::StoodStill(double ms) {
    lastCommandByteMs_ += ms;
    loaderLastMs_ += ms;
}

void SimDoorPhone::SendToHost(const QByteArray& bytes) {
    Answer(bytes, double(clock_.NowMs()));
}

void SimDoorPhone::Advance(double nowMs) {
    while (!incoming_.empty() && incoming_.front().arriveMs <= nowMs) {
        const Incoming in = incoming_.front();
        incoming_.pop_front();
        Process(in.byte, in.arriveMs);
    }
}

void SimDoorPhone::Answer(const QByteArray& bytes, double readyAtMs) {
    if (dead_ || bytes.isEmpty()) return;
    QByteArray data = faults_.garbageBeforeReply + bytes;
    faults_.garbageBeforeReply.clear();
    const int piece =
        faults_.splitBytes > 0 ? faults_.splitBytes : std::max(1, timing_.packetBytes);
    double t = std::max(readyAtMs, outLineFree_);
    for (int i = 0; i < data.size();) {
        const int n = std::min(piece, int(data.size()) - i);
        t += n * ByteMs();
        outgoing_.push_back({data.mid(i, n), t});
        i += n;
        if (faults_.splitBytes > 0 && i < data.size()) t += faults_.splitGapMs;
    }
    outLineFree_ = t;
}

bool SimDoorPhone::RecordFault(int record) {
    if (faults_.errorAtRecord == 0 || record != faults_.errorAtRecord) return false;
    if (faults_.errorRepeats >= 0 && errorsFired_ >= faults_.errorRepeats) return false;
    ++errorsFired_;
    return true;
}

// ---- the door phone's command handling ----------------------------------------------------

void SimDoorPhone::StatusReply(double atMs) {
    const QDateTime now = deviceEpoch_.addMSecs(qint64(atMs) - deviceEpochMs_);
    const QDate d = now.date();
    const QTime t = now.time();
    QByteArray reply;
    const auto pair = [&reply](char tag, int value) {
        reply.append(tag);
        reply.append(char(value & 0xFF));
    };
    pair('S', Bcd(t.second()));
    pair('N', Bcd(t.minute()));
    pair('H', Bcd(t.hour()));
    pair('R', Bcd(d.year() % 100));
    pair('M', Bcd(d.month()));
    pair('D', Bcd(d.day()));
    pair('V', version);
    pair('I', resets & 0xFF);
    pair('J', (resets >> 8) & 0xFF);
    pair('G', dayMode ? 'D' : 'N');
    if (faults_.statusLength < reply.size()) reply.truncate(std::max(0, faults_.statusLength));
    while (reply.size() < faults_.statusLength) reply.append('\0');
    Answer(reply, atMs + timing_.answerMs);
}

void SimDoorPhone::ApplyClockCommand() {
    const QByteArray& c = pending_;
    if (c.size() != 17 || c[2] != 'S' || c[4] != 'N' || c[6] != 'H' || c[8] != 'R' ||
        c[10] != 'M' || c[12] != 'D' || c[14] != 'W' || c[16] != '~')
        return;
    const auto v = [&c](int i) { return FromBcd(uint8_t(c[i])); };
    const QDate date(2000 + v(9), v(11), v(13));
    const QTime time(v(7), v(5), v(3));
    if (!date.isValid() || !time.isValid()) return;
    SetDeviceTime(QDateTime(date, time));
    ++clockSets_;
}

void SimDoorPhone::Process(uint8_t byte, double atMs) {
    if (faults_.silent) return;
    // The program gave up on the command (a time-out): the door phone drops it too, so
    // its next request is not taken as data and the memory keeps what it held. The
    // silence counts from the last byte either way: a slow answer of its own is not one.
    if (mode_ != Mode::Idle &&
        atMs - std::max(lastCommandByteMs_, outLineFree_) >= kAbandonCommandMs) {
        mode_ = Mode::Idle;
        pending_.clear();
    }
    lastCommandByteMs_ = atMs;
    if (LoaderTakes(byte, atMs, mode_ == Mode::Idle)) return;
    const double answerAt = atMs + timing_.answerMs;
    switch (mode_) {
    case Mode::Idle:
        if (byte == 'V')
            StatusReply(atMs);
        else if (byte == 'R')
            mode_ = Mode::Read;
        else if (byte == 'W')
            mode_ = Mode::Write;
        else
            OnOtherCommand(byte, atMs);
        return;
    case Mode::Read:
        mode_ = Mode::Idle;
        if (byte == 'P') {
            QByteArray reply = parameters_;
            if (faults_.parameterLength < reply.size())
                reply.truncate(std::max(0, faults_.parameterLength));
            while (reply.size() < faults_.parameterLength) reply.append(char(0xFF));
            Answer(reply, answerAt);
        } else if (byte == 'T') {
            mode_ = Mode::ReadRecord;
        }
        return;
    case Mode::ReadRecord:
        mode_ = Mode::Idle;
        if (RecordFault(byte))
            Answer(faults_.errorText, answerAt);
        else if (RecordIndex(byte) < 0)
            Answer("E", answerAt);
        else
            Answer(Record(byte), answerAt);
        return;
    case Mode::Write:
        mode_ = Mode::Idle;
        pending_.clear();
        if (byte == 'P')
            mode_ = Mode::WriteParams;
        else if (byte == 'T')
            mode_ = Mode::WriteRecordNumber;
        else if (byte == 'C') {
            pending_ = "WC";
            mode_ = Mode::SetClock;
        } else if (byte == 'G')
            dayMode = !dayMode;
        return;
    case Mode::WriteParams: {
        pending_.append(char(byte));
        const int n = pending_.size();
        if (n == faults_.errorAtParameterByte) {
            Answer("E", answerAt);
            mode_ = Mode::Idle;
            return;
        }
        if (n == faults_.answerAtParameterByte) {
            Answer(faults_.parameterAnswer, answerAt);
            if (faults_.parameterAnswer.contains('E')) {
                mode_ = Mode::Idle;
                return;
            }
        } else if (n == faults_.doubleAckAtByte)
            Answer("DD", answerAt);
        else if (n < 255 || timing_.dBeforeZ)
            Answer("D", answerAt);
        if (n == 255) {
            // The block is stored once it is complete; byte 256 is never sent and keeps
            // what the memory held.
            parameters_.replace(0, 255, pending_);
            if (faults_.wrongParameterByte >= 1 && faults_.wrongParameterByte <= 255)
                parameters_[faults_.wrongParameterByte - 1] ^= 0x01;
            ++parameterWrites_;
            AutoSave();
            Answer("Z", answerAt + (timing_.dBeforeZ ? timing_.storeMs : 0));
            mode_ = Mode::Idle;
        }
        return;
    }
    case Mode::WriteRecordNumber:
        record_ = byte;
        pending_.clear();
        mode_ = Mode::WriteRecordData;
        return;
    case Mode::WriteRecordData:
        pending_.append(char(byte));
        if (pending_.size() < kRecordBytes) return;
        mode_ = Mode::Idle;
        if (RecordFault(record_)) {
            Answer(faults_.errorText, answerAt);
        } else if (RecordIndex(record_) < 0) {
            Answer("E", answerAt);
        } else {
            if (record_ == faults_.wrongRecord) pending_[0] = char(pending_[0] ^ 0x01);
            SetRecord(record_, pending_);
            ++recordWrites_;
            AutoSave();
            Answer("Z", answerAt);
        }
        return;
    case Mode::SetClock:
        pending_.append(char(byte));
        if (pending_.size() == 17) {
            ApplyClockCommand();
            mode_ = Mode::Idle;
        }
        return;
    }
}
