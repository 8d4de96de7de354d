// A real cable is asked for low latency when it is opened; a pseudo-terminal refuses, and
// the refusal changes nothing.
#include "DoorPhoneLink.h"
#include "Ports.h"
#include "SerialBackend.h"
#include "test_pty.h"

#include <gtest/gtest.h>

TEST(FirmwareSerial, LowLatencyIsAskedOnOpenAndARefusalIsIgnored) {
    Pty pty;
    ASSERT_FALSE(pty.slavePath.isEmpty());

    RealClock clock;
    SerialBackend backend;
    backend.SetExplicitPort(
        pty.slavePath, [] { return std::make_pair(QByteArray("TROX"), QByteArray("TROX-USB")); });
    QList<QByteArray> asked; // the terminal behind each descriptor asked
    bool answer = false;
    backend.requestLowLatency = [&](int fd) {
        asked << QByteArray(ttyname(fd));
        // The real request on the same descriptor: a pseudo-terminal refuses it.
        answer = RequestLowLatency(fd);
        return answer;
    };
    DoorPhoneLink link(backend, clock);
    link.ConnectAttempt();
    ASSERT_TRUE(link.Connected());
    EXPECT_EQ(asked, QList<QByteArray>{pty.slavePath.toLatin1()});
    EXPECT_FALSE(answer);
    // The port works all the same.
    ASSERT_TRUE(link.WriteByte('x'));
    EXPECT_EQ(pty.ReadFar(1), QByteArray("x"));

    EXPECT_FALSE(RequestLowLatency(-1));
    link.CloseLink();
}
