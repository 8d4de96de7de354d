#pragma once
// The simulated door phone at the far end of a simulated cable. It keeps the parameter
// memory (256 bytes), the number memory (198 records of 24 bytes), a clock, the day/night
// mode, a reset counter and a firmware version, and answers the program's commands with
// the line's timing: every byte takes 10 bit times at the set baud rate on the clock
// port's time, and each answer starts after a settable answer time. With a VirtualClock
// an exchange is exact to the tick; with the real clock it paces like the device.
//
// Replies reach the program in USB packets: a reply is handed over in pieces of at most
// 62 bytes, each piece once its last byte has crossed the line, as the cable's chip does
// with a short latency timer. Faults that tests set make it misbehave on purpose.

#include "SimCableBackend.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <deque>
#include <functional>

class ClockPort;

class SimDoorPhone : public SimFarEnd {
public:
    static constexpr int kParameterBytes = 256;
    static constexpr int kRecordBytes = 24;
    static constexpr int kRecordCount = 198;
    // A command left unfinished this long is abandoned: the next byte starts a new one,
    // and a half-received write changes no memory.
    static constexpr double kAbandonCommandMs = 1000.0;

    struct Timing {
        int baud = 9600;
        double answerMs = 1.0; // from the last byte of a command to the first of the answer
        double storeMs = 20.0; // from the "D" of byte 255 to the "Z" of a parameter write
        int packetBytes = 62;  // bytes per USB packet towards the program (1 = byte by byte)
        bool dBeforeZ = true;  // byte 255 of a parameter write gets a "D" before the "Z"
        // The firmware loader answers an image byte as soon as it is in: its own time to
        // answer, on top of the line.
        double loaderAnswerMs = 0.0;
    };

    // Misbehaviour on purpose. Numbers of bytes and records are 1-based; 0 means off.
    struct Faults {
        bool silent = false;          // answers nothing
        int statusLength = 20;        // 19 drops the last byte, 21 adds one
        int parameterLength = 256;    // 257 adds a byte, 255 drops one
        int splitBytes = 0;           // hand every reply over in pieces of this many bytes,
        double splitGapMs = 0;        // with this pause of the door phone between pieces
        int errorAtParameterByte = 0; // "E" instead of "D" after this byte; the write ends
        int doubleAckAtByte = 0;      // "DD" instead of "D" after this byte
        // This answer instead of the one after this byte, in one piece; an "E" in it ends
        // the write as "E" does.
        int answerAtParameterByte = 0;
        QByteArray parameterAnswer;
        int errorAtRecord = 0; // answer errorText to a read or write of this record
        QByteArray errorText = "E";
        int errorRepeats = 1;             // how often the record fault fires; -1 always
        int unplugAfterBytesToHost = 0;   // the cable is pulled once this many bytes went out
        int unplugAfterBytesFromHost = 0; // ... or once this many bytes came in
        QByteArray garbageBeforeReply;    // sent ahead of the next reply, once
        // A memory that does not keep what it was given: a completed write stores this
        // parameter byte (1..255), or the first byte of this number record, with its lowest
        // bit flipped, and still acknowledges it.
        int wrongParameterByte = 0;
        int wrongRecord = 0;
    };

    explicit SimDoorPhone(ClockPort& clock);
    ~SimDoorPhone() override;

    // Memories. Records are numbered 1..99 and 101..199.
    QByteArray Parameters() const { return parameters_; }
    void SetParameters(const QByteArray& block);
    QByteArray Record(int record) const;
    void SetRecord(int record, const QByteArray& bytes);
    // The whole number memory, records 1..99 then 101..199.
    QByteArray Numbers() const { return numbers_; }
    // A valid factory block (the built-in defaults, validity marker 85 at byte 32).
    static QByteArray FactoryParameters();
    static int RecordIndex(int record); // 0..197, -1 for a number without a record

    // The memory folder: parameters.bin and numbers.bin. Loading takes each file that
    // exists with the right size; saving writes both. With a folder set, every completed
    // write of a block or record is saved at once.
    bool LoadFrom(const QString& dir, QString* error = nullptr);
    bool SaveTo(const QString& dir, QString* error = nullptr) const;
    void SetStateDir(const QString& dir) { stateDir_ = dir; }

    // Device state reported by the status reply.
    int version = 253; // "2.53"
    int resets = 7;
    bool dayMode = true;
    QDateTime DeviceTime() const;
    void SetDeviceTime(const QDateTime& at);

    Timing& timing() { return timing_; }
    Faults& faults() { return faults_; }
    double ByteMs() const { return 10000.0 / timing_.baud; }

    // What happened on the line since the last ClearLineRecord (tests and the benchmark);
    // the unplug faults and errorRepeats count from there too.
    QByteArray ReceivedFromHost() const { return received_; }
    qint64 BytesFromHost() const { return received_.size(); }
    qint64 BytesToHost() const { return bytesToHost_; }
    int ParameterWrites() const { return parameterWrites_; }
    int RecordWrites() const { return recordWrites_; }
    int ClockSets() const { return clockSets_; }
    void ClearLineRecord();

    // Bytes sent at once, as if the door phone spoke up by itself.
    void SendToHost(const QByteArray& bytes);
    // Takes in every byte the program has sent, however far its arrival lies ahead.
    void Settle();
    // The simulator's own process stood still for this long (a loaded machine stops it as
    // it stops the program). A door phone does not stand still, so its patience with a
    // half-received command does not count that time.
    void StoodStill(double ms);

