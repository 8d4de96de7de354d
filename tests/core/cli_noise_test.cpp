// norvaset-cli on a port where something else talks: a pseudo-terminal that delivers
// 3 bytes every 30 ms and never answers. Each command ends with the time-out message
// within a few seconds instead of waiting for ever.
#include "cli_harness.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

class NoisyPty {
public:
    NoisyPty() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        ::close(slave);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        path_ = QString::fromLatin1(name);
        noise_ = std::thread([this] {
            const char bytes[3] = {'x', '\x01', '\xFF'};
            char sink[256];
            while (!stop_) {
                [[maybe_unused]] const ssize_t n = ::write(master_, bytes, sizeof bytes);
                while (::read(master_, sink, sizeof sink) > 0) {} // what the program sends
                usleep(30000);
            }
        });
    }
    ~NoisyPty() {
        stop_ = true;
        if (noise_.joinable()) noise_.join();
        if (master_ >= 0) ::close(master_);
    }
    QString Path() const { return path_; }

private:
    int master_ = -1;
    QString path_;
    std::atomic<bool> stop_{false};
    std::thread noise_;
};

} // namespace

TEST(CliNoisyLine, CommandsEndWithTheTimeoutMessage) {
    const QStringList commands[] = {{"status"}, {"read-all", "out.nvs"}};
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command.join(' ').toStdString());
        QTemporaryDir dir;
        NoisyPty pty;
        ASSERT_TRUE(pty.Path().startsWith("/dev/"));
        QElapsedTimer elapsed;
        elapsed.start();
        const cli::Result r =
            cli::Run(dir.path(), QStringList{"--port", pty.Path()} + command, 60000);
        const qint64 ms = elapsed.elapsed();
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("Communication error - Norva DoorPhone is not connect\n"))
            << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.nvs")));
        // 3.2 s and the answer's line time, plus the start and the transfer's brackets;
        // a wait that never ends would run into the 60 s above.
        EXPECT_GT(ms, 3200);
        EXPECT_LT(ms, 15000);
        std::printf("[          ] %s ended after %lld ms\n", qPrintable(command.join(' ')),
                    static_cast<long long>(ms));
    }
}
