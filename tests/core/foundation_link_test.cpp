// The cable layer: TFT232 over the simulated cables, and DoorPhoneLink's connection rules.
#include "Clock.h"
#include "DoorPhoneLink.h"
#include "SimCableBackend.h"
#include "TFT232.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
struct Rig {
    VirtualClock clock;
    SimCableBackend backend{clock};
    std::shared_ptr<ScriptedFarEnd> far = std::make_shared<ScriptedFarEnd>();
};
} // namespace

TEST(FoundationTFT232, OpenFailureText) {
    Rig rig;
    try {
        TFT232 device(rig.backend, rig.clock, "NoSuch");
        FAIL() << "opened a device that is not there";
    } catch (const TFT232Exception& e) {
        EXPECT_EQ(e.Message(), QString("Device NoSuch can not open"));
    }
}

TEST(FoundationTFT232, ClosingTakesTenMilliseconds) {
    Rig rig;
    rig.backend.AddCable("TROX", "TROX-USB", rig.far);
    auto device = std::make_unique<TFT232>(rig.backend, rig.clock, "TROX-USB");
    const qint64 before = rig.clock.NowMs();
    device.reset();
    EXPECT_GE(rig.clock.NowMs() - before, 10);
}

TEST(FoundationTFT232, BytesBothWaysAndSecondOpenFails) {
    Rig rig;
    rig.backend.AddCable("TROX", "TROX-USB", rig.far);
    TFT232 device(rig.backend, rig.clock, "TROX-USB");
    EXPECT_EQ(device.RxCount(), 0u);
    EXPECT_TRUE(device.WriteByte('V'));
    EXPECT_EQ(rig.far->received, QByteArray("V"));
    rig.far->queued = "AB";
    EXPECT_EQ(device.RxCount(), 2u);
    uint8_t b = 0;
    ASSERT_TRUE(device.ReadByte(&b));
    EXPECT_EQ(b, 'A');
    EXPECT_THROW(TFT232(rig.backend, rig.clock, "TROX-USB"), TFT232Exception);
}

TEST(FoundationTFT232, DescriptionListing) {
    Rig rig;
    rig.backend.AddCable(QByteArray(60, 'x'), "LONG", rig.far);
    FTListing listing;
    ASSERT_EQ(GetFTDeviceCount(rig.backend, listing), 0);
    EXPECT_EQ(listing.deviceCount, 1u);
    ASSERT_EQ(GetFTDeviceDescription(rig.backend, listing, 0), 0);
    EXPECT_EQ(listing.description, QString(49, 'x'));
    // An index past the count fails and keeps the last description.
    EXPECT_NE(GetFTDeviceDescription(rig.backend, listing, 5), 0);
    EXPECT_EQ(listing.description, QString(49, 'x'));
    EXPECT_EQ(FTStatusText(2), QString(" - Device Not Found...."));
}

TEST(FoundationLink, WhichCableOpens) {
    struct Case {
        const char* name;
        bool trox, vant; // plugged in
        bool selectVant; // cable kind of the model
        bool connected;
        const char* status;
    } cases[] = {
        {"both plugged, TROX selected", true, true, false, true, "OK-Norva"},
        {"both plugged, Vant selected", true, true, true, true, "OK-Norva-S"},
        {"only TROX, Vant selected", true, false, true, false, "------------"},
        {"only Vant, TROX selected", false, true, false, false, ""},
        {"nothing plugged", false, false, false, false, ""},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.backend.AddBothCables(rig.far);
        rig.backend.SetPlugged(0, c.trox);
        rig.backend.SetPlugged(1, c.vant);
        DoorPhoneLink link(rig.backend, rig.clock);
        link.SelectCableKind(c.selectVant);
        link.ConnectAttempt();
        EXPECT_EQ(link.Connected(), c.connected) << c.name;
        EXPECT_EQ(link.CableStatusText(), QString(c.status)) << c.name;
        EXPECT_EQ(link.TroxFound(), c.trox) << c.name;
        EXPECT_EQ(link.VantFound(), c.vant) << c.name;
        if (c.connected) {
            const int open = c.selectVant ? 1 : 0;
            EXPECT_TRUE(rig.backend.CableAt(open).open) << c.name;
            EXPECT_FALSE(rig.backend.CableAt(1 - open).open) << c.name;
        }
    }
}

