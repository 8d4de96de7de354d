#pragma once
// The far end that `--simulator[=DIR]` puts behind both simulated cables.

#include <QString>
#include <memory>

class ClockPort;
class SimFarEnd;

std::shared_ptr<SimFarEnd> CreateSimulatedDoorPhone(ClockPort& clock, const QString& stateDir);
