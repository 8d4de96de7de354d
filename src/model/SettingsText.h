#pragma once
// The settings as readable text, for installers' scripts and version control.
//
// Every setting has a stable name in the field catalogue ("relay1.pulse_time"). Its value
// is written as a script types it: the text of a text field, the item of a list ("-10",
// "375-475"), the word or number of a radio button ("pulse", "5"), "on" or "off" for a check
// box, nothing for no selection. The text form holds one setting a line, "name = value", in
// page order, UTF-8; lines starting with "#" or ";" are comments. A value with blanks at
// its ends, control characters or a leading double quote is written in double quotes with
// backslash escapes (\" \\ \t \n \r \xHH). Reading the text back gives the same settings,
// so a settings file written from it is, byte for byte, the file it was made from.

#include "FieldRules.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

class LanguageTexts;
class SettingsModel;
struct FieldDef;

// The fields in the order the text form, the settings listing and `names` give them: page
// by page, a button's two telephone numbers together.
const std::vector<const FieldDef*>& FieldsInTextOrder();

// The value a script writes for the field's current value ("" for no selection).
QString SettingValue(const FieldDef& def, const SettingsModel& model);
// The values a setting takes, in English ("0.5 or 1 ... 99", "tone, pulse"). Lists name
// their current items; the model selector those of the language file.
QString SettingRange(const FieldDef& def, const SettingsModel& model, const ExitContext& context);

// Every list item the program knows is offered: a settings file may hold the fourth
// call-progress signal that only newer door phones show, and nothing here knows the door
// phone's firmware.
void OfferEveryListItem(SettingsModel& model);

// A value that was not taken, and where it stood.
struct SettingProblem {
    int line = 0; // line of the text form; 0 for a command-line assignment
    QString name;
    QString value;
    QString reason;
};
// "line 12: relay1.mode = 9: not one of 1, 2, 3, 4, 6, 7, 8".
QString SettingProblemText(const SettingProblem& problem);

// The text form of every setting.
QString SettingsText(const SettingsModel& model);

// Reads a text form into the model, taking every value a settings file can hold, as
// reading that file would (no entry checks). Settings the text does not name keep their
// values. Unknown names, a name given twice, lines that are no setting and values a
// settings file cannot hold (or that the relay interlock would change) are problems with
// their line numbers; the model changes only when there are none.
QList<SettingProblem> ApplySettingsText(const QByteArray& text, SettingsModel& model);

// Changes settings by "name=value", each value as if the user typed it into the field and
// left it: the key filter and the length, the exit check (a repair that keeps the value,
// such as "5" becoming "05" or a star moving to the front, is taken; one that changes it
// is a refusal naming the range), the choices offered, and the relay interlock. The model
// changes only when every assignment is good. notes says what the interlock changed
// besides.
QList<SettingProblem> ApplySettingAssignments(const QStringList& assignments, SettingsModel& model,
                                              const ExitContext& context,
                                              const LanguageTexts& texts, QStringList* notes);

// The assignments' form and names alone (no value checked): what can be said before the
// settings they change are at hand.
QList<SettingProblem> CheckSettingNames(const QStringList& assignments);

// One setting as the window shows it, in the language in use, with its script value.
struct SettingRow {
    QString name;    // stable name
    QString page;    // navigation-tree entry
    QString caption; // caption without the ":"
    QString value;   // as shown ("Pulse", "on", "(empty)")
    QString unit;    // the unit beside it, "" none
    QString raw;     // as a script writes it ("pulse", "on", "")
};
// Every setting in text order.
QList<SettingRow> SettingRows(const SettingsModel& model, const LanguageTexts& texts);
// The same as a JSON document: {"model": ..., "settings": [{"name", "page", "caption",
// "value", "unit", "raw"}], "numbers": [{"button", "page", "day": {...}, "night": {...}}]}.
QByteArray SettingsJson(const SettingsModel& model, const LanguageTexts& texts);
