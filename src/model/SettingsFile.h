#pragma once
// The settings file (".NVS"): 335 records of 50 bytes, no header, read by position.
// Record: key length 6, 16 key bytes (key, then zeros), value length 0..32, 32 value
// bytes (text, then spaces to offset 48; offset 49 is 0 unless the value fills it).
// Files of 328 and 334 records come from earlier versions and are read too.

#include "FieldCatalogue.h"

#include <QByteArray>
#include <QString>
#include <span>
#include <stdexcept>

class SettingsModel;
class CommLog;

inline constexpr int kSettingsRecordSize = 50;

struct SettingsRecordDef {
    int record = 0; // 1..335
    QString key;    // "Dial: "
    QString field;  // catalogue field
    FileCoding coding = FileCoding::Text;
    int generation = 0; // the settings files that have it (FieldDef::fileGeneration)
};
// Every record in file order, from the field catalogue.
std::span<const SettingsRecordDef> SettingsRecordTable();
// The numbers of records a settings file may hold: where the files of each generation end
// (328 before the code relay, 334 before the mute flag, 335 now), ascending.
std::span<const int> SettingsFileRecordCounts();

// A settings file that cannot be read or written. text() is the user-facing text
// ("Read beyond end of file", "File not found", "'x' is not a valid integer value").
class SettingsFileError : public std::runtime_error {
public:
    explicit SettingsFileError(const QString& text);
    QString text() const { return text_; }

private:
    QString text_;
};

// The 50 bytes of one record.
QByteArray EncodeSettingsRecord(const QString& key, const QString& value);
// The value a record holds for the model's field (before the cut to 32 characters).
QString SettingsRecordValue(const SettingsRecordDef& def, const SettingsModel& model);
// The whole file's bytes for the model.
QByteArray SettingsFileBytes(const SettingsModel& model);

// Checks every record of the bytes first and applies them only when all are good;
// throws SettingsFileError and leaves the model untouched otherwise.
void ApplySettingsFileBytes(const QByteArray& bytes, SettingsModel& model);

// Writes all records to path atomically: a failed save leaves the previous file whole.
// Logs "Write file: " and the path. Throws SettingsFileError.
void WriteSettingsFile(const QString& path, const SettingsModel& model, CommLog& log);
// Reads path into the model; logs "Read file: " and the path. Throws SettingsFileError
// with nothing changed.
void ReadSettingsFile(const QString& path, SettingsModel& model, CommLog& log);
