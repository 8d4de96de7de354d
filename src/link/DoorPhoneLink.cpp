#include "DoorPhoneLink.h"

#include "Clock.h"
#include "CommLog.h"

namespace {
const CableInfo kCables[] = {
    {CableKind::Vant, "VX-Interface", "Vexim", "OK-Norva-S"},
    {CableKind::Trox, "TROX", "TROX-USB", "OK-Norva"},
};
} // namespace

const CableInfo& CableFor(CableKind kind) {
    return kind == CableKind::Vant ? kCables[0] : kCables[1];
}

DoorPhoneLink::DoorPhoneLink(DeviceBackend& backend, ClockPort& clock, CommLog* log)
    : backend_(backend), clock_(clock), log_(log) {}

DoorPhoneLink::~DoorPhoneLink() = default;

void DoorPhoneLink::ListDevices() {
    vantFound_ = false;
    troxFound_ = false;
    deviceList_.clear();
    const int countStatus = GetFTDeviceCount(backend_, listing_);
    if (countStatus != ftstatus::OK && log_)
        log_->LogLine(QStringLiteral("GetFTDeviceCount") + FTStatusText(countStatus));
    for (uint32_t i = 0; i < listing_.deviceCount; ++i) {
        const int status = GetFTDeviceDescription(backend_, listing_, i);
        if (status != ftstatus::OK && log_)
            log_->LogLine(QStringLiteral("GetFTDeviceDescription") + FTStatusText(status));
        // A failed description call leaves the previous description, which is then
        // tested and listed again.
        if (listing_.description == QLatin1String(CableFor(CableKind::Vant).description))
            vantFound_ = true;
        if (listing_.description == QLatin1String(CableFor(CableKind::Trox).description))
            troxFound_ = true;
        deviceList_ += listing_.description + QStringLiteral("---");
    }
}

void DoorPhoneLink::ConnectAttempt() {
    ListDevices();
    if (onDeviceList) onDeviceList(deviceList_);
    const bool found = kind_ == CableKind::Vant ? vantFound_ : troxFound_;
    openProblem_ = {};
    // The cable in use stays open: it is the same device, and opening it again would only
    // fail while it is held.
    if (!found || (link_ && connected_)) return;
    OpenSelected(true);
}

bool DoorPhoneLink::OpenSelected(bool report) {
    const CableInfo& cable = CableFor(kind_);
    try {
        auto opened = std::make_unique<TFT232>(backend_, clock_, QString::fromLatin1(cable.serial));
        opened->SetBitMode(0, 0);
        opened->SetDtr(false);
        opened->SetRts(true);
        opened->SetBaud(9600);
        link_ = std::move(opened);
        statusText_ = QString::fromLatin1(cable.statusText);
        connected_ = true;
        lost_ = false;
        openProblem_ = {};
        return true;
    } catch (const TFT232Exception&) {
        // Absent, unplugged meanwhile, or still open from an earlier attempt: the
        // connection state stays as it was.
        openProblem_ = backend_.LastOpenProblem();
        if (report && openProblem_.reason != OpenFailure::None && onOpenFailed)
            onOpenFailed(openProblem_);
        return false;
    }
}

bool DoorPhoneLink::OpenDirect() {
    link_.reset();
    // The firmware upgrade tries again by itself; the reason is kept, not shown.
    return OpenSelected(false);
}

QString DoorPhoneLink::ReceiveDrain() {
    QString text;
    bool reopen = !link_ && !lost_;
    if (link_) {
        const uint32_t n = link_->RxCount();
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t byte = 0;
            if (!link_->ReadByte(&byte)) break;
            text += QChar(byte);
        }
        if (link_->RxCount() > 0) reopen = true;
        CheckLost();
    }
    // A cable that has just failed is not reopened here: the poll finds it again, once
    // it is back, and the exchange that lost it ends first.
    if (reopen && !lost_) ConnectAttempt();
    return text;
}

void DoorPhoneLink::CheckLost() {
    if (!link_ || !link_->Broken()) return;
    link_.reset();
    connected_ = false;
    lost_ = true;
    statusText_ = QStringLiteral("------------");
    if (onLost) onLost();
}

void DoorPhoneLink::CloseLink() {
    link_.reset();
}

void DoorPhoneLink::SelectCableKind(bool vant) {
    const CableKind wanted = vant ? CableKind::Vant : CableKind::Trox;
    if (wanted == kind_) return;
    kind_ = wanted;
    statusText_ = QStringLiteral("------------");
    connected_ = false;
}

void DoorPhoneLink::SelectCableKind(const QString& templateValue) {
    if (templateValue == QLatin1String("1"))
        SelectCableKind(true);
    else if (templateValue == QLatin1String("0"))
        SelectCableKind(false);
}

bool DoorPhoneLink::WriteByte(uint8_t byte) {
    if (!link_) return false;
    const bool written = link_->WriteByte(byte);
    CheckLost();
    return written;
}

uint32_t DoorPhoneLink::RxCount() {
    if (!link_) return 0;
    const uint32_t count = link_->RxCount();
    CheckLost();
    return count;
}
