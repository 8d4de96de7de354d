#pragma once
// HEX files made on the spot, and the upgrade engine against the simulated door phone on
// the virtual clock.

#include "DoorPhoneLink.h"
#include "FirmwareUpgrade.h"
#include "HexImage.h"
#include "LanguageTexts.h"
#include "Ports.h"
#include "SimCableBackend.h"
#include "SimDoorPhone.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// One record with its checksum, upper-case digits.
inline QByteArray HexRecord(int type, int address, const QByteArray& data) {
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char((address >> 8) & 0xFF));
    bytes.append(char(address & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    int sum = 0;
    for (char b : bytes) sum += uint8_t(b);
    bytes.append(char((0x100 - (sum & 0xFF)) & 0xFF));
    return ':' + bytes.toHex().toUpper();
}

inline QByteArray DataRecord(int address, const QByteArray& data) {
    return HexRecord(0, address, data);
}

inline QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

// Program bytes that differ from place to place (and are never all 0xFF).
inline QByteArray ProgramBytes(int address, int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i) out.append(char(((address + i) * 37 + 11) & 0xFF));
    return out;
}

inline const QByteArray kEofRecord = ":00000001FF";

// A HEX file of the door phone's shape: the reset vector at 0 (words 0..3, never sent),
// the program from byte 8 up to (not including) endByte in 16-byte records, the first
// filter line, a stretch that is dropped, the extended address, a configuration word and
// the end-of-file record.
inline QByteArray DoorPhoneHex(int endByte) {
    QList<QByteArray> lines;
    lines << DataRecord(0, ProgramBytes(0, 8));
    for (int a = 8; a < endByte; a += 16)
        lines << DataRecord(a, ProgramBytes(a, qMin(16, endByte - a)));
    lines << QByteArray(kHexDropFrom);
    lines << DataRecord(0x3C50, ProgramBytes(0x3C50, 16));
    lines << QByteArray(kHexDropUntil);
    lines << DataRecord(0x400E, Bytes({0x3A, 0x3F}));
    lines << kEofRecord;
    return lines.join("\r\n") + "\r\n";
}

// What the door phone's program memory holds after a file of DoorPhoneHex(endByte).
inline QByteArray DoorPhoneMemory(int endByte) {
    QByteArray memory(SimDoorPhone::kFirmwareBytes, char(0xFF));
    const QByteArray program = ProgramBytes(8, endByte - 8);
    memory.replace(8, program.size(), program);
    return memory;
}

inline QByteArray FileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// What the window shows of a run.
struct RecordingFwPort : FirmwarePort {
    QStringList labels;
    std::vector<FwLabelColour> colours;
    int max1 = -1, max2 = -1;
    int value1 = -1, value2 = -1;
    int progressCalls = 0;
    QString blockLabel, byteLabel;
    QStringList messages;
    QStringList progressTexts;
    int endings = 0;
    FwReport report;
    FwEnding ending = FwEnding::None;
    QString log;

    void SetStatusLabel(const QString& text) override { labels << text; }
    void SetStatusColour(FwLabelColour colour) override { colours.push_back(colour); }
    void SetProgressRange(int m1, int m2) override {
        max1 = m1;
        max2 = m2;
    }
    void SetProgress(int v1, int v2, const QString& text) override {
        value1 = v1;
        value2 = v2;
        ++progressCalls;
        if (progressTexts.isEmpty() || progressTexts.last() != text) progressTexts << text;
    }
    void SetBlockLabels(const QString& block, const QString& byte) override {
        blockLabel = block;
        byteLabel = byte;
    }
    void ShowEndingMessage(const FwReport&, const QString& text) override { messages << text; }
    void RunEnded(const FwReport& r, const QString& text) override {
        ++endings;
        report = r;
        ending = r.ending;
        log = text;
    }
};

// A loader that answers each byte as a test says, at once.
struct ScriptedLoader : SimFarEnd {
    std::function<QByteArray(uint8_t byte, int index)> answer; // index counts from 1
    QByteArray received;
    QByteArray queued;
    void OnByteFromHost(uint8_t byte, qint64) override {
        received.append(char(byte));
        if (answer) queued += answer(byte, int(received.size()));
    }
    QByteArray TakeBytesForHost(qint64) override {
        QByteArray out = queued;
        queued.clear();
        return out;
    }
};

struct FirmwareRig {
    VirtualClock clock;
    SimCableBackend backend{clock};
    std::shared_ptr<SimDoorPhone> phone = std::make_shared<SimDoorPhone>(clock);
    std::shared_ptr<ScriptedLoader> scripted;
    DoorPhoneLink link{backend, clock};
    LanguageTexts texts;
    RecordingFwPort port;
    FirmwareUpgrade engine{link, clock, port, texts};
    QTemporaryDir folder;
    qint64 startedMs = 0;

    // With a scripted loader instead of the simulated door phone.
    explicit FirmwareRig(bool scriptedLoader = false) {
        if (scriptedLoader) {
            scripted = std::make_shared<ScriptedLoader>();
            backend.AddBothCables(scripted);
        } else {
            backend.AddBothCables(phone);
            phone->AttachTo(backend);
            phone->SetStateDir(folder.path());
        }
        link.ConnectAttempt();
    }
    bool Start(const FirmwareImage& image, bool sendF = false) {
        phone->ClearLineRecord();
        startedMs = clock.NowMs();
        return engine.Start(image, sendF, folder.path());
    }
    FwEnding Run(const FirmwareImage& image, bool sendF = false, qint64 maxMs = 600000) {
        if (!Start(image, sendF)) return FwEnding::None;
        RunFirmwareTimer(engine, clock, maxMs);
        return engine.Ending();
    }
    qint64 Elapsed() const { return clock.NowMs() - startedMs; }
    QByteArray Sent() const { return scripted ? scripted->received : phone->ReceivedFromHost(); }
};

// An image of n data blocks of 4 words from word 4 on, and the end block.
inline FirmwareImage SmallImage(int n) {
    QList<QByteArray> lines;
    for (int i = 0; i < n; ++i) lines << DataRecord(8 + 8 * i, ProgramBytes(8 + 8 * i, 8));
    lines << QByteArray(kHexDropFrom) << kEofRecord;
    const HexLoad load = LoadHexText(lines.join("\n"));
    return load.image;
}
