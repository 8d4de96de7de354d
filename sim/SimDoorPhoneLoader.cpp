// The simulated door phone's resident firmware loader.

#include "SimDoorPhone.h"

#include <QDir>
#include <QSaveFile>
#include <QtGlobal>

namespace {

constexpr uint8_t kFirstStart = 'F';
constexpr uint8_t kStart = 'x';
constexpr uint8_t kPoll = 'w';
constexpr int kBlockBytes = 10;
constexpr int kFirstWord = 4;
constexpr int kLastWord = 0x1DFF;
constexpr int kEndBlockAddress = 0xFF55; // "U" and 0xFF: the end block

void SaveFirmware(const QString& dir, const QByteArray& memory) {
    if (dir.isEmpty() || !QDir().mkpath(dir)) return;
    QSaveFile file(QDir(dir).filePath(QLatin1String(SimDoorPhone::kFirmwareFile)));
    if (file.open(QIODevice::WriteOnly) && file.write(memory) == memory.size() && file.flush())
        file.commit();
    else
        file.cancelWriting();
}

bool Fires(int& at, int count) {
    if (at <= 0 || at != count) return false;
    at = 0;
    return true;
}

} // namespace

bool SimDoorPhone::LoaderTakes(uint8_t byte, double atMs, bool idle) {
    if (loader_ == LoaderState::Off) {
        if (!idle || (byte != kFirstStart && byte != kStart)) return false;
        loader_ = LoaderState::Waiting;
        loaderMemory_ = QByteArray(kFirmwareBytes, char(0xFF));
        loaderBlock_.clear();
        loaderBytes_ = 0;
        loaderBlocksTaken_ = 0;
        return true;
    }
    // Before its "Y" the loader knows only its start bytes and "w": anything else means the
    // "F" or "x" was a stray data byte, and the door phone carries on with its commands.
    if (loader_ == LoaderState::Waiting && byte != kPoll && byte != kFirstStart && byte != kStart) {
        loader_ = LoaderState::Off;
        return false;
    }
    LoaderByte(byte, atMs);
    return true;
}

void SimDoorPhone::LoaderByte(uint8_t byte, double atMs) {
    double answerAt = atMs + timing_.loaderAnswerMs;
    if (loader_ == LoaderState::Waiting) {
        // "F" and "x" again only start it again.
        if (byte == kPoll && !loaderFaults_.neverReady) {
            loader_ = LoaderState::Programming;
            loaderLastMs_ = atMs;
            Answer("Y", answerAt);
        }
        return;
    }
    // A block left half-received this long is dropped: the program sends it again from
    // its first byte after a quiet line.
    if (!loaderBlock_.isEmpty() && atMs - loaderLastMs_ > kLoaderBlockGapMs) loaderBlock_.clear();
    loaderLastMs_ = atMs;
    loaderBlock_.append(char(byte));
    const int n = ++loaderBytes_;
    if (Fires(loaderFaults_.stallAtByte, n)) answerAt += loaderFaults_.stallMs;
    if (Fires(loaderFaults_.silentAtByte, n)) return;
    if (Fires(loaderFaults_.okAtByte, n)) {
        if (loaderBlock_.size() == kBlockBytes) LoaderBlock(-1);
        Answer("OK", answerAt);
        return;
    }
    if (Fires(loaderFaults_.blockTakenAtByte, n)) {
        loaderBlock_.clear();
        Answer("K", answerAt);
        return;
    }
    if (Fires(loaderFaults_.restartAtByte, n)) {
        loaderBlock_.clear();
        Answer("P", answerAt);
        return;
    }
    if (loaderBlock_.size() < kBlockBytes)
        Answer("O", answerAt);
    else
        LoaderBlock(answerAt);
}

// A whole block has come: stores it and answers (unless answerAt < 0).
void SimDoorPhone::LoaderBlock(double answerAt) {
    const QByteArray block = loaderBlock_;
    loaderBlock_.clear();
    const int word = uint8_t(block[0]) | (uint8_t(block[1]) << 8);
    const auto answer = [&](const char* text) {
        if (answerAt >= 0) Answer(text, answerAt);
    };
    if (word == kEndBlockAddress) {
        firmware_ = loaderMemory_;
        loader_ = LoaderState::Off;
        SaveFirmware(stateDir_, firmware_);
        answer("Z");
        return;
    }
    const int number = loaderBlocksTaken_ + 1;
    if (Fires(loaderFaults_.errorAtBlock, number) || word < kFirstWord || word > kLastWord) {
        loader_ = LoaderState::Off;
        answer("E");
        return;
    }
    ++loaderBlocksTaken_;
    for (int i = 0; i < kBlockBytes - 2; ++i) {
        const int at = 2 * word + i;
        if (at < loaderMemory_.size()) loaderMemory_[at] = block[2 + i];
    }
    answer("K");
}
