#pragma once
// JSON documents of norvaset-cli status --json and diff --json, for monitoring and scripts.

#include "SettingsDiff.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the door phone last reported, as status prints it line by line.
struct CliStatusReport {
    QString usb;     // the cable's status text
    QString version; // firmware version
    QString resets;  // number of resets (decimal)
    QString clock;   // the door phone's clock as reported
    bool dayMode = false;
};

// {"usb": ..., "version": ..., "resets": N (null when not a number), "clock": ...,
//  "mode": "day" | "night"}
QByteArray StatusJson(const CliStatusReport& status);
// {"equal": bool, "differences": [{"page", "caption", "a", "b", "key", "names": [...]}]}
QByteArray DiffJson(const QList<DiffRow>& rows);
