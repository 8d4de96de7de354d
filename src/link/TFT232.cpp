#include "TFT232.h"

#include "Clock.h"

TFT232::TFT232(DeviceBackend& backend, ClockPort& clock, const QString& name) : clock_(clock) {
    status_ = backend.OpenBySerial(name.toLatin1(), &handle_);
    if (status_ != ftstatus::OK || !handle_) {
        handle_.reset();
        throw TFT232Exception(QStringLiteral("Device ") + name + QStringLiteral(" can not open"));
    }
}

TFT232::~TFT232() {
    handle_.reset();
    clock_.Sleep(10);
}

int TFT232::SetBaud(uint32_t rate) {
    return handle_->SetBaudRate(rate);
}

// The calls that move bytes fail only when the device has gone; the listing codes that
// say so are the ones the driver gives for a handle whose device is no more.
void TFT232::Note(int status) {
    if (status == ftstatus::IO_ERROR || status == ftstatus::DEVICE_NOT_FOUND ||
        status == ftstatus::INVALID_HANDLE || status == ftstatus::DEVICE_NOT_OPENED)
        broken_ = true;
}

bool TFT232::ReadByte(uint8_t* byte) {
    uint32_t count = 0;
    Note(handle_->Read(byte, &count));
    return count == 1;
}

bool TFT232::WriteByte(uint8_t byte) {
    uint32_t count = 0;
    Note(handle_->Write(byte, &count));
    return count == 1;
}

uint32_t TFT232::RxCount() {
    uint32_t rx = 0;
    Note(handle_->GetStatus(&rx));
    return rx;
}

int TFT232::SetDtr(bool clear) {
    return handle_->SetDtr(!clear);
}

int TFT232::SetRts(bool clear) {
    return handle_->SetRts(!clear);
}

bool TFT232::SetBitMode(uint8_t mask, uint8_t mode) {
    status_ = handle_->SetBitMode(mask, mode);
    return status_ == ftstatus::OK;
}

int GetFTDeviceCount(DeviceBackend& backend, FTListing& listing) {
    uint32_t count = 0;
    const int status = backend.ListCount(&count);
    listing.deviceCount = count;
    return status;
}

int GetFTDeviceDescription(DeviceBackend& backend, FTListing& listing, uint32_t index) {
    QByteArray buffer;
    const int status = backend.ListDescription(index, &buffer);
    if (status == ftstatus::OK) {
        const int zero = buffer.indexOf('\0');
        if (zero >= 0) buffer.truncate(zero);
        listing.description = QString::fromLatin1(buffer.left(49));
    }
    return status;
}

QString FTStatusText(int status) {
    switch (status) {
    case 1: return QStringLiteral(" - Invalid Handle...");
    case 2: return QStringLiteral(" - Device Not Found....");
    case 3: return QStringLiteral(" - Device Not Opened...");
    case 4: return QStringLiteral(" - General IO Error...");
    case 5: return QStringLiteral(" - Insufficient Resources...");
    case 6: return QStringLiteral(" - Invalid Parameter ...");
    default: return QString();
    }
}
