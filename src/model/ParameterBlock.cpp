#include "ParameterBlock.h"

#include "CommLog.h"
#include "Conversions.h"
#include "LanguageTexts.h"
#include "SettingsModel.h"

#include <array>
#include <cmath>
#include <vector>

namespace {

using BC = ByteCoding;

// ---- the byte map --------------------------------------------------------------------------

std::vector<ByteDef> BuildByteMap() {
    std::vector<ByteDef> map(kParameterBlockSize);
    for (int n = 1; n <= kParameterBlockSize; ++n) map[n - 1] = {n, QString(), BC::Fixed255};
    auto one = [&](int byte, const char* field, BC coding) {
        map[byte - 1] = {byte, QString::fromLatin1(field), coding};
    };
    auto dial = [&](int first, const char* field, int chars) {
        for (int k = 0; k < chars; ++k)
            map[first - 1 + k] = {first + k, QString::fromLatin1(field), BC::DialDigit, k, chars};
    };

    one(1, "GroupBox1", BC::ChoiceValue);
    one(2, "GroupBox3", BC::ChoiceValue);
    dial(3, "Edit2", 2);
    dial(5, "Edit3", 2);
    dial(7, "Edit1", 4);
    dial(11, "Edit4", 2);
    dial(13, "Edit5", 2);
    one(15, "GroupBox2", BC::ChoiceValue);
    one(16, "GroupBox8", BC::ChoiceValue);
    one(17, "GroupBox9", BC::ChoiceValue);
    one(18, "GroupBox10", BC::ChoiceValue);
    one(19, "GroupBox4", BC::ChoiceValue);
    one(20, "CheckBox7", BC::FlagStrict);
    one(21, "CheckBox9", BC::FlagStrict);
    one(22, "ComboBox15", BC::ListPosition);
    one(23, "CheckBox8", BC::FlagStrict);
    one(24, "CheckBox6", BC::FlagStrict);
    one(25, "CheckBox12", BC::FlagStrict);
    map[25] = {26, QString(), BC::Fixed0};
    map[26] = {27, QString(), BC::Fixed0};
    map[27] = {28, QString(), BC::DayMode};
    one(29, "Edit91", BC::PlainNumber);
    map[29] = {30, QString(), BC::ResetsHigh};
    map[30] = {31, QString(), BC::ResetsLow};
    map[31] = {32, QString(), BC::Marker};
    one(33, "Edit54", BC::PlainNumber);
    one(34, "ComboBox17", BC::CallDuration);
    one(35, "Edit55", BC::PlainNumber);
    one(36, "Edit57", BC::PlainNumber);
    one(37, "Edit56", BC::PlainNumber);
    one(38, "Edit58", BC::PlainNumber);
    one(39, "ComboBox1", BC::ToneFrequency);
    one(40, "ComboBox2", BC::BusyTones);
    one(41, "ComboBox3", BC::PermanentTone);
    one(42, "Edit59", BC::Scaled10);
    one(43, "Edit60", BC::Scaled10);
    one(44, "Edit61", BC::Scaled100);
    one(45, "Edit62", BC::Scaled100Minus4);
    one(46, "ComboBox4", BC::ListPosition);
    one(47, "ComboBox5", BC::ListPosition);
    one(48, "ComboBox6", BC::ListPosition);
    one(49, "GroupBox11", BC::RelayMode);
    one(50, "GroupBox14", BC::RelayMode);
    one(51, "Edit7", BC::ButtonNumber);
    one(52, "Edit12", BC::ButtonNumber);
    dial(53, "Edit8", 2);
    dial(55, "Edit13", 2);
    dial(57, "Edit9", 2);
    dial(59, "Edit14", 2);
    one(61, "Edit10", BC::HalfSecond);
    one(62, "Edit15", BC::HalfSecond);
    one(63, "CheckBox1", BC::FlagLoose);
    one(64, "CheckBox2", BC::FlagLoose);
    one(65, "Edit6", BC::HalfSecond);
    one(66, "Edit11", BC::HalfSecond);
    one(67, "Edit16", BC::HalfSecond);
    one(68, "GroupBox13", BC::ChoiceValue);
    one(69, "GroupBox15", BC::ChoiceValue);
    one(70, "Edit53", BC::BitQuartet);
    one(71, "Edit281", BC::BitQuartet);
    one(72, "Edit291", BC::BitQuartet);
    one(73, "Edit292", BC::BitQuartet);
    one(74, "Edit293", BC::BitQuartet);
    one(75, "CheckBox13", BC::FlagLoose);
    // 76-80 not interpreted (255)
    // External codes, three bytes each: relay 1 and relay 2 alternate per group
    // (day + night, day, night).
    const int firstEdits[] = {17, 35, 23, 41, 29, 47};
    int byte = 81;
    for (int first : firstEdits)
        for (int k = 0; k < 6; ++k)
            for (int j = 0; j < 3; ++j, ++byte)
                map[byte - 1] = {byte, QStringLiteral("Edit%1").arg(first + k), BC::DigitPair, j,
                                 3};
    // 189-208 not interpreted (255)
    one(209, "ComboBox7", BC::ListPosition);
    one(210, "ComboBox8", BC::ListPosition);
    one(211, "ComboBox9", BC::ListPosition);
    one(212, "CheckBox3", BC::FlagStrict);
    one(213, "CheckBox4", BC::FlagStrict);
    one(214, "ComboBox11", BC::ListPosition);
    one(215, "ComboBox12", BC::ListPosition);
    one(216, "ComboBox13", BC::ListPosition);
    one(217, "ComboBox14", BC::LineLoss);
    one(218, "ComboBox10", BC::ListPosition);
    // 219-221 not interpreted (255)
    one(222, "CheckBox14", BC::FlagInverted);
    one(223, "CheckBox10", BC::FlagStrict);
    one(224, "CheckBox11", BC::FlagStrict);
    for (int i = 0; i < 28; ++i)
        map[224 + i] = {225 + i, QStringLiteral("Edit%1").arg(63 + i), BC::Time};
    one(253, "CheckBox5", BC::FlagStrict);
    // 254-256 not interpreted (255; byte 256 is never sent)
    return map;
}

const std::vector<ByteDef>& ByteMap() {
    static const std::vector<ByteDef> map = BuildByteMap();
    return map;
}

// ---- shared codings ---------------------------------------------------------------------------

constexpr int kNoCharacter = 15;
constexpr int kAbsentDigit = 15;

// ComboBox17 "0.5" .. "30" in minutes, as the door phone counts them (half minutes).
constexpr std::array<int, 12> kCallDuration = {0, 1, 3, 5, 7, 9, 11, 13, 15, 17, 29, 49};
// ComboBox14 "off", "20-50", "45-75".
constexpr std::array<int, 3> kLineLoss = {3, 0, 2};

int DigitValue(QChar c) {
    if (c >= u'1' && c <= u'9') return c.unicode() - u'0';
    if (c == u'0') return 10;
    return -1;
}

QString NibbleDigit(int nibble) {
    if (nibble >= 1 && nibble <= 9) return QString(QChar(u'0' + nibble));
    if (nibble == 0 || nibble == 10) return QStringLiteral("0");
    return QString();
}

// Bit-quartet: "1" is the pair 10, "0" the pair 01, first character in the top pair.
QString DecodeQuartet(int value) {
    QString text;
    for (int shift = 6; shift >= 0; shift -= 2) {
        const int pair = (value >> shift) & 3;
        if (pair == 2)
            text += u'1';
        else if (pair == 1)
            text += u'0';
        else
            return QStringLiteral("0000");
    }
    return text;
}

// ---- the codings, both ways ------------------------------------------------------------------

struct ConversionFailure {
    QString text;
};

int ToInt(const QString& text) {
    const std::optional<int> v = ParseDecimal(TrimBlanks(text));
    if (!v) throw ConversionFailure{text};
    return *v;
}

int RoundHalfEven(double v) {
    return int(std::nearbyint(v));
}

int SelectedValue(const SettingsModel& model, const FieldDef& f) {
    int p = model.Choice(f.name);
    // A group always shows one button; should none be selected, send the default's value.
    if (p < 0) p = f.defaultChoice;
    return f.options.value(p).value;
}

void SelectByValue(SettingsModel& model, const FieldDef& f, int value) {
    for (int p = 0; p < f.options.size(); ++p)
        if (f.options[p].value == value) {
            model.SetChoice(f.name, p);
            return;
        }
}

int CallDurationPosition(int value) {
    if (value <= 1) return value;
    if (value <= 17) return (value + 1) / 2;
    if (value <= 29) return 10;
    if (value <= 50) return 11;
    return -2; // leave the list
}

// One byte as a coding sees it: its place in the map and the field behind it.
struct Byte {
    const ByteDef& def;
    const FieldDef* field; // nullptr for bytes without a field
    const QString& name() const { return def.field; }
};

// The value of the byte for the model's settings. Throws ConversionFailure for a text that
// is not the number the coding needs.
using Encoder = int (*)(const Byte& b, const SettingsModel& model, const DoorPhoneState& state);
// Takes the byte's value into the model. pending gathers the characters of a code that
// spans several bytes; it is set when its last byte has been read.
using Decoder = void (*)(const Byte& b, int v, SettingsModel& model, QString& pending);

struct CodingRule {
    ByteCoding coding;
    Encoder encode;
    Decoder decode; // nullptr: the reader leaves the byte alone
};

// Every coding with its writer and its reader side by side, in the order of ByteCoding.
// Where the two do not mirror each other, the reader says what it makes of a value the
// writer never sends.
constexpr std::
    array<CodingRule, size_t(BC::Fixed255) + 1>
        kCodings =
            {
                {
                    {BC::ChoiceValue,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return SelectedValue(m, *b.field);
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         SelectByValue(m, *b.field, v);
                     }},
                    {BC::RelayMode,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         const int p = m.Choice(b.name());
                         return p < 0 ? 1 : b.field->options.value(p).value;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         SelectByValue(m, *b.field, v);
                     }},
                    {BC::FlagStrict,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return m.Flag(b.name()) ? 1 : 0;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         if (v <= 1) m.SetFlag(b.name(), v == 1);
                     }},
                    {BC::FlagLoose,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return m.Flag(b.name()) ? 1 : 0;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetFlag(b.name(), v == 1);
                     }},
                    {BC::FlagInverted,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return m.Flag(b.name()) ? 0 : 1;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         if (v <= 1) m.SetFlag(b.name(), v == 0);
                     }},
                    {BC::ListPosition,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return m.Choice(b.name());
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetChoice(b.name(), v);
                     }},
                    {BC::CallDuration,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         const int p = m.Choice(b.name());
                         return p < 0
                                    ? 1
                                    : kCallDuration[std::min<size_t>(p, kCallDuration.size() - 1)];
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         const int p = CallDurationPosition(v);
                         if (p != -2) m.SetChoice(b.name(), p);
                     }},
                    {BC::ToneFrequency,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return 2 * m.Choice(b.name()) + 13;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         // trunc((v - 13) / 2): 12 still gives the first item
                         const int p = (v - 13) / 2;
                         m.SetChoice(b.name(), p < 0 ? -1 : p);
                     }},
                    {BC::BusyTones,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return m.Choice(b.name()) + 2;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetChoice(b.name(), v - 2);
                     }},
                    {BC::PermanentTone,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return 25 * m.Choice(b.name()) + 25;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetChoice(b.name(), v / 25 - 1);
                     }},
                    {BC::LineLoss,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         // No selection is sent as "off", the position the field takes when left
                         // empty.
                         const int p = m.Choice(b.name());
                         return kLineLoss[p >= 0 && p < int(kLineLoss.size()) ? p : 0];
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         for (int p = 0; p < int(kLineLoss.size()); ++p)
                             if (kLineLoss[p] == v) m.SetChoice(b.name(), p);
                     }},
                    {BC::PlainNumber,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return ToInt(m.Text(b.name()));
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetText(b.name(), QString::number(v));
                     }},
                    {BC::ButtonNumber,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         const QString t = m.Text(b.name());
                         return t.isEmpty() ? 255 : ToInt(t);
                     },
                     // 255, an empty field when written, comes back as the number it is.
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetText(b.name(), QString::number(v));
                     }},
                    {BC::Scaled10,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return RoundHalfEven(ToInt(m.Text(b.name())) / 10.0);
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetText(b.name(), QString::number(v * 10));
                     }},
                    {BC::Scaled100,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return RoundHalfEven(ToInt(m.Text(b.name())) / 100.0);
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetText(b.name(), QString::number(v * 100));
                     }},
                    {BC::Scaled100Minus4,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         return RoundHalfEven((ToInt(m.Text(b.name())) - 400) / 100.0);
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetText(b.name(), QString::number(v * 100 + 400));
                     }},
                    {BC::HalfSecond,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         const QString t = m.Text(b.name());
                         return t == QLatin1String("0.5") ? 1 : 2 * ToInt(t);
                     },
                     // An odd count loses its half second; 0 leaves the field.
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         if (v == 1)
                             m.SetText(b.name(), QStringLiteral("0.5"));
                         else if (v >= 2)
                             m.SetText(b.name(), QString::number(v / 2));
                     }},
                    {BC::DialDigit,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         const QString t = m.Text(b.name());
                         if (t.size() <= b.def.part) return 255;
                         const int v = DialDigitValue(t[b.def.part], false);
                         return v < 0 ? kNoCharacter : v;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString& pending) {
                         if (b.def.part == 0) pending.clear();
                         pending += DialDigitChar(v);
                         if (b.def.part == b.def.parts - 1) m.SetText(b.name(), pending);
                     }},
                    {BC::BitQuartet,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         // A missing character counts as "0" (not activated).
                         const QString t = m.Text(b.name());
                         int value = 0;
                         for (int i = 0; i < 4; ++i) {
                             const bool one = i < t.size() && t[i] != u'0';
                             value = (value << 2) | (one ? 2 : 1);
                         }
                         return value;
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetText(b.name(), DecodeQuartet(v));
                     }},
                    {BC::DigitPair,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         // Anything but a digit is an absent digit, like the end of the code.
                         const QString t = m.Text(b.name());
                         auto nibble = [&](int index) {
                             if (index >= t.size()) return kAbsentDigit;
                             const int v = DigitValue(t[index]);
                             return v < 0 ? kAbsentDigit : v;
                         };
                         return nibble(2 * b.def.part) + 16 * nibble(2 * b.def.part + 1);
                     },
                     [](const Byte& b, int v, SettingsModel& m, QString& pending) {
                         if (b.def.part == 0) pending.clear();
                         pending += NibbleDigit(v & 0x0F) + NibbleDigit(v >> 4);
                         if (b.def.part == b.def.parts - 1) m.SetText(b.name(), pending);
                     }},
                    {BC::Time,
                     [](const Byte& b, const SettingsModel& m, const DoorPhoneState&) {
                         const QString t = m.Text(b.name());
                         if (t.isEmpty()) throw ConversionFailure{t};
                         return 16 * ToInt(t.left(1)) + ToInt(t.right(1));
                     },
                     // Each nibble as a number: 255 gives "1515".
                     [](const Byte& b, int v, SettingsModel& m, QString&) {
                         m.SetText(b.name(), QString::number(v >> 4) + QString::number(v & 0x0F));
                     }},
                    {BC::DayMode,
                     [](const Byte&, const SettingsModel&, const DoorPhoneState& state) {
                         return state.dayMode ? 1 : 0;
                     },
                     nullptr},
                    {BC::ResetsHigh,
                     [](const Byte&, const SettingsModel&, const DoorPhoneState& state) {
                         if (state.resets.size() < 2) return 0;
                         return ParseDecimal(state.resets).value_or(0) / 256;
                     },
                     nullptr},
                    {BC::ResetsLow,
                     [](const Byte&, const SettingsModel&, const DoorPhoneState& state) {
                         if (state.resets.isEmpty()) return 0;
                         return ParseDecimal(state.resets).value_or(0) % 256;
                     },
                     nullptr},
                    {BC::Marker,
                     [](const Byte&, const SettingsModel&,
                        const DoorPhoneState&) { return kValidityMarker; },
                     nullptr},
                    {BC::Fixed0,
                     [](const Byte&, const SettingsModel&, const DoorPhoneState&) { return 0; },
                     nullptr},
                    {BC::Fixed255,
                     [](const Byte&, const SettingsModel&, const DoorPhoneState&) { return 255; },
                     nullptr},
                }};

