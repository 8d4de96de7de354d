// "Read all" and "Write all" against the simulated door phone in real time: the real
// clock, the line paced at 9600 baud, the engine's timers on QTimer as in the window.
// For each it prints the elapsed time, the floor that the line and the pauses allow, and
// their ratio. The floor: every byte sent costs the longer of its line time and the pause
// after it, every byte received its line time, and each transfer bracket its fixed pauses
// (201 + 804 ms to open, the same to close) once.

#include "CommLog.h"
#include "Communicator.h"
#include "Defaults.h"
#include "DoorPhoneLink.h"
#include "DoorPhoneSession.h"
#include "NumberMemory.h"
#include "SettingsModel.h"
#include "SimDoorPhone.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

class BenchHost : public HostPort, public TemplateTarget {
public:
    std::function<void(EngineTimer, bool, int)> onTimer;
    qint64 lastBracketEndMs = -1;
    ClockPort* clock = nullptr;
    int messages = 0;

    void ShowMessage(const QString& text, const QString&, MsgIcon) override {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool AskYesNo(const QString&, const QString&, MsgIcon) override { return true; }
    void ShowProgress(bool) override {}
    void SetProgress(int) override {}
    void SetDeviceCommandsEnabled(bool) override {}
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void TimerChanged(EngineTimer timer, bool running, int intervalMs) override {
        // The poll timer starts again as the last step of closing a bracket.
        if (timer == EngineTimer::Poll && running) lastBracketEndMs = clock->NowMs();
        if (onTimer) onTimer(timer, running, intervalMs);
    }
    // No controls for a template to change.
    void SetVisible(const QString&, bool) override {}
    void SetEnabled(const QString&, bool) override {}
    void SetEmphasis(const QString&, bool, int) override {}
    void SetTreeEntry(int, const QString&, bool) override {}
    bool IsEnabled(const QString&) const override { return true; }
};

struct Result {
    double elapsedMs;
    double floorMs;
    qint64 sent;
    qint64 received;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    BenchHost host;
    SessionOptions options;
    options.backend.simulator = true;
    DoorPhoneSession session(options, host, host);
    ClockPort& clock = session.Clock();
    host.clock = &clock;
    SettingsModel& model = session.Model();
    ApplyBuiltInDefaults(model);
    for (int b = 1; b <= 99; ++b) {
        model.SetText(FirstNumberField(b), QString::number(100000 + b));
        if (b % 3 == 0)
            model.SetText(SecondNumberField(b), QStringLiteral("*#P") + QString::number(b));
    }

    auto phone = std::dynamic_pointer_cast<SimDoorPhone>(session.BackendInUse().farEnd);
    session.Link().ConnectAttempt();
    Communicator& comm = session.Comm();

    QTimer timer1, timer2;
    timer1.setTimerType(Qt::PreciseTimer);
    timer2.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer1, &QTimer::timeout, [&] { comm.TransferTick(); });
    QObject::connect(&timer2, &QTimer::timeout, [&] { comm.PollTick(); });
    host.onTimer = [&](EngineTimer timer, bool running, int interval) {
        QTimer& t = timer == EngineTimer::Transfer ? timer1 : timer2;
        if (running)
            t.start(interval);
        else
            t.stop();
    };
    comm.SetPollingAllowed(true);

    const auto idle = [&] {
        const TransferState& s = comm.State();
        return !comm.TransferActive() && !s.Waiting() && !comm.ContinuationPending();
    };
    const double byteMs = phone->ByteMs();
    const auto run = [&](const char* name, const std::function<void()>& command) {
        // Start from a quiet line: no status exchange in flight, no poll pending.
        comm.StopTimers();
        phone->ClearLineRecord();
        host.messages = 0;
        const qint64 start = clock.NowMs();
        command();
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (idle()) loop.quit();
        });
        check.start(5);
        loop.exec();
        Result r;
        r.elapsedMs = double(host.lastBracketEndMs - start);
        r.sent = phone->BytesFromHost();
        r.received = phone->BytesToHost();
        const int brackets = 2;
        r.floorMs =
            r.sent * std::max(byteMs, 2.0) + r.received * byteMs + brackets * 2 * (201 + 804);
        std::printf("%-10s elapsed %8.0f ms  floor %8.0f ms  ratio %.3f  (%lld bytes sent, "
                    "%lld received, %d messages)\n",
                    name, r.elapsedMs, r.floorMs, r.elapsedMs / r.floorMs,
                    static_cast<long long>(r.sent), static_cast<long long>(r.received),
                    host.messages);
        std::fflush(stdout);
        return r;
    };

    run("Read all", [&] { comm.ReadAll(); });
    run("Write all", [&] { comm.WriteAll(); });
    phone->Settle();
    bool same = true;
    for (int record : NumberRecordOrder())
        same = same && phone->Record(record) == EncodeNumberRecord(record, model);
    std::printf("number memory after the write %s the model\n", same ? "matches" : "DIFFERS FROM");
    return same ? 0 : 1;
}
