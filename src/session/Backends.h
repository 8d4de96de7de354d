#pragma once
// Which cable driver the program talks through: the real USB cables, one explicit serial
// device, or the simulated door phone.

#include "DoorPhoneLink.h"

#include <QString>
#include <QStringList>
#include <memory>

class ClockPort;
class SimCableBackend;

struct BackendChoice {
    bool simulator = false;
    QString simulatorDir; // the simulated door phone's memory folder ("" = in memory)
    QString port;         // explicit serial device path
};

struct Backend {
    std::unique_ptr<DeviceBackend> backend;
    SimCableBackend* sim = nullptr; // set when simulated
    std::shared_ptr<class SimFarEnd> farEnd;
};

// kindOf tells an explicit port which cable it stands for (the kind the model selects).
Backend CreateBackend(const BackendChoice& choice, ClockPort& clock,
                      std::function<CableKind()> kindOf);

// "--simulator" may carry a value after "=" ("--simulator=DIR"), which a command-line
// parser's flag cannot: the value goes into choice, and a plain "--simulator" stays in the
// arguments returned. Arguments after "--" are left alone.
QStringList TakeSimulatorOption(const QStringList& args, BackendChoice* choice);