constexpr bool CodingsInEnumOrder() {
    for (size_t i = 0; i < kCodings.size(); ++i)
        if (size_t(kCodings[i].coding) != i || !kCodings[i].encode) return false;
    return true;
}
static_assert(CodingsInEnumOrder(), "one row per ByteCoding, in its order");

Byte ByteOf(const ByteDef& def) {
    return {def, def.field.isEmpty() ? nullptr : FindField(def.field)};
}

} // namespace

std::span<const ByteDef> ParameterByteMap() {
    return ByteMap();
}

const ByteDef& ParameterByte(int byte) {
    return ByteMap().at(byte - 1);
}

QString DialDigitChar(int value) {
    if (value >= 1 && value <= 9) return QString(QChar(u'0' + value));
    switch (value) {
    case 0: return QStringLiteral("D");
    case 10: return QStringLiteral("0");
    case 11: return QStringLiteral("*");
    case 12: return QStringLiteral("#");
    case 13: return QStringLiteral("P");
    case 14: return QStringLiteral("R");
    case 16: return QStringLiteral("-");
    default: return QString(); // 15, 255 and the values the table does not use
    }
}

int DialDigitValue(QChar c, bool allowFlashF) {
    if (c >= u'1' && c <= u'9') return c.unicode() - u'0';
    switch (c.unicode()) {
    case u'0': return 10;
    case u'*': return 11;
    case u'#': return 12;
    case u'P': return 13;
    case u'R': return 14;
    case u'F': return allowFlashF ? 14 : -1;
    case u'-': return 16;
    case u'D': return 0;
    default: return -1;
    }
}

