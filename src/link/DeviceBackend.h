#pragma once
// What TFT232 needs from the cable driver, shaped like the D2XX calls: listing, open by
// serial number, close, line settings, single-byte read and write, receive-queue count.
// Results are D2XX status codes (0 = FT_OK).

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

namespace ftstatus {
constexpr int OK = 0;
constexpr int INVALID_HANDLE = 1;
constexpr int DEVICE_NOT_FOUND = 2;
constexpr int DEVICE_NOT_OPENED = 3;
constexpr int IO_ERROR = 4;
constexpr int INSUFFICIENT_RESOURCES = 5;
constexpr int INVALID_PARAMETER = 6;
} // namespace ftstatus

// One opened device.
class DeviceHandle {
public:
    virtual ~DeviceHandle() = default;
    virtual int SetBaudRate(uint32_t rate) = 0;
    virtual int SetBitMode(uint8_t mask, uint8_t mode) = 0;
    virtual int SetDtr(bool on) = 0;
    virtual int SetRts(bool on) = 0;
    // Reads up to one byte; *count is the number read.
    virtual int Read(uint8_t* byte, uint32_t* count) = 0;
    // Writes one byte; *count is the number written.
    virtual int Write(uint8_t byte, uint32_t* count) = 0;
    // Bytes waiting in the receive queue.
    virtual int GetStatus(uint32_t* rxCount) = 0;
};

// Why the last open of a listed device failed.
enum class OpenFailure {
    None,       // it did not fail, or failed for no reason worth telling the user
    Permission, // the device node exists, but this user may not open it
    Busy,       // another program has it open
    Gone,       // unplugged between listing and opening
    Missing,    // a port named by the user that does not exist (never plugged in, or misspelt)
    Other,
};

struct OpenProblem {
    OpenFailure reason = OpenFailure::None;
    QString path;   // the device node
    QString detail; // the system's words, for Other
};

class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;
    // The reason the last OpenBySerial failed (backends that cannot tell say None).
    virtual OpenProblem LastOpenProblem() const { return {}; }
    virtual int ListCount(uint32_t* count) = 0;
    // The USB description of the device at index (D2XX returns at most 64 bytes).
    virtual int ListDescription(uint32_t index, QByteArray* description) = 0;
    // Opens by USB serial number; on success *handle owns the open device.
    virtual int OpenBySerial(const QByteArray& serial, std::unique_ptr<DeviceHandle>* handle) = 0;
};
