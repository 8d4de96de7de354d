// The real serial backend against a pseudo-terminal given as the explicit port.
#include "Clock.h"
#include "DoorPhoneLink.h"
#include "SerialBackend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
struct Pty {
    int master = -1;
    QString slavePath;
    Pty() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        ::close(slave);
        slavePath = QString::fromLatin1(name);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        if (master >= 0) ::close(master);
    }
    QByteArray ReadFar(int want) {
        QByteArray out;
        for (int tries = 0; tries < 200 && out.size() < want; ++tries) {
            char buf[64];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                out.append(buf, int(n));
            else
                usleep(5000);
        }
        return out;
    }
};
} // namespace

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
    uint8_t b = 0;
    EXPECT_EQ(link.RxCount(), 0u);
    EXPECT_FALSE(link.Link()->ReadByte(&b));
}
