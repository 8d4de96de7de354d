// norva-doorphone-sim: the simulated door phone at the far end of a pseudo-terminal, in
// real time at the line's baud rate. The terminal's path is the first line on stdout; the
// window (--port) and norvaset-cli (--port) then talk to it through the real serial code.

#include "Clock.h"
#include "SimDoorPhone.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

const char kUsage[] =
    "Usage: norva-doorphone-sim [options]\n"
    "\n"
    "Runs the simulated door phone on a pseudo-terminal and prints the terminal's path as\n"
    "the first line. Serves until stdin closes or the program is stopped (Ctrl+C, SIGTERM).\n"
    "\n"
    "Options:\n"
    "  --state DIR              memory in DIR (parameters.bin, numbers.bin); created with\n"
    "                           factory content when missing, kept up to date\n"
    "  --version N              firmware version byte (253 is \"2.53\")\n"
    "  --resets N               number of resets the status reports\n"
    "  --night                  start in night mode\n"
    "  --baud N                 pace of the simulated line (default 9600)\n"
    "  --no-stdin               ignore stdin; serve until stopped\n"
    "Faults:\n"
    "  --silent                 answer nothing\n"
    "  --status-length N        status reply of N bytes instead of 20\n"
    "  --parameter-length N     parameter block of N bytes instead of 256\n"
    "  --error-at-byte N        \"E\" instead of \"D\" after parameter byte N\n"
    "  --double-ack-at N        \"DD\" instead of \"D\" after parameter byte N\n"
    "  --error-at-record N      answer \"E\" to a read or write of number record N\n"
    "  --error-repeats N        how often the record fault fires (-1 always; default 1)\n"
    "  --unplug-after N         pull the cable once N bytes went to the program\n"
    "  --unplug-after-received N  ... or once N bytes came from the program\n"
    "  --wrong-byte N           store parameter byte N wrong (lowest bit flipped)\n"
    "  --wrong-record N         store the first byte of number record N wrong\n"
    "Firmware loader faults (once each; bytes and blocks count from the loader's \"Y\"):\n"
    "  --loader-never-ready     never answer \"w\" with \"Y\"\n"
    "  --loader-ok-at N         answer image byte N with \"OK\" in one reply\n"
    "  --loader-k-at N          answer image byte N with \"K\" in the middle of its block\n"
    "  --loader-p-at N          answer image byte N with \"P\"\n"
    "  --loader-silent-at N     leave image byte N without an answer\n"
    "  --loader-error-at-block N  answer block N with \"E\"\n"
    "  --loader-stall-at N MS   answer image byte N MS milliseconds late; the answers after\n"
    "                           it wait behind it"
    "A completed firmware upgrade is saved as firmware.bin in the --state folder.\n";

struct SimOptions {
    QString stateDir;
    int version = -1;
    int resets = -1;
    bool night = false;
    int baud = 9600;
    bool ignoreStdin = false;
    SimDoorPhone::Faults faults;
    SimDoorPhone::LoaderFaults loader;
};

