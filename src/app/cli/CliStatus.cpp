// norvaset-cli status, set-time and day-night: the short commands, each shown by the
// status the door phone gives after it.

#include "CliApp.h"
#include "CliCommands.h"
#include "CliJson.h"
#include "CliSession.h"
#include "DoorPhoneLink.h"

#include <cstdio>

int RunStatus(CliSession& s) {
    s.Host().Arm();
    if (!s.Connect() || !s.PollStatus()) return kExitFailed;
    const DeviceStatus& status = s.Comm().Status();
    const QString usb = s.Link().CableStatusText();
    if (s.Options().json) {
        const QByteArray json = StatusJson(
            {usb, status.versionText, status.resetsText, status.deviceTimeText, status.dayMode});
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    s.Print(QStringLiteral("usb"), usb);
    s.Print(QStringLiteral("version"), status.versionText);
    s.Print(QStringLiteral("resets"), status.resetsText);
    s.Print(QStringLiteral("clock"), status.deviceTimeText);
    s.Print(QStringLiteral("mode"),
            status.dayMode ? QStringLiteral("day") : QStringLiteral("night"));
    return kExitOk;
}

int RunSetTime(CliSession& s) {
    s.Host().Arm();
    if (!s.Connect()) return kExitFailed;
    s.Watch();
    if (!s.Comm().SetClockFromPc() || !s.RunExchange()) return kExitFailed;
    // The command has no answer: the status that follows shows the clock was taken.
    if (!s.PollStatus()) return kExitFailed;
    s.Print(QStringLiteral("clock"), s.Comm().Status().deviceTimeText);
    return kExitOk;
}

int RunDayNight(CliSession& s) {
    s.Host().Arm();
    // The switch flips what the last status said; the status after it says what the
    // door phone actually did.
    if (!s.Connect() || !s.PollStatus()) return kExitFailed;
    s.Watch();
    if (!s.Comm().SwitchDayNight() || !s.RunExchange()) return kExitFailed;
    if (!s.PollStatus()) return kExitFailed;
    s.Print(QStringLiteral("mode"),
            s.Comm().Status().dayMode ? QStringLiteral("day") : QStringLiteral("night"));
    return kExitOk;
}
