#include "DesktopServices.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

namespace {
bool DesktopHasAudioOutput() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool OpenAddress(const QString& address) {
    return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

quint32 Le32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}

quint16 Le16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}

// A recording streamed to the default audio output. It plays until the device has played
// every sample: the stream's position counts what was heard, not what was handed over.
class StreamVoice : public SoundVoice {
public:
    explicit StreamVoice(const QString& path) {
        WavSound wav;
        if (!ReadWav(path, &wav)) return;
        QAudioFormat format;
        format.setSampleRate(wav.rate);
        format.setChannelCount(wav.channels);
        format.setSampleFormat(wav.bits == 8    ? QAudioFormat::UInt8
                               : wav.bits == 16 ? QAudioFormat::Int16
                                                : QAudioFormat::Int32);
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) return;
        samples_ = wav.samples;
        lengthUs_ = qint64(wav.DurationMs()) * 1000;
        buffer_.setBuffer(&samples_);
        buffer_.open(QIODevice::ReadOnly);
        sink_ = std::make_unique<QAudioSink>(device, format);
        sink_->start(&buffer_);
    }
    ~StreamVoice() override {
        if (sink_) sink_->stop();
    }
    bool Failed() const override {
        if (!sink_) return true;
        const QAudio::Error e = sink_->error();
        return e == QAudio::OpenError || e == QAudio::IOError || e == QAudio::FatalError;
    }
    bool Playing() const override {
        // The position may stop a hair short of the end; the player's own wait covers that.
        constexpr qint64 kEndSlackUs = 20000;
        return sink_ && sink_->state() != QAudio::StoppedState &&
               sink_->processedUSecs() + kEndSlackUs < lengthUs_;
    }

private:
    // Destroyed in reverse: the stream first, then what it reads from.
    QByteArray samples_;
    QBuffer buffer_;
    qint64 lengthUs_ = 0;
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace

int WavSound::DurationMs() const {
    const qint64 bytesPerSecond = qint64(rate) * channels * (bits / 8);
    return bytesPerSecond > 0 ? int(samples.size() * 1000 / bytesPerSecond) : -1;
}

bool ReadWav(const QString& path, WavSound* sound) {
    QFile file(path);
    // The recordings are short; a file many times their size is not one of them.
    constexpr qint64 kMaxBytes = 16 * 1024 * 1024;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes) return false;
    const QByteArray d = file.readAll();
    if (d.size() < 12 || !d.startsWith("RIFF") || d.mid(8, 4) != "WAVE") return false;
    WavSound w;
    bool pcm = false;
    for (qsizetype at = 12; at + 8 <= d.size();) {
        const QByteArray id = d.mid(at, 4);
        const quint32 size = Le32(d.constData() + at + 4);
        const char* body = d.constData() + at + 8;
        if (id == "fmt " && size >= 16 && at + 8 + 16 <= d.size()) {
            pcm = Le16(body) == 1;
            w.channels = Le16(body + 2);
            w.rate = int(Le32(body + 4));
            w.bits = Le16(body + 14);
        } else if (id == "data") {
            // A data size past the end of the file (a recording cut short) takes what is
            // there.
            w.samples = d.mid(at + 8, qsizetype(qMin<qint64>(size, d.size() - (at + 8))));
            const bool usable = pcm && w.channels > 0 && w.rate > 0 &&
                                (w.bits == 8 || w.bits == 16 || w.bits == 32);
            if (!usable) return false;
            *sound = std::move(w);
            return true;
        }
        // Chunks are padded to an even size.
        at += 8 + qsizetype(size) + (size & 1);
    }
    return false;
}

int WavDurationMs(const QString& path) {
    WavSound w;
    return ReadWav(path, &w) ? w.DurationMs() : -1;
}

TonePlayer::TonePlayer(VoiceFactory makeVoice) : makeVoice_(std::move(makeVoice)) {
    if (!makeVoice_)
        makeVoice_ = [](const QString& path) { return std::make_unique<StreamVoice>(path); };
}

TonePlayer::~TonePlayer() = default;

void TonePlayer::PlayToEnd(const QString& path) {
    const int length = WavDurationMs(path);
    // The sound before has long been heard; its voice goes before the next one starts.
    last_.reset();
    std::unique_ptr<SoundVoice> voice = makeVoice_(path);
    if (!voice) return;
    QElapsedTimer clock;
    clock.start();
    qint64 startedAt = -1;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    const auto check = [&] {
        const qint64 now = clock.elapsed();
        const bool playing = voice->Playing();
        if (playing && startedAt < 0) startedAt = now;
        bool done = voice->Failed();
        if (startedAt < 0) {
            // Never started: nothing to wait for once the start is overdue.
            done = done || now >= kStartMs;
        } else {
            const qint64 heard = now - startedAt;
            const qint64 whole = qMax(length, 0) + kDeviceTailMs;
            done = done || (!playing && heard >= whole) || heard >= whole + kGuardMs;
        }
        if (done) loop.quit();
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, check);
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    last_ = std::move(voice);
}

DesktopServices DesktopServices::Completed() const {
    DesktopServices s = *this;
    if (!s.hasAudioOutput) s.hasAudioOutput = DesktopHasAudioOutput;
    if (!s.playSound) {
        // One player for the window's life, so that the last sound's voice outlives it.
        auto player = std::make_shared<TonePlayer>();
        s.playSound = [player](const QString& path) { player->PlayToEnd(path); };
    }
    if (!s.openAddress) s.openAddress = OpenAddress;
    return s;
}