bool ParseArguments(const QStringList& args, SimOptions* o, QString* error, bool* help) {
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        bool hasValue = false;
        const int eq = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        auto text = [&](QString* out) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    *error = QStringLiteral("option '%1' needs a value").arg(name);
                    return false;
                }
                value = args[++i];
            }
            *out = value;
            return true;
        };
        auto number = [&](int* out, int min, int max) {
            QString t;
            if (!text(&t)) return false;
            bool ok = false;
            const int n = t.toInt(&ok);
            if (!ok || n < min || n > max) {
                *error = QStringLiteral("option '%1' needs a number %2 ... %3: '%4'")
                             .arg(name)
                             .arg(min)
                             .arg(max)
                             .arg(t);
                return false;
            }
            *out = n;
            return true;
        };
        auto flag = [&](bool* out) {
            if (hasValue) {
                *error = QStringLiteral("option '%1' takes no value").arg(name);
                return false;
            }
            *out = true;
            return true;
        };
        SimDoorPhone::Faults& f = o->faults;
        bool ok = false;
        if (name == QLatin1String("--help") || name == QLatin1String("-h"))
            ok = flag(help);
        else if (name == QLatin1String("--state"))
            ok = text(&o->stateDir);
        else if (name == QLatin1String("--version"))
            ok = number(&o->version, 0, 255);
        else if (name == QLatin1String("--resets"))
            ok = number(&o->resets, 0, 65535);
        else if (name == QLatin1String("--night"))
            ok = flag(&o->night);
        else if (name == QLatin1String("--baud"))
            ok = number(&o->baud, 300, 4000000);
        else if (name == QLatin1String("--no-stdin"))
            ok = flag(&o->ignoreStdin);
        else if (name == QLatin1String("--silent"))
            ok = flag(&f.silent);
        else if (name == QLatin1String("--status-length"))
            ok = number(&f.statusLength, 0, 1000);
        else if (name == QLatin1String("--parameter-length"))
            ok = number(&f.parameterLength, 0, 1000);
        else if (name == QLatin1String("--error-at-byte"))
            ok = number(&f.errorAtParameterByte, 1, 255);
        else if (name == QLatin1String("--double-ack-at"))
            ok = number(&f.doubleAckAtByte, 1, 255);
        else if (name == QLatin1String("--error-at-record"))
            ok = number(&f.errorAtRecord, 1, 199);
        else if (name == QLatin1String("--error-repeats"))
            ok = number(&f.errorRepeats, -1, 1000000);
        else if (name == QLatin1String("--unplug-after"))
            ok = number(&f.unplugAfterBytesToHost, 1, 1 << 30);
        else if (name == QLatin1String("--unplug-after-received"))
            ok = number(&f.unplugAfterBytesFromHost, 1, 1 << 30);
        else if (name == QLatin1String("--loader-never-ready"))
            ok = flag(&o->loader.neverReady);
        else if (name == QLatin1String("--loader-ok-at"))
            ok = number(&o->loader.okAtByte, 1, 1 << 30);
        else if (name == QLatin1String("--loader-k-at"))
            ok = number(&o->loader.blockTakenAtByte, 1, 1 << 30);
        else if (name == QLatin1String("--loader-p-at"))
            ok = number(&o->loader.restartAtByte, 1, 1 << 30);
        else if (name == QLatin1String("--loader-silent-at"))
            ok = number(&o->loader.silentAtByte, 1, 1 << 30);
        else if (name == QLatin1String("--loader-error-at-block"))
            ok = number(&o->loader.errorAtBlock, 1, 1 << 30);
        else if (name == QLatin1String("--loader-stall-at")) {
            // Two values: the byte, then the time ("--loader-stall-at=N MS" too).
            ok = number(&o->loader.stallAtByte, 1, 1 << 30);
            hasValue = false;
            ok = ok && number(&o->loader.stallMs, 1, 10 * 60 * 1000);
        } else if (name == QLatin1String("--wrong-byte"))
            ok = number(&f.wrongParameterByte, 1, 255);
        else if (name == QLatin1String("--wrong-record"))
            ok = number(&f.wrongRecord, 1, 199);
        else
            *error = QStringLiteral("unknown option '%1'").arg(args[i]);
        if (!ok) return false;
    }
    return true;
}

