// The tone window's sound path, for a test against a real sound server:
//   tone_probe play FILE.WAV        plays the file as the tone window's button does, then
//                                   ends at once (the window, its player and the voice go)
//   tone_probe compare FILE.WAV REC.raw
//                                   compares a recording (signed 16-bit, 8 kHz, mono) with
//                                   the file: the same number of beeps, and at least 90 % of
//                                   the file's sound (less one 10 ms window); exit 0 when
//                                   it holds
#include "DesktopServices.h"
#include "ToneWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstdio>

namespace {

struct Sound {
    int beeps = 0;     // runs of sound parted by 30 ms of silence or more
    int audibleMs = 0; // 10 ms windows with sound
    double energy = 0; // the sum of the squared samples, for one second of samples
};

// Samples of a PCM WAV (16-bit or 8-bit, mono) or of a raw 16-bit recording, as -32768 ..
// 32767, and their rate.
std::vector<int> Samples(const QString& path, int* rate) {
    QFile f(path);
    std::vector<int> out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    const QByteArray d = f.readAll();
    *rate = 8000;
    qsizetype at = 0, end = d.size();
    int bits = 16;
    if (d.startsWith("RIFF")) {
        for (qsizetype c = 12; c + 8 <= d.size();) {
            const QByteArray id = d.mid(c, 4);
            const auto size = qsizetype(qFromLittleEndian<quint32>(d.constData() + c + 4));
            if (id == "fmt ") {
                *rate = int(qFromLittleEndian<quint32>(d.constData() + c + 12));
                bits = qFromLittleEndian<quint16>(d.constData() + c + 22);
            }
            if (id == "data") {
                at = c + 8;
                end = qMin(d.size(), at + size);
                break;
            }
            c += 8 + size + (size & 1);
        }
    }
    if (bits == 8) {
        for (qsizetype i = at; i < end; ++i) out.push_back((int(quint8(d[i])) - 128) * 256);
    } else {
        for (qsizetype i = at; i + 1 < end; i += 2)
            out.push_back(qFromLittleEndian<qint16>(d.constData() + i));
    }
    return out;
}

Sound Measure(const QString& path) {
    int rate = 8000;
    const std::vector<int> s = Samples(path, &rate);
    const std::size_t window = std::size_t(rate / 100);
    Sound out;
    int silentWindows = 1000;
    for (std::size_t start = 0; window > 0 && start + window <= s.size(); start += window) {
        double energy = 0;
        for (std::size_t i = start; i < start + window; ++i) energy += double(s[i]) * s[i];
        out.energy += energy / rate;
        const bool audible = std::sqrt(energy / double(window)) > 300;
        if (audible) {
            if (silentWindows >= 3) ++out.beeps;
            silentWindows = 0;
            out.audibleMs += 10;
        } else {
            ++silentWindows;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "compare") {
        const Sound want = Measure(QString::fromLocal8Bit(argv[2]));
        const Sound got = Measure(QString::fromLocal8Bit(argv[3]));
        std::printf("%s: %d beeps, %d ms of sound; heard %d beeps, %d ms, %.0f %% of the energy\n",
                    argv[2], want.beeps, want.audibleMs, got.beeps, got.audibleMs,
                    want.energy > 0 ? 100 * got.energy / want.energy : 0.0);
        // One 10 ms window may fall either way at each end of a short click.
        const bool whole = want.beeps > 0 && got.beeps == want.beeps &&
                           got.audibleMs * 10 >= want.audibleMs * 9 - 100;
        return whole ? 0 : 1;
    }
    if (argc != 3 || QByteArray(argv[1]) != "play") {
        std::fputs("usage: tone_probe play FILE.WAV | compare FILE.WAV REC.raw\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    const QString file = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    const DesktopServices desktop = DesktopServices().Completed();
    if (!desktop.hasAudioOutput()) {
        std::fputs("tone_probe: no audio output\n", stderr);
        return 3;
    }
    TForm6 tones({nullptr, [&](const QString&) { return file; }, desktop.playSound});
    tones.ButtonClick(QStringLiteral("Button1"));
    return 0;
}
