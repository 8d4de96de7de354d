// A whole firmware image (1919 blocks and the end block) flashed into a simulated door
// phone in real time: the real clock, the line paced at 9600 baud, the upgrade engine's
// 1 ms timer on QTimer as in the firmware window. Prints the elapsed time, the wire floor
// (every byte of the image, "x" and one "w" sent, and a one-byte answer to each, 10 bits a
// byte at 9600 baud) and their ratio.
//
//   norva_firmware_bench                 norva-doorphone-sim (beside this program) on a
//                                        pseudo-terminal, through the real serial code
//   norva_firmware_bench --in-process [--answer-ms MS]
//                                        the simulated cable inside this process, the
//                                        loader answering after MS ms (default 0)

#include "Backends.h"
#include "DoorPhoneLink.h"
#include "FirmwareUpgrade.h"
#include "HexImage.h"
#include "LanguageTexts.h"
#include "Ports.h"
#include "SimCableBackend.h"
#include "SimDoorPhone.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

class BenchPort : public FirmwarePort {
public:
    void SetStatusLabel(const QString&) override {}
    void SetStatusColour(FwLabelColour) override {}
    void SetProgressRange(int, int) override {}
    void SetProgress(int, int, const QString&) override {}
    void SetBlockLabels(const QString&, const QString&) override {}
    void ShowEndingMessage(const FwReport&, const QString&) override {}
    void RunEnded(const FwReport& ending, const QString&) override { report = ending; }
    FwReport report;
};

// A full program: words 4 .. 0x1DFF, then the record that ends the image.
FirmwareImage FullImage() {
    QByteArray text;
    for (int address = 0; address < 0x3C00; address += 16) {
        QByteArray record;
        record.append(char(16));
        record.append(char(address >> 8));
        record.append(char(address & 0xFF));
        record.append(char(0));
        for (int i = 0; i < 16; ++i) record.append(char((address + i) * 7 + 3));
        int sum = 0;
        for (char b : record) sum += uint8_t(b);
        record.append(char(-sum));
        text += ':' + record.toHex().toUpper() + "\r\n";
    }
    text += QByteArray(kHexDropFrom) + "\r\n:00000001FF\r\n";
    return LoadHexText(text).image;
}

// The pseudo-terminal simulator as a child process; its first line is the terminal.
class PtySimulator {
public:
    bool Start(const QString& stateDir) {
        const QString program =
            QDir(QCoreApplication::applicationDirPath()).filePath("norva-doorphone-sim");
        process_.start(program, {QStringLiteral("--state"), stateDir});
        if (!process_.waitForStarted(10000)) return false;
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {}
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        return !path_.isEmpty();
    }
    ~PtySimulator() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) process_.kill();
    }
    QString Path() const { return path_; }

private:
    QProcess process_;
    QString path_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool inProcess = args.contains(QStringLiteral("--in-process"));
    double answerMs = 0;
    const int at = int(args.indexOf(QStringLiteral("--answer-ms")));
    if (at > 0 && at + 1 < args.size()) answerMs = args[at + 1].toDouble();

    const FirmwareImage image = FullImage();
    if (image.BlockCount() == 0) {
        std::fprintf(stderr, "the benchmark image was refused\n");
        return 1;
    }

    RealClock clock;
    QTemporaryDir folder;
    PtySimulator simulator;
    Backend backend;
    DoorPhoneLink* linkSeen = nullptr;
    if (inProcess) {
        auto sim = std::make_unique<SimCableBackend>(clock);
        auto phone = std::make_shared<SimDoorPhone>(clock);
        phone->timing().loaderAnswerMs = answerMs;
        sim->AddBothCables(phone);
        backend.farEnd = phone;
        backend.backend = std::move(sim);
    } else {
        if (!simulator.Start(folder.filePath(QStringLiteral("phone")))) {
            std::fprintf(stderr, "norva-doorphone-sim did not start\n");
            return 1;
        }
        BackendChoice choice;
        choice.port = simulator.Path();
        backend = CreateBackend(choice, clock, [&linkSeen] { return linkSeen->Kind(); });
    }
    DoorPhoneLink link(*backend.backend, clock);
    linkSeen = &link;
    link.ConnectAttempt();
    if (!link.Connected()) {
        std::fprintf(stderr, "no simulated door phone on the line\n");
        return 1;
    }
    LanguageTexts texts;
    BenchPort port;
    FirmwareUpgrade engine(link, clock, port, texts);

    // As in the window: a 1 ms timer that keeps its pace while the run lasts.
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(FirmwareUpgrade::kTimerMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        engine.Timer1Timer();
        if (!engine.Running()) loop.quit();
    });

    const qint64 start = clock.NowMs();
    if (!engine.Start(image, false, folder.path())) return 1;
    timer.start();
    loop.exec();
    const double elapsed = double(clock.NowMs() - start);

    // "x", one "w", the image; an answer to each byte but "x".
    const qint64 sent = 2 + qint64(image.BlockCount()) * fwimage::kBlockBytes;
    const qint64 answers = sent - 1;
    const double byteMs = 10000.0 / 9600;
    const double floor = double(sent + answers) * byteMs;
    std::printf("firmware image: %d blocks, ending %s (%s), %s\n", image.BlockCount(),
                qPrintable(FirmwareUpgrade::EndingLabel(port.report.ending)),
                qPrintable(port.report.detail),
                inProcess ? "simulated cable in this process" : "pseudo-terminal simulator");
    std::printf("blocks restarted %d times\n", engine.TotalRestarts());
    if (inProcess) std::printf("loader answer time %.1f ms\n", answerMs);
    std::printf("elapsed %.1f s, wire floor %.1f s, ratio %.2f\n", elapsed / 1000, floor / 1000,
                elapsed / floor);
    return port.report.Finished() ? 0 : 1;
}
