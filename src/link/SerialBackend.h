#pragma once
// The real cable: the FT232 shows up as a serial port. USB serial ports are listed with
// their USB product description and serial number; an explicit port path (an adapter
// without those strings, or a pseudo-terminal) is listed as the cable of the kind the
// program currently looks for.

#include "DeviceBackend.h"

#include <QList>
#include <QSet>
#include <QString>
#include <functional>

class SerialBackend : public DeviceBackend {
public:
    struct Entry {
        QByteArray description;
        QByteArray serial;
        QString portPath;
    };

    SerialBackend() = default;
    // portPath is listed with the description and serial of the cable that
    // wantedCable() names (description, serial).
    void SetExplicitPort(const QString& portPath,
                         std::function<std::pair<QByteArray, QByteArray>()> wantedCable);

    int ListCount(uint32_t* count) override;
    int ListDescription(uint32_t index, QByteArray* description) override;
    int OpenBySerial(const QByteArray& serial, std::unique_ptr<DeviceHandle>* handle) override;
    OpenProblem LastOpenProblem() const override { return lastProblem_; }

private:
    friend class SerialDeviceHandle;
    void Refresh();
    QList<Entry> entries_;
    QString explicitPort_;
    std::function<std::pair<QByteArray, QByteArray>()> wantedCable_;
    QSet<QString> openPorts_; // one handle per device, even for root
    OpenProblem lastProblem_;
};
