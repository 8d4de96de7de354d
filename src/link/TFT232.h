#pragma once
// One opened FT232 cable: single-byte reads and writes, the receive-queue count and the
// line controls. The object exists only while its device is open.

#include "DeviceBackend.h"

#include <QString>
#include <memory>
#include <stdexcept>

class ClockPort;

class TFT232Exception : public std::runtime_error {
public:
    explicit TFT232Exception(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString Message() const { return message_; }

private:
    QString message_;
};

class TFT232 {
public:
    // Opens the device with this USB serial number; raises TFT232Exception
    // ("Device " + name + " can not open") when it cannot.
    TFT232(DeviceBackend& backend, ClockPort& clock, const QString& name);
    // Closes the device, then pauses 10 ms so that the driver lets it go.
    virtual ~TFT232();
    TFT232(const TFT232&) = delete;
    TFT232& operator=(const TFT232&) = delete;

    int SetBaud(uint32_t rate);
    bool ReadByte(uint8_t* byte);
    bool WriteByte(uint8_t byte);
    uint32_t RxCount();
    int SetDtr(bool clear);
    int SetRts(bool clear);
    bool SetBitMode(uint8_t mask, uint8_t mode);
    int Status() const { return status_; }
    // A read, write or count failed as it does once the device is gone (unplugged, or a
    // terminal whose far end was closed). The object is of no further use.
    bool Broken() const { return broken_; }

private:
    std::unique_ptr<DeviceHandle> handle_;
    ClockPort& clock_;
    int status_ = ftstatus::OK;
    bool broken_ = false;
    void Note(int status);
};

// The listing operations keep the last count and description between calls.
struct FTListing {
    uint32_t deviceCount = 0;
    QString description;
};

int GetFTDeviceCount(DeviceBackend& backend, FTListing& listing);
int GetFTDeviceDescription(DeviceBackend& backend, FTListing& listing, uint32_t index);
// " - Invalid Handle..." and so on for the D2XX status codes 1..6; "" otherwise.
QString FTStatusText(int status);
