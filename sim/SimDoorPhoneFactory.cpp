#include "SimDoorPhoneFactory.h"

#include "SimDoorPhone.h"

#include <QtGlobal>

std::shared_ptr<SimFarEnd> CreateSimulatedDoorPhone(ClockPort& clock, const QString& stateDir) {
    auto phone = std::make_shared<SimDoorPhone>(clock);
    if (!stateDir.isEmpty()) {
        // Memories that are not in the folder yet start from the factory state; the
        // folder then holds both files from the first moment on.
        QString error;
        if (!phone->LoadFrom(stateDir, &error))
            qWarning("simulated door phone: %s", qPrintable(error));
        phone->SetStateDir(stateDir);
        if (!phone->SaveTo(stateDir, &error))
            qWarning("simulated door phone: %s", qPrintable(error));
    }
    return phone;
}
