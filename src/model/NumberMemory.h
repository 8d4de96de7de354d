#pragma once
// The button number memory: 198 records of 24 dialling characters. Records 1..99 are the
// first numbers ("Day / Group1") of buttons 1..99, records 101..199 the second numbers
// ("Night / Group2"); there is no record 100.

#include <QByteArray>
#include <QString>
#include <span>

class SettingsModel;

inline constexpr int kNumberRecordLength = 24;
inline constexpr int kNumberRecordCount = 198;

// The field of a record ("Edit92" for 1, "Edit102" for 101, "Edit280" for 99, "Edit290"
// for 199); "" for a record number without a field (100, 0, 200 ...).
QString NumberFieldForRecord(int record);
// The record of a telephone-number field, 0 when the name is not one.
int RecordForNumberField(const QString& fieldName);
// Fields of button b (1..99): first and second number.
QString FirstNumberField(int button);
QString SecondNumberField(int button);
// Records in transfer order: 1..99, then 101..199.
std::span<const int> NumberRecordOrder();

// Dialling characters of a record's bytes: 15 and 255 give nothing but do not end the
// number; byte values without a character give nothing either.
QString DecodeDialNumber(const QByteArray& bytes);
// 24 bytes of a number text: characters past the 24th are dropped, positions after the
// text are 255. "F" is stored like "R" (14); "-" as 16; any other character the table
// lacks is 15 ("no character") so that no byte depends on an earlier record.
QByteArray EncodeDialNumber(const QString& text);

// Sets the record's field from the 24 received bytes and returns the decoded text (the
// transfer logs it). A record without a field changes nothing and returns the text.
QString DecodeNumberRecord(int record, const QByteArray& reply, SettingsModel& model);
// The 24 bytes to send for a record; an empty array for a record without a field.
QByteArray EncodeNumberRecord(int record, const SettingsModel& model);
