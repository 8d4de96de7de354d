#pragma once
// The compare after a write: what was sent against what the door phone gives back when it
// is read again, byte for byte. The parameter block leaves out the bytes the door phone
// keeps itself (day/night mode, reset count); the numbers compare every record.

#include "SettingsDiff.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

class CommLog;
class LanguageTexts;
class SettingsModel;

// The raw bytes of a read as they arrived, before any decoding.
struct RawRead {
    QByteArray block;              // the 256 bytes of a parameter read; empty when none
    QMap<int, QByteArray> records; // number records 1..99, 101..199 as read
    void Clear() {
        block.clear();
        records.clear();
    }
    // Records in transfer order; a record that did not arrive is empty (and so differs).
    QByteArray NumberMemory() const;
    bool HasAllRecords() const;
};

// What a write sent, taken before it starts.
struct SentImage {
    bool parameters = false;
    bool numbers = false;
    QByteArray block;  // 256 bytes as encoded for the write
    QByteArray memory; // NumberMemoryBytes of the settings written
};

// The settings and buttons that did not take; empty when the write took.
QList<DiffRow> VerifyWrite(const SentImage& sent, const RawRead& back, const SettingsModel& shape,
                           const LanguageTexts& texts);

// The log lines of a verify: ">>> Verify after write <<<", then one "Verify: " line per
// difference, or "Verify: OK".
void LogVerify(CommLog& log, const QList<DiffRow>& rows);
// The message that lists them, one per line, under the heading (for a message box and
// stderr); the list is cut after maxLines with "..." so that a box stays on the screen.
QString VerifyMessage(const QString& heading, const QList<DiffRow>& rows, int maxLines = 30);
