#pragma once
// The door phone's 256-byte parameter memory: one byte-map table (which field each byte
// holds, in which coding) and one table of codings, each with its writer and its reader,
// which the encoder and the decoder walk. Bytes are numbered 1..256 in transfer order;
// byte n sits at offset n - 1.

#include <QByteArray>
#include <QString>
#include <functional>
#include <span>

class SettingsModel;
class CommLog;
class LanguageTexts;

inline constexpr int kParameterBlockSize = 256;
inline constexpr int kValidityMarkerByte = 32;
inline constexpr int kValidityMarker = 85;

// How one byte of the block is coded.
enum class ByteCoding {
    ChoiceValue,     // radio group: the selected button's value
    RelayMode,       // radio group of a relay mode: 1..8, 1 when none is selected
    FlagStrict,      // 1 checked, 0 unchecked; the reader leaves other values
    FlagLoose,       // 1 checked, 0 unchecked; the reader unchecks for any value but 1
    FlagInverted,    // 0 checked, 1 unchecked (CheckBox14)
    ListPosition,    // list position, 255 for none
    CallDuration,    // ComboBox17: 0 1 3 5 .. 17 29 49
    ToneFrequency,   // ComboBox1: 2p + 13
    BusyTones,       // ComboBox2: p + 2
    PermanentTone,   // ComboBox3: 25p + 25
    LineLoss,        // ComboBox14: "off" 3, "20-50" 0, "45-75" 2
    PlainNumber,     // decimal text as a number
    ButtonNumber,    // plain number; an empty text is 255
    Scaled10,        // milliseconds / 10
    Scaled100,       // milliseconds / 100
    Scaled100Minus4, // (milliseconds - 400) / 100
    HalfSecond,      // twice the seconds; "0.5" is 1
    DialDigit,       // one dialling character per byte
    BitQuartet,      // four "0"/"1" characters as bit pairs 01/10
    DigitPair,       // two decimal digits per byte, low nibble first
    Time,            // packed decimal hour or minute
    DayMode,         // the door phone's day mode flag from the last status
    ResetsHigh,      // number of resets / 256
    ResetsLow,       // number of resets % 256
    Marker,          // the validity marker 85
    Fixed0,          // not interpreted, written as 0
    Fixed255,        // not interpreted, written as 255
};

struct ByteDef {
    int byte = 0;  // 1..256
    QString field; // empty when no field
    ByteCoding coding = ByteCoding::Fixed255;
    int part = 0;  // DialDigit: character position; DigitPair: byte 0..2 of the code
    int parts = 1; // DialDigit: characters of the field; DigitPair: 3
};

// All 256 bytes, byte 1 first.
std::span<const ByteDef> ParameterByteMap();
const ByteDef& ParameterByte(int byte);

// The door phone's state that goes into every written block (from the last status).
struct DoorPhoneState {
    bool dayMode = false; // false until a status reply arrived
    QString resets;       // decimal number of resets; "" when none since the last poll tick
};

struct EncodeResult {
    bool ok = false;
    QByteArray bytes; // 256 bytes; byte 256 is built but never sent
    // A text that is not a number where one is needed: the field, its text and the
    // user-facing message ("'x' is not a valid integer value"). Nothing must be sent.
    QString errorField;
    QString errorText;
    QString errorMessage;
};

// Builds the block from the model. Every byte is computed afresh: texts the codings
// cannot hold are coded deterministically (a character outside the dialling table is
// 15, "no character"; a missing code-relay character counts as "0"; a non-digit in an
// external code is an absent digit, nibble 15; ComboBox14 with no selection is "off").
EncodeResult EncodeParameterBlock(const SettingsModel& model, const DoorPhoneState& state);

// Why a received block was refused.
enum class BlockRefusal {
    None,
    WrongLength,      // not 256 bytes
    NoValidityMarker, // byte 32 is not the marker: nothing in the block is trusted
};

struct BlockDecodeResult {
    bool accepted = false;
    BlockRefusal refusal = BlockRefusal::None;
};

// Takes a received block into the model. Logs every byte ("Par.n : c") and refuses a
// block of the wrong length or without the validity marker. onRefused runs at the moment
// of the refusal (the caller shows the message and loads the defaults there, so that the
// log shows them where the refusal was found: after byte 32, before byte 33). Both relay
// modes are set before the relay interlock judges them.
BlockDecodeResult DecodeParameterBlock(const QByteArray& received, SettingsModel& model,
                                       CommLog& log,
                                       const std::function<void(BlockRefusal)>& onRefused = {});
// The message box text of a refusal.
QString BlockRefusalMessage(BlockRefusal refusal, const LanguageTexts& texts);

// The dialling-character table shared with the number memory.
// Character of a byte value, "" for 15, 255 and values without a character.
QString DialDigitChar(int value);
// Byte value of a character; -1 when the table has none. "F" is 14 only where
// allowFlashF is set (telephone numbers).
int DialDigitValue(QChar c, bool allowFlashF);
