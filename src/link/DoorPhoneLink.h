#pragma once
// The connection to the door phone: which of the two cables is used, whether it was
// found and opened, and the opened TFT232. There is no identification exchange: a cable
// counts as connected as soon as it is opened and set up.

#include "ModelTemplate.h"
#include "TFT232.h"

#include <QString>
#include <functional>
#include <memory>

class CommLog;
class ClockPort;

enum class CableKind { Vant, Trox };

struct CableInfo {
    CableKind kind;
    const char* description; // USB description looked for
    const char* serial;      // USB serial number opened
    const char* statusText;  // shown as "USB: " + text
};

// The two programming cables.
const CableInfo& CableFor(CableKind kind);

class DoorPhoneLink : public TemplateCable {
public:
    DoorPhoneLink(DeviceBackend& backend, ClockPort& clock, CommLog* log = nullptr);
    ~DoorPhoneLink() override;

    void ListDevices() override;
    void ConnectAttempt();
    // Every byte waiting, one character per byte (0..255 as the same code).
    QString ReceiveDrain();
    void CloseLink();
    // Opens the selected cable at once by its serial number, without listing devices (the
    // firmware upgrade reopens a cable that stopped answering this way). Any link still
    // open is closed first. False when the cable cannot be opened; nothing is shown.
    bool OpenDirect();
    // true selects the Vant cable.
    void SelectCableKind(bool vant);
    // The template value: "1" Vant cable, "0" TROX cable, anything else nothing.
    void SelectCableKind(const QString& templateValue) override;

    TFT232* Link() const { return link_.get(); }
    bool Connected() const { return connected_; }
    // The open cable failed as a pulled cable does: it was let go, and the connection is
    // down until a connection attempt opens it again.
    bool Lost() const { return lost_; }
    CableKind Kind() const { return kind_; }
    bool VantFound() const override { return vantFound_; }
    bool TroxFound() const override { return troxFound_; }
    QString DeviceList() const { return deviceList_; }
    QString CableStatusText() const { return statusText_; }
    // Why the last attempt found the cable but could not open it (None after an open).
    const OpenProblem& LastOpenProblem() const { return openProblem_; }

    // Sends one byte through the open link; false (not sent) without a link.
    bool WriteByte(uint8_t byte);
    // Bytes waiting; 0 without a link.
    uint32_t RxCount();

    DeviceBackend& Backend() { return backend_; }
    ClockPort& Clock() { return clock_; }

    // The hidden label on the model page that shows the last device list.
    std::function<void(const QString&)> onDeviceList;
    // A cable that was found but could not be opened, with the reason.
    std::function<void(const OpenProblem&)> onOpenFailed;
    // The open cable failed and was let go.
    std::function<void()> onLost;

private:
    // Opens the selected cable; report: a cable found but not opened goes to onOpenFailed.
    bool OpenSelected(bool report);
    // A failed read or write of a device that is gone: close it, the connection is down.
    void CheckLost();

    DeviceBackend& backend_;
    ClockPort& clock_;
    CommLog* log_;
    FTListing listing_;
    std::unique_ptr<TFT232> link_;
    CableKind kind_ = CableKind::Trox;
    bool vantFound_ = false;
    bool troxFound_ = false;
    QString deviceList_;
    bool connected_ = false;
    bool lost_ = false;
    QString statusText_;
    OpenProblem openProblem_;
};
