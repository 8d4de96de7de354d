#include "DesktopServices.h"

#include <QAudioDevice>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace {
bool DesktopHasAudioOutput() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

// The sound is played to its end before the caller goes on, as the tone buttons expect.
void PlayToEnd(const QString& path) {
    QSoundEffect effect;
    QEventLoop loop;
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
        if (!effect.isPlaying()) loop.quit();
    });
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
        if (effect.status() == QSoundEffect::Error) loop.quit();
        if (effect.status() == QSoundEffect::Ready && !effect.isPlaying()) effect.play();
    });
    // Every recording lasts under two seconds; a sound system that never reports the end
    // must not hold the window.
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    effect.setSource(QUrl::fromLocalFile(path));
    if (effect.status() == QSoundEffect::Error) return;
    if (effect.status() == QSoundEffect::Ready) effect.play();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void OpenAddress(const QString& address) {
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}
} // namespace

DesktopServices DesktopServices::Completed() const {
    DesktopServices s = *this;
    if (!s.hasAudioOutput) s.hasAudioOutput = DesktopHasAudioOutput;
    if (!s.playSound) s.playSound = PlayToEnd;
    if (!s.openAddress) s.openAddress = OpenAddress;
    return s;
}
