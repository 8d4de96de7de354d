#include "Backends.h"

#include "SerialBackend.h"
#include "SimCableBackend.h"
#include "SimDoorPhoneFactory.h"

#include <utility>

Backend CreateBackend(const BackendChoice& choice, ClockPort& clock,
                      std::function<CableKind()> kindOf) {
    Backend out;
    if (choice.simulator) {
        auto sim = std::make_unique<SimCableBackend>(clock);
        out.farEnd = CreateSimulatedDoorPhone(clock, choice.simulatorDir);
        sim->AddBothCables(out.farEnd);
        out.sim = sim.get();
        out.backend = std::move(sim);
        return out;
    }
    auto serial = std::make_unique<SerialBackend>();
    if (!choice.port.isEmpty()) {
        serial->SetExplicitPort(choice.port, [kindOf = std::move(kindOf)] {
            const CableInfo& cable = CableFor(kindOf());
            return std::make_pair(QByteArray(cable.description), QByteArray(cable.serial));
        });
    }
    out.backend = std::move(serial);
    return out;
}

QStringList TakeSimulatorOption(const QStringList& args, BackendChoice* choice) {
    const QString withValue = QStringLiteral("--simulator=");
    QStringList out = args;
    for (QString& arg : out) {
        if (arg == QLatin1String("--")) break;
        if (arg.startsWith(withValue)) {
            choice->simulator = true;
            choice->simulatorDir = arg.mid(withValue.size());
            arg = QStringLiteral("--simulator");
        }
    }
    return out;
}
