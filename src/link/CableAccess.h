#pragma once
// What the user is told when a cable is plugged in but will not open, and how to mend it.

#include "DeviceBackend.h"

#include <QString>

// The name of the group that owns a device node ("dialout"), or "" when unknown.
QString DeviceGroup(const QString& path);

// One sentence or two for the window and the command line; "" for OpenFailure::None.
QString OpenProblemText(const OpenProblem& problem, const QString& cable);
