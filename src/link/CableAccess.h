#pragma once
// What the user is told when a cable is plugged in but will not open, and how to mend it.

#include "DeviceBackend.h"

#include <QString>
#include <QStringList>

// The name of the group that owns a device node ("dialout"), or "" when unknown.
QString DeviceGroup(const QString& path);

// The folders udev reads its rules from.
QStringList UdevRuleFolders();
// NorvaSet's udev rule (60-norvaset.rules) lies in one of the folders, and is not masked
// (a rule linked to /dev/null is switched off).
bool UdevRuleInstalled(const QStringList& folders = UdevRuleFolders());

// One sentence or two for the window and the command line; "" for OpenFailure::None. The
// fix for a permission problem depends on whether the udev rule is installed already.
QString OpenProblemText(const OpenProblem& problem, const QString& cable);
QString OpenProblemText(const OpenProblem& problem, const QString& cable, bool ruleInstalled);

// A few words for the status line: "no such device /dev/ttyUSB7"; "" for None.
QString OpenProblemBrief(const OpenProblem& problem);
