#include "SerialBackend.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <cerrno>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

bool RequestLowLatency(int fd) {
    serial_struct settings{};
    if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &settings) != 0) return false;
    if (settings.flags & ASYNC_LOW_LATENCY) return true;
    settings.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &settings) == 0;
}

class SerialDeviceHandle : public DeviceHandle {
public:
    SerialDeviceHandle(SerialBackend& backend, const QString& path)
        : backend_(backend), path_(path) {}
    ~SerialDeviceHandle() override {
        port_.close();
        backend_.openPorts_.remove(path_);
    }

    // On failure, *problem says why.
    bool Open(OpenProblem* problem) {
        problem->path = path_;
        if (!QFileInfo::exists(path_)) {
            // A port given by name is listed whether or not it is there.
            problem->reason =
                path_ == backend_.explicitPort_ ? OpenFailure::Missing : OpenFailure::Gone;
            return false;
        }
        // The port's own error cannot tell a node we may not open from one that another
        // program holds; the node's permissions can.
        const QByteArray node = path_.toLocal8Bit();
        if (::access(node.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
            problem->reason = OpenFailure::Permission;
            return false;
        }
        port_.setPortName(path_);
        if (!port_.open(QIODevice::ReadWrite)) {
            switch (port_.error()) {
            case QSerialPort::DeviceNotFoundError: problem->reason = OpenFailure::Gone; break;
            case QSerialPort::PermissionError: problem->reason = OpenFailure::Busy; break;
            default: problem->reason = OpenFailure::Other; problem->detail = port_.errorString();
            }
            return false;
        }
        // 9600 8N1 without flow control until told otherwise.
        port_.setBaudRate(9600);
        port_.setDataBits(QSerialPort::Data8);
        port_.setParity(QSerialPort::NoParity);
        port_.setStopBits(QSerialPort::OneStop);
        port_.setFlowControl(QSerialPort::NoFlowControl);
        // Every answer of the door phone is a byte or a few: without low latency the
        // converter would hold each one for its latency timer. Refused by a pty; ignored.
        if (backend_.requestLowLatency) backend_.requestLowLatency(int(port_.handle()));
        return true;
    }

    int SetBaudRate(uint32_t rate) override {
        if (dead_) return ftstatus::IO_ERROR;
        return port_.setBaudRate(static_cast<qint32>(rate)) ? ftstatus::OK : ftstatus::IO_ERROR;
    }
    // The FT232's bit-bang modes have no tty counterpart; the reset is what a tty is.
    int SetBitMode(uint8_t, uint8_t) override { return dead_ ? ftstatus::IO_ERROR : ftstatus::OK; }
    // A pseudo-terminal refuses the modem-line calls; the line settings are not checked.
    int SetDtr(bool on) override {
        if (dead_) return ftstatus::IO_ERROR;
        return port_.setDataTerminalReady(on) ? ftstatus::OK : ftstatus::IO_ERROR;
    }
    int SetRts(bool on) override {
        if (dead_) return ftstatus::IO_ERROR;
        return port_.setRequestToSend(on) ? ftstatus::OK : ftstatus::IO_ERROR;
    }
    int Read(uint8_t* byte, uint32_t* count) override {
        *count = 0;
        if (dead_) return ftstatus::IO_ERROR;
        Pump();
        char c = 0;
        if (port_.bytesAvailable() > 0 && port_.getChar(&c)) {
            *byte = static_cast<uint8_t>(c);
            *count = 1;
        }
        return dead_ ? ftstatus::IO_ERROR : ftstatus::OK;
    }
    int Write(uint8_t byte, uint32_t* count) override {
        *count = 0;
        if (dead_) return ftstatus::IO_ERROR;
        const char c = static_cast<char>(byte);
        if (port_.write(&c, 1) != 1) {
            CheckError();
            return ftstatus::IO_ERROR;
        }
        port_.waitForBytesWritten(100);
        CheckError();
        if (dead_) return ftstatus::IO_ERROR;
        *count = 1;
        return ftstatus::OK;
    }
    int GetStatus(uint32_t* rxCount) override {
        *rxCount = 0;
        if (dead_) return ftstatus::IO_ERROR;
        Pump();
        *rxCount = static_cast<uint32_t>(port_.bytesAvailable());
        return dead_ ? ftstatus::IO_ERROR : ftstatus::OK;
    }

private:
    // Pulls what the driver holds into the port's buffer without an event loop.
    void Pump() {
        port_.waitForReadyRead(0);
        CheckError();
    }
    // A read error or end of file on the port means the cable was unplugged.
    void CheckError() {
        const auto e = port_.error();
        if (e == QSerialPort::ResourceError || e == QSerialPort::ReadError ||
            e == QSerialPort::WriteError || e == QSerialPort::PermissionError)
            dead_ = true;
        if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError) port_.clearError();
    }

    SerialBackend& backend_;
    QString path_;
    QSerialPort port_;
    bool dead_ = false;
};

void SerialBackend::SetExplicitPort(
    const QString& portPath, std::function<std::pair<QByteArray, QByteArray>()> wantedCable) {
    explicitPort_ = portPath;
    wantedCable_ = std::move(wantedCable);
}

void SerialBackend::Refresh() {
    entries_.clear();
    if (!explicitPort_.isEmpty()) {
        const auto [description, serial] = wantedCable_();
        entries_.append({description, serial, explicitPort_});
        return;
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (!info.hasVendorIdentifier()) continue; // USB serial ports only
        entries_.append(
            {info.description().toLatin1(), info.serialNumber().toLatin1(), info.systemLocation()});
    }
}

int SerialBackend::ListCount(uint32_t* count) {
    Refresh();
    *count = static_cast<uint32_t>(entries_.size());
    return ftstatus::OK;
}

int SerialBackend::ListDescription(uint32_t index, QByteArray* description) {
    if (index >= static_cast<uint32_t>(entries_.size())) return ftstatus::DEVICE_NOT_FOUND;
    *description = entries_[index].description.left(63);
    return ftstatus::OK;
}

int SerialBackend::OpenBySerial(const QByteArray& serial, std::unique_ptr<DeviceHandle>* handle) {
    lastProblem_ = {};
    if (entries_.isEmpty()) Refresh();
    for (const Entry& e : entries_) {
        if (e.serial != serial) continue;
        // Our own handle still open: not a problem to report.
        if (openPorts_.contains(e.portPath)) return ftstatus::DEVICE_NOT_OPENED;
        auto h = std::make_unique<SerialDeviceHandle>(*this, e.portPath);
        openPorts_.insert(e.portPath);
        if (!h->Open(&lastProblem_)) return ftstatus::DEVICE_NOT_OPENED; // h frees the slot
        *handle = std::move(h);
        return ftstatus::OK;
    }
    return ftstatus::DEVICE_NOT_FOUND;
}
