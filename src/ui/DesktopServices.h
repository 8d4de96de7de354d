#pragma once
// What the small windows ask of the desktop: is there a sound output, play a sound file to
// its end, open a link. Each one left empty takes the real desktop's; tests set them.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

struct DesktopServices {
    std::function<bool()> hasAudioOutput;
    // Plays a WAV file and returns when it has been heard to its end (or could not be
    // played).
    std::function<void(const QString& path)> playSound;
    // Opens a "mailto:" or web address exactly as given; false when nothing on this
    // computer could open it.
    std::function<bool(const QString& address)> openAddress;

    // The services with every empty one filled with the desktop's own.
    DesktopServices Completed() const;
};

// The samples of a PCM WAV recording and their format.
struct WavSound {
    int rate = 0;
    int channels = 0;
    int bits = 0;       // 8 (unsigned), 16 or 32 (signed)
    QByteArray samples; // as they stand in the file; a recording cut short keeps what is there
    int DurationMs() const;
};
// False when the file is missing or not a PCM WAV recording.
bool ReadWav(const QString& path, WavSound* sound);
// The length of a PCM WAV recording in milliseconds; -1 when the file is not one.
int WavDurationMs(const QString& path);

// One sound handed to the audio system: what the tone player needs of it.
class SoundVoice {
public:
    virtual ~SoundVoice() = default;
    // The sound cannot be played (a missing or broken file, no output).
    virtual bool Failed() const = 0;
    // The audio system is still feeding the sound to the device.
    virtual bool Playing() const = 0;
};

// Plays the tone recordings one at a time, each to its end. An audio stream that is closed
// as soon as its last samples have been handed over loses what the sound server still
// holds, up to a few hundred milliseconds: the second beep of a double beep, the last tone
// of a sequence (a sound-effect player does exactly that). So the desktop's voice streams
// the samples itself and counts as playing until the device has played them all; and
// whatever a voice reports, it is waited for at least the recording's own length, counted
// from when it started, plus the device's buffer, and kept until the next sound or the
// player's end.
class TonePlayer {
public:
    using VoiceFactory = std::function<std::unique_ptr<SoundVoice>(const QString& path)>;
    // What the device may still hold when the audio system says the sound has ended.
    static constexpr int kDeviceTailMs = 300;
    // A sound system that never reports the end holds the window this much longer than
    // the recording lasts, at most.
    static constexpr int kGuardMs = 3000;
    // A voice that has not started after this long is not going to.
    static constexpr int kStartMs = 3000;

    // makeVoice: empty for the desktop's own (a stream on the default audio output).
    explicit TonePlayer(VoiceFactory makeVoice = {});
    ~TonePlayer();
    TonePlayer(const TonePlayer&) = delete;
    TonePlayer& operator=(const TonePlayer&) = delete;

    // Plays the file and returns once it has been heard whole, or could not be played.
    // Events other than user input are processed meanwhile.
    void PlayToEnd(const QString& path);

private:
    VoiceFactory makeVoice_;
    std::unique_ptr<SoundVoice> last_;
};
