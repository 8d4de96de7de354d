#pragma once
// A pseudo-terminal standing in for the cable: the program opens slavePath as its serial
// port, the test plays the door phone on master (raw, non-blocking).
#include <QByteArray>
#include <QString>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

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
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    // What the program sent, up to want bytes, waiting up to a second.
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