TEST(FoundationLink, FailedDescriptionRepeatsThePreviousOne) {
    Rig rig;
    rig.backend.AddCable("VX-Interface", "Vexim", rig.far);
    rig.backend.AddCable("TROX", "TROX-USB", rig.far);
    rig.backend.CableAt(1).failDescription = true;
    DoorPhoneLink link(rig.backend, rig.clock);
    QString label;
    link.onDeviceList = [&](const QString& text) { label = text; };
    link.ConnectAttempt();
    EXPECT_EQ(label, QString("VX-Interface---VX-Interface---"));
    EXPECT_FALSE(link.TroxFound());
    EXPECT_FALSE(link.Connected());
}

TEST(FoundationLink, ChangingCableKindDropsTheConnection) {
    Rig rig;
    rig.backend.AddBothCables(rig.far);
    DoorPhoneLink link(rig.backend, rig.clock);
    link.ConnectAttempt();
    ASSERT_TRUE(link.Connected());
    link.SelectCableKind(QString("2")); // not a cable value: nothing changes
    EXPECT_TRUE(link.Connected());
    link.SelectCableKind(QString("1"));
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(link.CableStatusText(), QString("------------"));
    link.CloseLink();
    link.ConnectAttempt();
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(link.CableStatusText(), QString("OK-Norva-S"));
}

TEST(FoundationLink, DrainWithoutLinkReturnsNothingAndConnects) {
    Rig rig;
    rig.backend.AddBothCables(rig.far);
    DoorPhoneLink link(rig.backend, rig.clock);
    EXPECT_EQ(link.ReceiveDrain(), QString());
    EXPECT_TRUE(link.Connected());
    rig.far->queued = QByteArray("Z\xFF", 2);
    EXPECT_EQ(link.ReceiveDrain(), QString("Z") + QChar(0xFF));
}

TEST(FoundationLink, WritesWithoutLinkFail) {
    Rig rig;
    DoorPhoneLink link(rig.backend, rig.clock);
    EXPECT_FALSE(link.WriteByte('V'));
    EXPECT_EQ(link.RxCount(), 0u);
}

// A cable that fails as a pulled one does is let go at once, whichever call noticed it,
// and is found again by the next connection attempt once it is back.
TEST(FoundationLink, UnpluggedCableIsLetGoAndFoundAgain) {
    const struct {
        const char* name;
        std::function<void(DoorPhoneLink&)> call;
    } calls[] = {
        {"write", [](DoorPhoneLink& l) { EXPECT_FALSE(l.WriteByte('V')); }},
        {"count", [](DoorPhoneLink& l) { EXPECT_EQ(l.RxCount(), 0u); }},
        {"drain", [](DoorPhoneLink& l) { EXPECT_EQ(l.ReceiveDrain(), QString()); }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.backend.AddBothCables(rig.far);
        DoorPhoneLink link(rig.backend, rig.clock);
        int lost = 0;
        link.onLost = [&] { ++lost; };
        link.ConnectAttempt();
        ASSERT_TRUE(link.Connected());
        rig.backend.SetPlugged(0, false);
        c.call(link);
        EXPECT_FALSE(link.Connected());
        EXPECT_TRUE(link.Lost());
        EXPECT_EQ(link.Link(), nullptr);
        EXPECT_EQ(lost, 1);
        EXPECT_EQ(link.CableStatusText(), QString("------------"));
        // Still gone: nothing opens, and a drain does not try.
        link.ConnectAttempt();
        EXPECT_FALSE(link.Connected());
        rig.backend.SetPlugged(0, true);
        link.ConnectAttempt();
        EXPECT_TRUE(link.Connected());
        EXPECT_FALSE(link.Lost());
        EXPECT_EQ(link.CableStatusText(), QString("OK-Norva"));
    }
}