    // Pulls the cable of every simulated cable that leads here when the unplug fault fires.
    void AttachTo(SimCableBackend& backend);
    std::function<void()> onUnplug;

    // The resident firmware loader: "F" or "x" start it, "w" is answered "Y", then the
    // image comes in 10-byte blocks, each byte answered "O", a block "K", the end block
    // "Z"; a block outside words 4..0x1DFF gets "E". A completed upgrade keeps the program
    // memory (0x3C00 bytes, 0xFF where nothing was written) and saves it as firmware.bin in
    // the memory folder. Faults fire once; byte and block numbers count from the "Y".
    //
    // Like a real loader it drops a block left half-received for more than 400 ms, so
    // that a program which lost step can start the block again after a quiet line. After
    // an "E" the door phone is back in its own program; a run that was given up leaves
    // the loader waiting for the rest of the image, and it takes every byte as image.
    struct LoaderFaults {
        bool neverReady = false;  // "w" gets no "Y"
        int okAtByte = 0;         // "OK" in one reply instead of this byte's answer
        int blockTakenAtByte = 0; // "K" after this byte, in the middle of its block
        int restartAtByte = 0;    // "P" after this byte
        int silentAtByte = 0;     // no answer to this byte
        int errorAtBlock = 0;     // "E" for this block
        int stallAtByte = 0;      // the answer to this byte comes stallMs late, and every
        int stallMs = 0;          // answer after it waits behind it on the line
    };
    static constexpr double kLoaderBlockGapMs = 400; // a half block older than this is dropped
    static constexpr const char* kFirmwareFile = "firmware.bin";
    static constexpr int kFirmwareBytes = 0x3C00;
    LoaderFaults& loaderFaults() { return loaderFaults_; }
    bool LoaderActive() const { return loader_ != LoaderState::Off; }
    // The program memory of the last completed upgrade (empty before one completed).
    QByteArray Firmware() const { return firmware_; }

    // SimFarEnd
    void OnByteFromHost(uint8_t byte, qint64 atMs) override;
    QByteArray TakeBytesForHost(qint64 nowMs) override;
    // The same on a finer clock (the pseudo-terminal simulator keeps time to the
    // microsecond, so that an answer leaves when its last bit has crossed the line, not
    // at the next whole millisecond).
    void ByteFromHostAt(uint8_t byte, double atMs);
    QByteArray TakeBytesAt(double nowMs);
    // When the next byte arrives at the door phone or an answer is ready to leave; infinity
    // when nothing is on the way.
    double NextEventMs() const;
    void OnOpen() override;
    void OnClose() override;

protected:
    // A command byte the door phone does not know in its idle state. The firmware loader
    // hooks in here ("F", "x", "w" and the image bytes); false ignores the byte.
    virtual bool OnOtherCommand(uint8_t /*byte*/, double /*atMs*/) { return false; }
    // Queues an answer that leaves readyAtMs at the earliest.
    void Answer(const QByteArray& bytes, double readyAtMs);

private:
    enum class Mode {
        Idle,
        Read,        // after "R"
        ReadRecord,  // after "R" "T"
        Write,       // after "W"
        WriteParams, // after "W" "P": data bytes
        WriteRecordNumber,
        WriteRecordData,
        SetClock, // after "W" "C"
    };
    struct Incoming {
        uint8_t byte;
        double arriveMs;
    };
    struct Packet {
        QByteArray bytes;
        double handOverMs;
    };

    enum class LoaderState { Off, Waiting, Programming };
    // The loader's share of the byte dispatch: true when it took the byte.
    bool LoaderTakes(uint8_t byte, double atMs, bool idle);
    void LoaderByte(uint8_t byte, double atMs);
    void LoaderBlock(double answerAt);

    void Advance(double nowMs);
    void Process(uint8_t byte, double atMs);
    void StatusReply(double atMs);
    bool RecordFault(int record);
    void ApplyClockCommand();
    void FireUnplug();
    void AutoSave();
    void SaveIfDue();

    ClockPort& clock_;
    Timing timing_;
    Faults faults_;
    QByteArray parameters_;
    QByteArray numbers_;
    QString stateDir_;
    QDateTime deviceEpoch_;
    qint64 deviceEpochMs_ = 0;

    Mode mode_ = Mode::Idle;
    double lastCommandByteMs_ = 0; // arrival of the last byte taken into a command
    QByteArray pending_;           // data of the command being received
    int record_ = 0;
    std::deque<Incoming> incoming_;
    std::deque<Packet> outgoing_;
    double inLineFree_ = 0;
    double outLineFree_ = 0;
    bool dead_ = false;    // the cable was pulled
    bool saveDue_ = false; // a completed write waits to be saved
    bool unplugPending_ = false;
    int errorsFired_ = 0;

    QByteArray received_;
    qint64 bytesToHost_ = 0;
    int parameterWrites_ = 0;
    int recordWrites_ = 0;
    int clockSets_ = 0;

    LoaderFaults loaderFaults_;
    LoaderState loader_ = LoaderState::Off;
    QByteArray loaderBlock_;
    QByteArray loaderMemory_;
    double loaderLastMs_ = 0;
    int loaderBytes_ = 0;
    int loaderBlocksTaken_ = 0;
    QByteArray firmware_;
};
