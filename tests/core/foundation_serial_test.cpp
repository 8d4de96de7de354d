// The real serial backend against a pseudo-terminal given as the explicit port.
#include "Clock.h"
#include "DoorPhoneLink.h"
#include "SerialBackend.h"
#include "test_pty.h"

#include <gtest/gtest.h>
#include <unistd.h>

TEST(FoundationSerial, BytesCrossAPseudoTerminal) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.isEmpty());
    RealClock clock;
    SerialBackend backend;
    DoorPhoneLink* linkPtr = nullptr;
    backend.SetExplicitPort(pty.slavePath, [&] {
        const CableInfo& cable = CableFor(linkPtr->Kind());
        return std::make_pair(QByteArray(cable.description), QByteArray(cable.serial));
    });
    DoorPhoneLink link(backend, clock);
    linkPtr = &link;
    link.ConnectAttempt();
    ASSERT_TRUE(link.Connected());
    EXPECT_EQ(link.CableStatusText(), QString("OK-Norva"));
    EXPECT_EQ(link.DeviceList(), QString("TROX---"));

    ASSERT_TRUE(link.WriteByte('R'));
    ASSERT_TRUE(link.WriteByte('P'));
    EXPECT_EQ(pty.ReadFar(2), QByteArray("RP"));

    ASSERT_EQ(::write(pty.master, "ZD\xFF", 3), 3);
    uint32_t waiting = 0;
    for (int i = 0; i < 200 && waiting < 3; ++i) {
        waiting = link.RxCount();
        if (waiting < 3) usleep(5000);
    }
    EXPECT_EQ(waiting, 3u);
    uint8_t b = 0;
    ASSERT_TRUE(link.Link()->ReadByte(&b));
    EXPECT_EQ(b, 'Z');
    EXPECT_EQ(link.ReceiveDrain(), QString("D") + QChar(0xFF));

    // A second open of the same device fails while the link holds it.
    std::unique_ptr<DeviceHandle> second;
    EXPECT_NE(backend.OpenBySerial("TROX-USB", &second), 0);
}

TEST(FoundationSerial, ClosedFarSideLooksUnplugged) {
    auto pty = std::make_unique<Pty>();
    ASSERT_FALSE(pty->slavePath.isEmpty());
    RealClock clock;
    SerialBackend backend;
    backend.SetExplicitPort(
        pty->slavePath, [] { return std::make_pair(QByteArray("TROX"), QByteArray("TROX-USB")); });
    DoorPhoneLink link(backend, clock);
    link.ConnectAttempt();
    ASSERT_TRUE(link.Connected());
    pty.reset(); // the far end goes away
    EXPECT_EQ(link.RxCount(), 0u);
    // The port is let go at once, and the connection shows as lost.
    EXPECT_TRUE(link.Lost());
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(link.Link(), nullptr);
}
