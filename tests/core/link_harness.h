#pragma once
// A door-phone session on the simulated door phone and the virtual clock, with a host
// that records everything the engine shows.

#include "CommLog.h"
#include "Communicator.h"
#include "DoorPhoneLink.h"
#include "DoorPhoneSession.h"
#include "LanguageTexts.h"
#include "RecordingHost.h"
#include "SettingsModel.h"
#include "SimCableBackend.h"
#include "SimDoorPhone.h"

#include <functional>
#include <memory>
#include <vector>

struct LinkHarness {
    VirtualClock clock;
    RecordingHost host;
    DoorPhoneSession session{Options(clock), host, host};
    CommLog& log = session.Log();
    LanguageTexts& texts = session.Texts();
    SettingsModel& model = session.Model();
    std::shared_ptr<SimDoorPhone> phone =
        std::dynamic_pointer_cast<SimDoorPhone>(session.BackendInUse().farEnd);
    DoorPhoneLink& link = session.Link();
    Communicator& comm = session.Comm();
    TimerLoop& loop = session.Loop();

    static SessionOptions Options(VirtualClock& clock) {
        SessionOptions options;
        options.backend.simulator = true;
        options.clock = &clock;
        return options;
    }

    // How every exchange ended, in order, and when it was told.
    std::vector<ExchangeOutcome> outcomes;
    std::vector<qint64> outcomeMs;

    // Connected and polling, as after a start-up that found the cable.
    LinkHarness() {
        comm.AddExchangeListener([this](const ExchangeOutcome& o) {
            outcomes.push_back(o);
            outcomeMs.push_back(clock.NowMs());
        });
        phone->AttachTo(*session.BackendInUse().sim);
        link.ConnectAttempt();
        host.commandsEnabled = link.Connected();
        comm.SetPollingAllowed(true);
        comm.StartUp();
    }

    // Runs the timers until no exchange is in progress and no "all" continuation waits.
    bool RunToIdle(qint64 maxMs = 120000) {
        return loop.RunUntil(
            [this] {
                const TransferState& s = comm.State();
                return !comm.TransferActive() && !s.Waiting() && !comm.ContinuationPending();
            },
            maxMs);
    }
    // Starts a command and runs until it and its continuation have ended.
    bool Run(const std::function<void()>& command, qint64 maxMs = 120000) {
        phone->ClearLineRecord();
        host.messages.clear();
        host.progress.clear();
        outcomes.clear();
        outcomeMs.clear();
        command();
        return RunToIdle(maxMs);
    }
    // How the last command (not the poll) ended; Failed when none ended.
    ExchangeEnd LastEnd() const {
        for (auto it = outcomes.rbegin(); it != outcomes.rend(); ++it)
            if (it->exchange != Exchange::Status) return it->end;
        return ExchangeEnd::Failed;
    }
    // The window is usable again after a transfer.
    bool WindowEnabled() const {
        return host.commandsEnabled && host.selectorEnabled && !host.progressVisible &&
               !comm.TransferActive() && comm.TimerRunning(EngineTimer::Poll);
    }
};
