// norvaset-cli firmware IN.hex [--yes] and hex-image IN.hex OUT.bin: the firmware window's
// checks and upgrade engine on the command line. firmware exits 0 only when the door phone
// reported the upgrade complete ("Finish"), 1 for a failed upgrade, 2 for a HEX file that
// is missing or refused; hex-image writes the blocks a write would send, 10 bytes each,
// block 1 to the end block.

#include "CliApp.h"
#include "CliCommands.h"
#include "CliSession.h"
#include "Communicator.h"
#include "DoorPhoneLink.h"
#include "FileAccess.h"
#include "FirmwareUpgrade.h"
#include "HexImage.h"
#include "LanguageTexts.h"

#include <cstdio>
#include <unistd.h>

namespace {

// The longest an upgrade may keep the cable: the engine ends every run by its own
// time-outs; this only guards against a loader that keeps answering forever.
constexpr qint64 kGuardMs = 60LL * 60 * 1000;
constexpr qint64 kProgressEveryMs = 200;

// The run on stderr: a progress line (redrawn on a terminal, every tenth otherwise) and
// the ending's message with what happened.
class CliFirmwarePort : public FirmwarePort {
public:
    explicit CliFirmwarePort(ClockPort& clock) : clock_(clock) {
        tty_ = isatty(fileno(stderr)) == 1;
    }
    void Attach(const FirmwareUpgrade* engine) {
        engine_ = engine;
        startMs_ = clock_.NowMs();
    }

    void SetStatusLabel(const QString&) override {}
    void SetStatusColour(FwLabelColour) override {}
    void SetProgressRange(int, int) override {}
    void SetProgress(int, int, const QString&) override { Draw(false); }
    void SetBlockLabels(const QString&, const QString&) override {}
    void ShowEndingMessage(const FwReport&, const QString& message) override {
        Draw(true);
        EndLine();
        message_ = message;
    }
    void RunEnded(const FwReport& report, const QString&) override { report_ = report; }
    QString Message() const { return message_; }
    // How the run ended, as the engine reported it.
    const FwReport& Report() const { return report_; }

private:
    void Draw(bool force) {
        if (!engine_ || engine_->BlockCount() == 0) return;
        const qint64 now = clock_.NowMs();
        const int done = engine_->BlocksDone(), count = engine_->BlockCount();
        const int percent = done * 100 / count;
        if (!force) {
            if (tty_ && now - drawnMs_ < kProgressEveryMs) return;
            if (!tty_ && percent / 10 == drawnTenth_) return;
        }
        // The ending's line only when it says more than the last one written.
        if (!tty_ && done == drawnDone_) return;
        drawnMs_ = now;
        drawnTenth_ = percent / 10;
        drawnDone_ = done;
        const qint64 s = (now - startMs_) / 1000;
        std::fprintf(stderr, "%s%3d%%  %s  %lld:%02lld%s", tty_ ? "\r" : "", percent,
                     engine_->ProgressText().toLocal8Bit().constData(), s / 60, s % 60,
                     tty_ ? "  " : "\n");
        std::fflush(stderr);
        drawn_ = tty_;
    }
    void EndLine() {
        if (!drawn_) return;
        std::fputc('\n', stderr);
        drawn_ = false;
    }

    ClockPort& clock_;
    const FirmwareUpgrade* engine_ = nullptr;
    bool tty_ = false;
    bool drawn_ = false;
    qint64 startMs_ = 0;
    qint64 drawnMs_ = -1000000;
    int drawnTenth_ = -1;
    int drawnDone_ = -1;
    QString message_;
    FwReport report_;
};

// The window's question, on the terminal: only "y" or "yes" goes on.
bool Confirm(const LanguageTexts& texts) {
    const auto msg = [&texts](TextKey key) { return Printable(texts.Text(key)); };
    const QString question = msg(keys::kUpgradeCaption) + QStringLiteral(":\n") +
                             msg(keys::kUpgradeTakesTime) + QLatin1Char('\n') +
                             msg(keys::kUpgradeKeepConnected) + QLatin1Char('\n') +
                             msg(keys::kUpgradeKeepPowered) + QStringLiteral("\n\n") +
                             msg(keys::kUpgradeConfirm) + QStringLiteral(" [y/N] ");
    std::fputs(question.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    char line[64] = {};
    if (!std::fgets(line, sizeof line, stdin)) {
        std::fputc('\n', stderr);
        return false;
    }
    const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

} // namespace

int RunFirmware(CliSession& s) {
    CliHost& host = s.Host();
    Communicator& comm = s.Comm();
    ClockPort& clock = s.Session().Clock();
    const LanguageTexts& texts = s.Texts();
    const QString hexFile = s.Options().args[0];
    // The file is checked whole before the cable is touched; a bad one is a file error.
    const HexLoad load = LoadHexFile(hexFile);
    if (!load.check.Ok()) {
        host.Note(hexFile + QStringLiteral(": ") + Printable(HexFaultText(load.check, texts)));
        return kExitUsage;
    }
    host.Arm();
    if (!s.Connect()) return kExitFailed;
    // The status first: it tells whether the loader wants "F" before "x". A loader left
    // waiting by a run that did not end answers no status, and only a new start of the
    // upgrade gets it out of there, so no answer is no reason to stop.
    if (!s.PollStatus()) {
        if (!s.Link().Connected()) return kExitFailed;
        host.Note(QStringLiteral("no status from the door phone; starting the upgrade anyway, "
                                 "as a loader left waiting by an unfinished upgrade answers "
                                 "no status"));
        host.Arm();
    }
    comm.StopTimers();
    if (!s.Options().yes && !Confirm(texts)) {
        host.Note(QStringLiteral("firmware upgrade not confirmed; nothing was sent"));
        return kExitFailed;
    }
    CliFirmwarePort port(clock);
    FirmwareUpgrade engine(s.Link(), clock, port, texts);
    port.Attach(&engine);
    if (!engine.Start(load.image, comm.SendFFlag(), s.Session().Folders().DataFolder())) {
        host.Fail(texts.Text(keys::kUpgradeNotConnected));
        return kExitFailed;
    }
    RunFirmwareTimer(engine, clock, kGuardMs);
    comm.SetSendFFlag(false);
    if (engine.Running()) {
        host.Fail(QStringLiteral("the upgrade did not end"));
        return kExitFailed;
    }
    if (!engine.LogError().isEmpty())
        host.Note(texts.Text(keys::kFirmwareLogNotWritten) + QStringLiteral(": ") +
                  engine.LogError());
    const FwReport& report = port.Report();
    host.Note(port.Message());
    host.Note(report.detail);
    std::printf("firmware: %s\n",
                FirmwareUpgrade::EndingLabel(report.ending).toLocal8Bit().constData());
    std::fflush(stdout);
    return report.Finished() ? kExitOk : kExitFailed;
}

int RunHexImage(CliSession& s) {
    CliHost& host = s.Host();
    const QString hexFile = s.Options().args[0], outFile = s.Options().args[1];
    const HexLoad load = LoadHexFile(hexFile);
    if (!load.check.Ok()) {
        host.Note(hexFile + QStringLiteral(": ") + Printable(HexFaultText(load.check, s.Texts())));
        return kExitUsage;
    }
    QByteArray bytes;
    for (const QByteArray& block : load.image.blocks) bytes += block;
    QString error;
    if (!WriteWholeFile(outFile, bytes, &error)) {
        host.Note(outFile + QStringLiteral(": ") + error);
        return kExitUsage;
    }
    return kExitOk;
}
