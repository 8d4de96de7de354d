#pragma once
// The one table of every setting the installer edits. Each field is named after the
// control that shows it (Edit8, ComboBox4, CheckBox7, GroupBox11 for a radio group).
// Defaults, the parameter-block codecs, the settings file, the pages and the printout
// all walk this table instead of keeping their own lists.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

// Fields the program addresses by name, outside the tables.
inline constexpr const char* kButtonCountField = "Edit91";       // buttons on the basic module
inline constexpr const char* kModelSelectorField = "ComboBox16"; // the door-phone model
inline constexpr const char* kCallProgressField = "ComboBox15";  // follows the firmware

enum class FieldKind { Text, Choice, Flag };

// How a choice field is shown: a group of radio buttons or a drop-down list.
enum class ChoiceStyle { None, RadioGroup, List };

// What a key press may put into a field (see FieldRules.h).
enum class KeyFilter {
    None,       // no filter: every key passes (flags, radio groups)
    Digits,     // "0".."9", backspace
    DigitsStar, // "0".."9", "*", backspace
    Seconds,    // "0".."9", ",", ".", backspace
    OneToNine,  // "1".."9", backspace
    OneToFive,  // "1".."5", backspace
    ZeroToFour, // "0".."4", backspace
    Bits,       // "0", "1", backspace
    Blocked,    // every key dropped, backspace too (lists that take no typing)
    Dialling,   // telephone numbers: digits, * # P R F, with h k p r f rewritten
};

// The check that runs when the focus leaves a field (see FieldRules.h).
enum class ExitRule {
    A, // no check
    B, // service password: exactly 4 characters
    C, // two-character codes: star moves to the front, "**" empties
    D, // external codes: one digit refused
    E, // half-second times: "0.5" or 1..99
    F, // button number: empty, or 1..99
    G, // single-digit counts: empty becomes "1"
    H, // rings before redial: at least "04", two digits
    I, // dial timings: bounds and step
    J, // day/night table: two digits, hour <= 23, minute <= 59
    K, // code-relay pattern: exactly 4 characters, else the factory pattern
    L, // buttons in the basic module: model maximum, label kind
    M, // lists: an empty text selects a fixed position
};

// How a field's value is written into a settings-file record.
enum class FileCoding {
    None,
    Text,          // the text, cut to 32 characters
    Choice,        // position of the checked radio button
    ListIndex,     // list position, "-1" for none
    Flag,          // "1" / "0"; any value but "1" unticks
    CodeRelayFlag, // as Flag, but a value other than "1"/"0" leaves the box
};

// One alternative of a choice field.
struct ChoiceOption {
    QString name;  // radio button name ("RadioButton30") or list item text ("-10")
    int value = 0; // the radio button's parameter-block value; a list item's position
    QString key;   // the value a script writes for it: a word or number for a radio button
                   // ("tone", "5"), the item text for a list item; fixed like the field's
                   // stable name
    QStringList templateKeys; // [Defaults] keys that select this radio button: its own
                              // ("RB30"), and "RB34" for relay 1 mode 1 as well
    bool offered = true;      // false: shown, but never to be chosen (relay 1 mode 5)
};

struct FieldDef {
    QString name;
    // The name scripts and the settings text use ("relay1.pulse_time"): ASCII, lower case,
    // dots between the parts. Others rely on it, so it never changes once released.
    QString stableName;
    FieldKind kind = FieldKind::Text;
    ChoiceStyle style = ChoiceStyle::None;
    QList<ChoiceOption> options; // radio buttons in position order, or the list items
    int initialItemCount = -1;   // lists whose items change at run time: items shown at
                                 // first (ComboBox15: 3); -1 for all options

    QString defaultText;    // text fields
    int defaultChoice = -1; // choice fields: position, -1 none
    bool defaultFlag = false;

    QString templateKey;          // [Defaults] key of a text, list or flag field; empty for
                                  // radio groups (keys per button) and fields without a key
    bool keptWithoutKeys = false; // radio groups: a template without any of the group's
                                  // keys leaves it as it was (no button reads as "1")
    bool builtInDefault = false;  // set by the built-in basic defaults (no template file)

    int fileRecord = 0; // settings-file record number 1..335; 0 when not in the file
    QString fileKey;    // the record's key ("Dial: ")
    FileCoding fileCoding = FileCoding::None;
    int fileGeneration = 0; // 0: in every settings file; 1: since the code relay (records
                            // 329..334); 2: since the mute flag (335)

    KeyFilter keyFilter = KeyFilter::None;
    ExitRule exitRule = ExitRule::A;
    int maxLength = 0;     // most characters the keyboard may enter (text fields), 0 unlimited
    int page = -1;         // page number (TabSheet index) that shows the field
    int exitPosition = -1; // lists (rule M): the position set when left with an empty text

    // How the page shows it. Captions are the language texts of the named controls; radio
    // groups and check boxes carry their caption themselves.
    QString group;    // the group box around the field; "" when it sits on the page itself
    QString subGroup; // external codes: the box inside the group ("1 impuls", "2 impulses")
    QString label;    // the caption label beside it ("Label72"); the row label of a
                      // day/night time or a telephone number; "" when there is none
    QString column;   // day/night times and telephone numbers: the column heading label
    QString mark;     // external codes: the code's number shown above it ("1" .. "5", "*")
    QString unit;     // the unit shown after it ("sec", "ms", "dBm"), "" when none
};

// Every field, in the order of the pages.
std::span<const FieldDef> FieldCatalogue();
// The field of this name, or nullptr.
const FieldDef* FindField(QStringView name);
// The field of this stable name ("relay1.pulse_time"), or nullptr.
const FieldDef* FindFieldByStableName(QStringView stableName);
const FieldDef* FindField(const QString& name);
// Index into FieldCatalogue(), or -1.
int FieldIndex(QStringView name);
int FieldIndex(const QString& name);
// The radio group that holds this radio button and the button's position, or nullptr.
const FieldDef* FindRadioGroup(QStringView radioButtonName, int* position = nullptr);
const FieldDef* FindRadioGroup(const QString& radioButtonName, int* position = nullptr);

// The [Defaults] keys in the order a template is read, taken from the catalogue: the fields
// in catalogue order, a radio group's keys by button number ("RB9" .. "RB17"). Each key
// names either a radio button (option >= 0) or a whole text, list or flag field (-1).
struct TemplateKeyDef {
    QString key;
    int field = -1; // index into FieldCatalogue()
    int option = -1;
    QString missingValue; // the value used when the template lacks the key
};
std::span<const TemplateKeyDef> TemplateKeyOrder();

// Page numbers (TabSheet index) used by the catalogue.
namespace Page {
inline constexpr int Basic = 0, Codes = 1, Keyboard = 2, Relays = 3, Relay1 = 4, ExternalCodes1 = 5,
                     Relay2 = 6, ExternalCodes2 = 7, Time = 8, Dial = 9, HandsFree = 10,
                     AutoDayNight = 11, System = 12, Numbers = 13, FirstButtons = 14,
                     DoorPhoneSelect = 24, CodeRelay = 25;
}
