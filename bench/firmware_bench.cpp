// A whole firmware image (1920 blocks) flashed into the simulated door phone in real time:
// the real clock, the line paced at 9600 baud, the upgrade engine's 1 ms timer on QTimer as
// in the firmware window. Prints the elapsed time, the wire floor (every byte sent and its
// one-byte answer, 10 bits each at 9600 baud) and their ratio.
//
//   norva_firmware_bench [--answer-ms MS]   the loader's own time to answer (default 0)

#include "DoorPhoneLink.h"
#include "FirmwareUpgrade.h"
#include "HexImage.h"
#include "LanguageTexts.h"
#include "Ports.h"
#include "SimCableBackend.h"
#include "SimDoorPhone.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

class BenchPort : public FirmwarePort {
public:
    void SetStatusLabel(const QString&) override {}
    void SetStatusColour(FwLabelColour) override {}
    void SetProgressRange(int, int) override {}
    void SetProgress(int, int) override {}
    void SetBlockLabels(const QString&, const QString&) override {}
    void ShowEndingMessage(const QString& text) override { message = text; }
    void RunEnded(FwEnding, const QString&) override {}
    QString message;
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    double answerMs = 0;
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--answer-ms")));
    if (at > 0 && at + 1 < args.size()) answerMs = args[at + 1].toDouble();

    RealClock clock;
    SimCableBackend backend(clock);
    auto phone = std::make_shared<SimDoorPhone>(clock);
    phone->timing().answerMs = answerMs;
    backend.AddBothCables(phone);
    DoorPhoneLink link(backend, clock);
    link.ConnectAttempt();
    LanguageTexts texts;
    BenchPort port;
    FirmwareUpgrade engine(link, clock, port, texts);
    QTemporaryDir folder;

    const FirmwareImage image = FullImage();
    if (image.BlockCount() == 0) {
        std::fprintf(stderr, "the benchmark image was refused\n");
        return 1;
    }
    // As in the window: a 1 ms timer that keeps its pace while the run lasts.
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(FirmwareUpgrade::kTimerMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        engine.Timer1Timer();
        if (!engine.Running()) loop.quit();
    });
    const auto sync = [&] { timer.start(); };

    phone->ClearLineRecord();
    const qint64 start = clock.NowMs();
    if (!engine.Start(image, false, folder.path())) return 1;
    sync();
    loop.exec();
    const double elapsed = double(clock.NowMs() - start);

    const double byteMs = phone->ByteMs();
    const qint64 sent = phone->BytesFromHost();
    const qint64 answers = phone->BytesToHost();
    const double floor = double(sent + answers) * byteMs;
    std::printf("firmware image: %d blocks, ending %s\n", image.BlockCount(),
                qPrintable(FirmwareUpgrade::EndingLabel(engine.Ending())));
    std::printf("bytes sent %lld, answers %lld, loader answer time %.1f ms\n", (long long)sent,
                (long long)answers, answerMs);
    std::printf("elapsed %.1f s, wire floor %.1f s, ratio %.2f\n", elapsed / 1000, floor / 1000,
                elapsed / floor);
    return engine.Ending() == FwEnding::Finish ? 0 : 1;
}
