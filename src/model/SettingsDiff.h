#pragma once
// What differs between two sets of settings, as the installer reads it: one row per
// setting or telephone number, with the page it sits on, its caption and both values in
// the language in use. Used to compare two settings files, a door phone with a file, and
// what a write sent with what the door phone then holds.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class LanguageTexts;
class SettingsModel;

struct DiffRow {
    QString page;    // the navigation-tree entry of the page
    QString caption; // the setting's caption, or the button and its number column
    QString valueA;
    QString valueB;
    QString key;       // what the row stands for, independent of the language: the field
                       // ("Edit8"), a day/night start ("Edit63+Edit64"), a number record
                       // ("M5", "M105") or a byte without a setting ("byte 26")
    QStringList names; // the stable names of the settings behind the row; none for a byte
};

// Every setting and every telephone number whose value differs, settings in page order,
// then the numbers button by button. The day/night table gives one row per weekday and
// start ("07:30"), not one per hour and minute. Values are compared as the door phone takes
// them: a number written "01" is the same as "1" (an empty button number the same as the
// 255 the door phone gives back for it), and a flash "F" in a telephone number the same as
// "R".
QList<DiffRow> DiffSettings(const SettingsModel& a, const SettingsModel& b,
                            const LanguageTexts& texts);

// Bytes of the parameter block that a write does not decide, so that a read after it may
// give them otherwise: the day mode (28) and the reset count (30, 31), which the door phone
// keeps up to date itself, and byte 256, which a write never sends.
bool IsDoorPhoneOwnByte(int byte);
// Bytes 1..256 that differ between two blocks, the door phone's own left out. Blocks of
// another size than 256 differ in every byte past the shorter one.
QList<int> DifferingParameterBytes(const QByteArray& sent, const QByteArray& readBack);

// The settings behind the differing bytes, as rows. shape gives the lists' items (and the
// values of everything the block does not hold). Where both blocks decode to the same
// value the bytes themselves are shown.
QList<DiffRow> ParameterBlockDiff(const QByteArray& sent, const QByteArray& readBack,
                                  const SettingsModel& shape, const LanguageTexts& texts);

// The whole number memory as a write sends it: 198 records of 24 bytes, records 1..99
// then 101..199.
QByteArray NumberMemoryBytes(const SettingsModel& model);
// The telephone numbers whose records differ, as rows of their digits. Records whose
// digits agree but whose other bytes differ add the places and bytes that differ.
QList<DiffRow> NumberMemoryDiff(const QByteArray& sent, const QByteArray& readBack,
                                const LanguageTexts& texts);

// One line of a row for a log or a terminal: "page | caption | A | B".
QString DiffRowLine(const DiffRow& row);