EncodeResult EncodeParameterBlock(const SettingsModel& model, const DoorPhoneState& state) {
    EncodeResult result;
    result.bytes = QByteArray(kParameterBlockSize, '\0');
    for (const ByteDef& b : ByteMap()) {
        try {
            const int value = kCodings[size_t(b.coding)].encode(ByteOf(b), model, state);
            result.bytes[b.byte - 1] = char(value & 0xFF);
        } catch (const ConversionFailure& failure) {
            result.errorField = b.field;
            result.errorText = model.Text(b.field);
            result.errorMessage = NotAnIntegerText(failure.text);
            return result;
        }
    }
    result.ok = true;
    return result;
}

QString BlockRefusalMessage(BlockRefusal refusal, const LanguageTexts& texts) {
    if (refusal == BlockRefusal::None) return QString();
    // "Error in data reading - EEPROM" / "default data", or the length pair.
    const bool marker = refusal == BlockRefusal::NoValidityMarker;
    return texts.Text(marker ? keys::kEepromReadError : keys::kLengthReadError) +
           QStringLiteral("\r\n") + QStringLiteral("      - ") +
           texts.Text(marker ? keys::kDefaultData : keys::kNoDataRead) + QStringLiteral(" -");
}

BlockDecodeResult DecodeParameterBlock(const QByteArray& received, SettingsModel& model,
                                       CommLog& log,
                                       const std::function<void(BlockRefusal)>& onRefused) {
    const auto refuse = [&](BlockRefusal refusal) {
        if (onRefused) onRefused(refusal);
        return BlockDecodeResult{false, refusal};
    };
    if (received.size() != kParameterBlockSize) {
        log.LogLine(QStringLiteral("Error in data: restore defaults"));
        return refuse(BlockRefusal::WrongLength);
    }

    // A block without the validity marker is refused as a whole: no field takes a value
    // from it (bytes before the marker included), only the defaults.
    const bool accepted = quint8(received[kValidityMarkerByte - 1]) == kValidityMarker;
    QString pending; // characters of a dial-digit or digit-pair code being gathered
    {
        // Both relay modes are set before the interlock judges them.
        SettingsModel::UpdateScope scope(model);
        for (const ByteDef& b : ByteMap()) {
            const int v = quint8(received[b.byte - 1]);
            log.LogLine(QStringLiteral("Par.%1 : ").arg(b.byte) + QChar(char16_t(v)));
            if (!accepted) {
                if (b.byte == kValidityMarkerByte) refuse(BlockRefusal::NoValidityMarker);
                continue;
            }
            if (const Decoder decode = kCodings[size_t(b.coding)].decode)
                decode(ByteOf(b), v, model, pending);
        }
    }
    if (!accepted) return {false, BlockRefusal::NoValidityMarker};
    return {true, BlockRefusal::None};
}
