// A real cable is asked for low latency when it is opened; a pseudo-terminal refuses, and
// the refusal changes nothing.
#include "DoorPhoneLink.h"
#include "Ports.h"
#include "SerialBackend.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

TEST(FirmwareSerial, LowLatencyIsAskedOnOpenAndARefusalIsIgnored) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios t{};
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    ::close(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    RealClock clock;
    SerialBackend backend;
    backend.SetExplicitPort(QString::fromLatin1(name), [] {
        return std::make_pair(QByteArray("TROX"), QByteArray("TROX-USB"));
    });
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
    EXPECT_EQ(asked, QList<QByteArray>{QByteArray(name)});
    EXPECT_FALSE(answer);
    // The port works all the same.
    ASSERT_TRUE(link.WriteByte('x'));
    char got = 0;
    for (int i = 0; i < 200 && ::read(master, &got, 1) != 1; ++i) usleep(5000);
    EXPECT_EQ(got, 'x');

    EXPECT_FALSE(RequestLowLatency(-1));
    link.CloseLink();
    ::close(master);
}
