#include "SimCableBackend.h"

#include "Clock.h"

class SimDeviceHandle : public DeviceHandle {
public:
    SimDeviceHandle(SimCableBackend& backend, int index)
        : backend_(backend), index_(index), generation_(backend.generations_[index]) {}
    ~SimDeviceHandle() override {
        if (Alive()) {
            Cable().open = false;
            if (Cable().farEnd) Cable().farEnd->OnClose();
        }
    }
    int SetBaudRate(uint32_t) override { return Alive() ? ftstatus::OK : ftstatus::IO_ERROR; }
    int SetBitMode(uint8_t, uint8_t) override {
        return Alive() ? ftstatus::OK : ftstatus::IO_ERROR;
    }
    int SetDtr(bool) override { return Alive() ? ftstatus::OK : ftstatus::IO_ERROR; }
    int SetRts(bool) override { return Alive() ? ftstatus::OK : ftstatus::IO_ERROR; }
    int Read(uint8_t* byte, uint32_t* count) override {
        *count = 0;
        if (!Alive()) return ftstatus::IO_ERROR;
        Pull();
        if (Cable().rx.empty()) return ftstatus::OK;
        *byte = Cable().rx.front();
        Cable().rx.pop_front();
        *count = 1;
        return ftstatus::OK;
    }
    int Write(uint8_t byte, uint32_t* count) override {
        *count = 0;
        if (!Alive()) return ftstatus::IO_ERROR;
        if (Cable().farEnd) Cable().farEnd->OnByteFromHost(byte, backend_.clock_.NowMs());
        *count = 1;
        return ftstatus::OK;
    }
    int GetStatus(uint32_t* rxCount) override {
        *rxCount = 0;
        if (!Alive()) return ftstatus::IO_ERROR;
        Pull();
        *rxCount = static_cast<uint32_t>(Cable().rx.size());
        return ftstatus::OK;
    }

private:
    bool Alive() const {
        return index_ < backend_.cables_.size() && backend_.generations_[index_] == generation_ &&
               backend_.cables_[index_].plugged;
    }
    SimCableBackend::Cable& Cable() { return backend_.cables_[index_]; }
    void Pull() {
        if (!Cable().farEnd) return;
        const QByteArray bytes = Cable().farEnd->TakeBytesForHost(backend_.clock_.NowMs());
        for (char c : bytes) Cable().rx.push_back(static_cast<uint8_t>(c));
    }

    SimCableBackend& backend_;
    int index_;
    int generation_;
};

SimCableBackend::SimCableBackend(ClockPort& clock) : clock_(clock) {}

int SimCableBackend::AddCable(const QByteArray& description, const QByteArray& serial,
                              std::shared_ptr<SimFarEnd> farEnd) {
    Cable c;
    c.description = description;
    c.serial = serial;
    c.farEnd = std::move(farEnd);
    cables_.append(c);
    generations_.append(0);
    return cables_.size() - 1;
}

void SimCableBackend::AddBothCables(std::shared_ptr<SimFarEnd> farEnd) {
    AddCable("TROX", "TROX-USB", farEnd);
    AddCable("VX-Interface", "Vexim", farEnd);
}

void SimCableBackend::SetPlugged(int index, bool plugged) {
    Cable& c = cables_[index];
    if (c.plugged == plugged) return;
    c.plugged = plugged;
    if (!plugged) {
        ++generations_[index];
        if (c.open && c.farEnd) c.farEnd->OnClose();
        c.open = false;
        c.rx.clear();
    }
}

QList<int> SimCableBackend::PluggedIndexes() const {
    QList<int> out;
    for (int i = 0; i < cables_.size(); ++i)
        if (cables_[i].plugged) out.append(i);
    return out;
}

int SimCableBackend::ListCount(uint32_t* count) {
    *count = static_cast<uint32_t>(PluggedIndexes().size());
    return ftstatus::OK;
}

int SimCableBackend::ListDescription(uint32_t index, QByteArray* description) {
    const QList<int> plugged = PluggedIndexes();
    if (index >= static_cast<uint32_t>(plugged.size())) return ftstatus::DEVICE_NOT_FOUND;
    const Cable& c = cables_[plugged[index]];
    if (c.failDescription) return ftstatus::IO_ERROR;
    *description = c.description.left(63) + QByteArray(1, '\0');
    return ftstatus::OK;
}

int SimCableBackend::OpenBySerial(const QByteArray& serial, std::unique_ptr<DeviceHandle>* handle) {
    for (int i : PluggedIndexes()) {
        Cable& c = cables_[i];
        if (c.serial != serial) continue;
        if (c.open) return ftstatus::DEVICE_NOT_OPENED; // one handle per device
        c.open = true;
        c.rx.clear();
        if (c.farEnd) c.farEnd->OnOpen();
        *handle = std::make_unique<SimDeviceHandle>(*this, i);
        return ftstatus::OK;
    }
    return ftstatus::DEVICE_NOT_FOUND;
}
