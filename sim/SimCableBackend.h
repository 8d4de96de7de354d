#pragma once
// Simulated programming cables: both kinds can be plugged in, each with a far end that
// takes the bytes the program sends and hands back the door phone's replies.

#include "DeviceBackend.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>
#include <memory>

class ClockPort;

// The far end of a simulated cable (the door phone, or a test's scripted peer).
class SimFarEnd {
public:
    virtual ~SimFarEnd() = default;
    // A byte from the program, fully sent at atMs (clock time).
    virtual void OnByteFromHost(uint8_t byte, qint64 atMs) = 0;
    // Bytes that have arrived at the program's end by nowMs, in order.
    virtual QByteArray TakeBytesForHost(qint64 nowMs) = 0;
    // The cable was opened or closed by the program.
    virtual void OnOpen() {}
    virtual void OnClose() {}
};

// A far end that records what it receives and gives back what a test queues.
class ScriptedFarEnd : public SimFarEnd {
public:
    void OnByteFromHost(uint8_t byte, qint64) override { received.append(char(byte)); }
    QByteArray TakeBytesForHost(qint64) override {
        QByteArray out = queued;
        queued.clear();
        return out;
    }
    QByteArray received;
    QByteArray queued;
};

class SimCableBackend : public DeviceBackend {
public:
    struct Cable {
        QByteArray description;
        QByteArray serial;
        bool plugged = true;
        bool open = false;
        bool failDescription = false; // the listing call for this cable fails
        std::shared_ptr<SimFarEnd> farEnd;
        std::deque<uint8_t> rx; // arrived at the program's end, not yet read
    };

    explicit SimCableBackend(ClockPort& clock);

    // Adds a cable; returns its index in the listing.
    int AddCable(const QByteArray& description, const QByteArray& serial,
                 std::shared_ptr<SimFarEnd> farEnd);
    // The two programming cables, both plugged in, sharing one far end.
    void AddBothCables(std::shared_ptr<SimFarEnd> farEnd);
    Cable& CableAt(int index) { return cables_[index]; }
    int CableCount() const { return cables_.size(); }
    // Unplugging ends the open device: reads and writes fail from then on.
    void SetPlugged(int index, bool plugged);

    int ListCount(uint32_t* count) override;
    int ListDescription(uint32_t index, QByteArray* description) override;
    int OpenBySerial(const QByteArray& serial, std::unique_ptr<DeviceHandle>* handle) override;

private:
    friend class SimDeviceHandle;
    QList<int> PluggedIndexes() const;
    ClockPort& clock_;
    QList<Cable> cables_;
    QList<int> generations_; // bumps when a cable is unplugged, so stale handles fail
};
