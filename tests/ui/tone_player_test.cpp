// The tone samples are heard whole: each sound's voice lives until the recording's own length
// (and the device's buffer) has passed, whatever the audio system reports on the way.
#include "DesktopServices.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A PCM WAV file of 8 kHz, mono, 16 bits, `ms` long; extra chunks before the samples when
// asked (recording programs put a LIST chunk there).
void WriteWav(const QString& path, int ms, bool listChunk = false, int claimMs = -1) {
    const quint32 samples = quint32(ms) * 8;
    const quint32 claimed = claimMs < 0 ? samples * 2 : quint32(claimMs) * 16;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(0);
    out.writeRawData("WAVE", 4);
    out.writeRawData("fmt ", 4);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
        << quint16(16);
    if (listChunk) {
        out.writeRawData("LIST", 4);
        out << quint32(5);
        out.writeRawData("INFOx", 5);
        out << quint8(0); // padding to an even size
    }
    out.writeRawData("data", 4);
    out << claimed;
    for (quint32 i = 0; i < samples; ++i) out << qint16((i / 8) % 2 ? 3000 : -3000);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// What a voice did, in milliseconds since the play began.
struct VoiceLog {
    QElapsedTimer clock;
    qint64 created = -1;
    qint64 destroyed = -1;
};

// A voice that starts after startMs and reports "playing" for playMs (-1: for ever), or
// fails at once.
class FakeVoice : public SoundVoice {
public:
    FakeVoice(VoiceLog& log, int startMs, int playMs, bool fails)
        : log_(log), startMs_(startMs), playMs_(playMs), fails_(fails) {
        log_.created = log_.clock.elapsed();
    }
    ~FakeVoice() override { log_.destroyed = log_.clock.elapsed(); }
    bool Failed() const override { return fails_; }
    bool Playing() const override {
        if (fails_ || startMs_ < 0) return false;
        const qint64 t = log_.clock.elapsed() - log_.created;
        return t >= startMs_ && (playMs_ < 0 || t < startMs_ + playMs_);
    }

private:
    VoiceLog& log_;
    int startMs_, playMs_;
    bool fails_;
};

} // namespace

TEST(TonePlayer, EachSoundOutlivesItsOwnLength) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("tone.wav");
    WriteWav(wav, 400);
    const QString notWav = dir.filePath("tone.txt");
    {
        QFile f(notWav);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a recording");
    }
    const int tail = TonePlayer::kDeviceTailMs;
    const int guard = TonePlayer::kGuardMs;
    struct Case {
        const char* what;
        QString file;
        int startMs, playMs; // what the audio system reports
        bool fails;
        int atLeast; // the play returns no earlier, and the voice lives at least this long
        int atMost;  // ... and returns no later (before the slack of a loaded machine)
    } cases[] = {
        // The case that cut the tones: "ended" reported while the device still plays.
        {"reported ended early", wav, 20, 200, false, 20 + 400 + tail, 20 + 400 + tail},
        {"reported ended late", wav, 0, 900, false, 900, 900},
        {"never reported ended", wav, 0, -1, false, 400 + tail + guard, 400 + tail + guard},
        {"fails to load", wav, 0, 0, true, 0, 0},
        {"never starts", wav, -1, 0, false, TonePlayer::kStartMs, TonePlayer::kStartMs},
        {"length unknown", notWav, 0, 50, false, tail, tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VoiceLog log;
        log.clock.start();
        {
            TonePlayer player([&](const QString&) {
                return std::make_unique<FakeVoice>(log, c.startMs, c.playMs, c.fails);
            });
            player.PlayToEnd(c.file);
            const qint64 returned = log.clock.elapsed();
            EXPECT_GE(returned, c.atLeast);
            EXPECT_LE(returned, c.atMost + 1500);
            // The voice is kept past the return: the device may still hold its last samples.
            EXPECT_EQ(log.destroyed, -1);
        }
        EXPECT_GE(log.destroyed - log.created, c.atLeast);
    }
}

TEST(TonePlayer, TheNextSoundReleasesTheLastOne) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("short.wav");
    WriteWav(wav, 50);
    VoiceLog first, second;
    first.clock.start();
    second.clock.start();
    int made = 0;
    TonePlayer player([&](const QString&) {
        ++made;
        return std::make_unique<FakeVoice>(made == 1 ? first : second, 0, 100, false);
    });
    player.PlayToEnd(wav);
    EXPECT_EQ(first.destroyed, -1);
    player.PlayToEnd(wav);
    // Released before the second voice was made, so two never play over each other.
    EXPECT_GE(first.destroyed, 0);
    EXPECT_LE(first.destroyed, second.created);
    EXPECT_EQ(second.destroyed, -1);
}

TEST(TonePlayer, WavLengthFromTheHeader) {
    QTemporaryDir dir;
    struct Case {
        const char* what;
        int ms;
        bool listChunk;
        int claimMs; // what the header says, -1: the truth
        int expected;
    } cases[] = {
        {"plain", 1250, false, -1, 1250},
        {"a chunk before the samples", 300, true, -1, 300},
        {"header claims more than the file holds", 200, false, 5000, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QString::fromLatin1(c.what) + ".wav");
        WriteWav(path, c.ms, c.listChunk, c.claimMs);
        EXPECT_EQ(WavDurationMs(path), c.expected);
    }
    EXPECT_EQ(WavDurationMs(dir.filePath("missing.wav")), -1);
    // A shipped recording: 8 kHz, 16 bits, 3520 samples.
    EXPECT_EQ(WavDurationMs(QStringLiteral(NORVA_SOURCE_DIR "/assets/Error.WAV")), 440);
}