void Warn(const QString& text) {
    std::fprintf(stderr, "norva-doorphone-sim: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The pseudo-terminal and the door phone behind it. The master side is ours; the program
// opens the slave side as its serial port. While nobody holds the slave open the master
// reports a hang-up: that is how openings and closings of the port show, and the door
// phone starts every opening from a quiet line, as on the real cable.
// Time for the line, to the microsecond: an answer leaves when its last bit has crossed
// the line, not at the next whole millisecond.
class LineClock : public ClockPort {
public:
    LineClock() { timer_.start(); }
    qint64 NowMs() const override { return timer_.elapsed(); }
    void Sleep(int ms) override { real_.Sleep(ms); }
    QDateTime CurrentDateTime() const override { return QDateTime::currentDateTime(); }
    double PreciseMs() const { return double(timer_.nsecsElapsed()) / 1e6; }

private:
    QElapsedTimer timer_;
    RealClock real_;
};

class PtyDoorPhone {
public:
    PtyDoorPhone(SimDoorPhone& phone, LineClock& clock) : phone_(phone), clock_(clock) {}
    ~PtyDoorPhone() { Unplug(); }

    bool Open(QString* path, QString* error) {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) {
            *error =
                QStringLiteral("no pseudo-terminal: ") + QString::fromLocal8Bit(strerror(errno));
            return false;
        }
        // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        ::close(slave);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        *path = QString::fromLocal8Bit(name);
        return true;
    }

    bool Plugged() const { return master_ >= 0; }

    void Unplug() {
        if (master_ < 0) return;
        ::close(master_);
        master_ = -1;
    }

    // How long the next round may wait: until the door phone's next answer is due, at
    // most maxMs.
    double WaitMs(double maxMs) const {
        const double due = phone_.NextEventMs() - clock_.PreciseMs();
        return std::clamp(due, 0.0, maxMs);
    }

    // One round: waits up to waitMs for bytes (or for stdin), takes what came in, hands
    // over what is due. Returns false once stdin has closed; a stdin that cannot be read
    // (a terminal the process runs in the background of) is dropped: stdinFd becomes -1.
    bool Serve(int& stdinFd, double waitMs) {
        pollfd fds[2];
        int n = 0;
        int masterIndex = -1, stdinIndex = -1;
        if (master_ >= 0) {
            fds[n] = {master_, POLLIN, 0};
            masterIndex = n++;
        }
        if (stdinFd >= 0) {
            fds[n] = {stdinFd, POLLIN, 0};
            stdinIndex = n++;
        }
        const qint64 waitNs = qint64(waitMs * 1e6);
        const timespec wait{time_t(waitNs / 1000000000), long(waitNs % 1000000000)};
        const int ready = ::ppoll(fds, nfds_t(n), &wait, nullptr);
        if (ready < 0) return errno == EINTR;
        if (stdinIndex >= 0 && (fds[stdinIndex].revents & (POLLIN | POLLHUP | POLLERR))) {
            char buf[256];
            const ssize_t got = ::read(stdinFd, buf, sizeof buf);
            if (got == 0) return false;
            if (got < 0 && errno != EINTR && errno != EAGAIN) stdinFd = -1;
        }
        if (masterIndex < 0) return true;
        const short ev = fds[masterIndex].revents;
        if ((ev & POLLHUP) && !(ev & POLLIN)) {
            if (open_) {
                open_ = false;
                phone_.OnClose();
            }
            // Nobody on the line: look again a little later instead of spinning.
            ::usleep(5000);
            return true;
        }
        if (!open_) {
            open_ = true;
            phone_.OnOpen();
        }
        if (ev & POLLIN) Receive();
        Transmit();
        return true;
    }

private:
    void Receive() {
        unsigned char buf[512];
        for (;;) {
            const ssize_t got = ::read(master_, buf, sizeof buf);
            if (got <= 0) return;
            for (ssize_t i = 0; i < got && master_ >= 0; ++i)
                phone_.ByteFromHostAt(buf[i], clock_.PreciseMs());
        }
    }

    void Transmit() {
        if (master_ < 0) return;
        pending_ += phone_.TakeBytesAt(clock_.PreciseMs());
        if (master_ < 0 || pending_.isEmpty()) return;
        const ssize_t put = ::write(master_, pending_.constData(), size_t(pending_.size()));
        if (put > 0) pending_.remove(0, int(put));
        // A program that stopped reading must not make the door phone hoard its answers.
        if (pending_.size() > 65536) pending_.clear();
    }

    SimDoorPhone& phone_;
    LineClock& clock_;
    int master_ = -1;
    bool open_ = false;
    QByteArray pending_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    SimOptions options;
    QString error;
    bool help = false;
    if (!ParseArguments(args, &options, &error, &help)) {
        Warn(error + QStringLiteral("\nTry 'norva-doorphone-sim --help'."));
        return 2;
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Started in the background of a terminal, reading stdin must not stop the process.
    std::signal(SIGTTIN, SIG_IGN);

    LineClock clock;
    SimDoorPhone phone(clock);
    phone.timing().baud = options.baud;
    phone.faults() = options.faults;
    phone.loaderFaults() = options.loader;
    if (options.version >= 0) phone.version = options.version;
    if (options.resets >= 0) phone.resets = options.resets;
    if (options.night) phone.dayMode = false;
    phone.SetDeviceTime(QDateTime::currentDateTime());
    if (!options.stateDir.isEmpty()) {
        if (!phone.LoadFrom(options.stateDir, &error)) Warn(error);
        if (!phone.SaveTo(options.stateDir, &error)) {
            Warn(error);
            return 2;
        }
        phone.SetStateDir(options.stateDir);
    }

    PtyDoorPhone line(phone, clock);
    QString path;
    if (!line.Open(&path, &error)) {
        Warn(error);
        return 1;
    }
    phone.onUnplug = [&line] {
        line.Unplug();
        Warn(QStringLiteral("the cable was pulled"));
    };
    std::printf("%s\n", path.toLocal8Bit().constData());
    std::fflush(stdout);

    int stdinFd = options.ignoreStdin ? -1 : STDIN_FILENO;
    // A turn of the loop takes a millisecond or so; a much longer one means this process
    // was stopped or starved, which a door phone never is.
    constexpr qint64 kStoodStillMs = 200;
    qint64 lastTurn = clock.NowMs();
    while (!gStop) {
        const qint64 now = clock.NowMs();
        if (now - lastTurn > kStoodStillMs) phone.StoodStill(double(now - lastTurn));
        lastTurn = now;
        // After the cable was pulled only stdin and the signals are left to wait for.
        if (!line.Serve(stdinFd, line.Plugged() ? line.WaitMs(1.0) : 50)) break;
        if (!line.Plugged() && stdinFd < 0) ::usleep(50000);
    }
    line.Unplug();
    if (!options.stateDir.isEmpty() && !phone.SaveTo(options.stateDir, &error)) {
        Warn(error);
        return 1;
    }
    return 0;
}
