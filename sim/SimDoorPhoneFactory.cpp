#include "SimDoorPhoneFactory.h"

#include "SimCableBackend.h"

std::shared_ptr<SimFarEnd> CreateSimulatedDoorPhone(ClockPort&, const QString&) {
    // Until the door phone itself is simulated, the far end only takes bytes.
    return std::make_shared<ScriptedFarEnd>();
}
