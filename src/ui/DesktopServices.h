#pragma once
// What the small windows ask of the desktop: is there a sound output, play a sound file to
// its end, open a link. Each one left empty takes the real desktop's; tests set them.

#include <QString>
#include <functional>

struct DesktopServices {
    std::function<bool()> hasAudioOutput;
    // Plays a WAV file and returns when it has ended (or could not be played).
    std::function<void(const QString& path)> playSound;
    // Opens a "mailto:" or web address exactly as given.
    std::function<void(const QString& address)> openAddress;

    // The services with every empty one filled with the desktop's own.
    DesktopServices Completed() const;
};
