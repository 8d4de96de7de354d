// Synthesises the door phone's signalling tones as the WAV files of the tone samples window
// (8 kHz, mono, 16-bit PCM, each well under two seconds). Run by hand when a tone changes:
//   ninja -C build make_tones && build/bin/make_tones assets
// The files are committed in assets/ and copied beside the program with the other assets.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 8000;
constexpr double kPi = 3.14159265358979323846;

// One piece of a tone: a frequency (0 = silence) or a sweep from `hz` to `toHz`.
struct Piece {
    double hz;
    int ms;
    double toHz = -1;
};

struct Tone {
    const char* file;
    std::vector<Piece> pieces;
};

// The door phone's tones: beeps of its small loudspeaker, as the installer hears them on
// the line. Rising pairs and triples for picking up, falling ones for hanging up.
const Tone kTones[] = {
    {"Pickup1.WAV", {{600, 150}, {0, 60}, {900, 150}}},
    {"Pickup2.WAV", {{600, 120}, {0, 50}, {750, 120}, {0, 50}, {900, 120}}},
    {"Hangup1.WAV", {{900, 150}, {0, 60}, {600, 150}}},
    {"Hangup2.WAV", {{900, 120}, {0, 50}, {750, 120}, {0, 50}, {600, 120}}},
    {"Confirm.WAV", {{1000, 300}}},
    {"Error.WAV", {{400, 100}, {0, 70}, {400, 100}, {0, 70}, {400, 100}}},
    {"Tick.WAV", {{1500, 30}, {0, 100}}},
    {"Lock.WAV",
     {{800, 100},
      {1000, 100},
      {800, 100},
      {1000, 100},
      {800, 100},
      {1000, 100},
      {800, 100},
      {1000, 100}}},
    {"Start.WAV", {{523, 150}, {659, 150}, {784, 150}, {1047, 300}}},
    {"Entertoprogram.WAV", {{400, 600, 1200}, {0, 60}, {1200, 120}}},
    {"Programing.WAV", {{1200, 100}, {0, 80}, {1200, 100}}},
    {"Emptymemory.WAV", {{300, 200}, {0, 100}, {300, 200}, {0, 100}, {300, 400}}},
    {"Allert.WAV",
     {{1400, 80},
      {0, 80},
      {1400, 80},
      {0, 80},
      {1400, 80},
      {0, 80},
      {1400, 80},
      {0, 80},
      {1400, 80}}},
};

std::vector<int16_t> Render(const std::vector<Piece>& pieces) {
    std::vector<int16_t> samples;
    double phase = 0;
    for (const Piece& p : pieces) {
        const int n = p.ms * kRate / 1000;
        const int fade = std::min(n / 4, kRate * 5 / 1000); // 5 ms edges: no clicks
        for (int i = 0; i < n; ++i) {
            if (p.hz <= 0) {
                samples.push_back(0);
                continue;
            }
            const double to = p.toHz > 0 ? p.toHz : p.hz;
            const double hz = p.hz + (to - p.hz) * i / n;
            phase += 2 * kPi * hz / kRate;
            double gain = 1.0;
            if (i < fade) gain = double(i) / fade;
            if (n - 1 - i < fade) gain = double(n - 1 - i) / fade;
            samples.push_back(int16_t(std::lround(0.5 * 32767 * gain * std::sin(phase))));
        }
    }
    return samples;
}

void Put16(std::string& out, uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, uint16_t(v & 0xFFFF));
    Put16(out, uint16_t(v >> 16));
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::string out = "RIFF";
    Put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, kRate);
    Put32(out, kRate * 2);
    Put16(out, 2);
    Put16(out, 16);
    out += "data";
    Put32(out, dataBytes);
    for (int16_t s : samples) Put16(out, uint16_t(s));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    for (const Tone& t : kTones) {
        const std::string path = folder + "/" + t.file;
        if (!WriteWav(path, Render(t.pieces))) {
            std::fprintf(stderr, "make_tones: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
