#include "SettingsDiff.h"

#include "CommLog.h"
#include "Conversions.h"
#include "FieldCatalogue.h"
#include "FieldTexts.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <QHash>
#include <QSet>
#include <utility>

namespace {

int EditNumber(const QString& field) {
    if (!field.startsWith(QLatin1String("Edit"))) return -1;
    bool ok = false;
    const int n = field.mid(4).toInt(&ok);
    return ok ? n : -1;
}

bool IsTimeField(const QString& field) {
    const int n = EditNumber(field);
    return n >= 63 && n <= 90;
}

// Weekday w (0 = Sunday) and start s (0 day, 1 night): its hour field.
int TimeHourField(int w, int s) {
    return 63 + 4 * w + 2 * s;
}

// Texts the door phone holds as a number: "01" and "1" are the same setting there, and an
// empty button number is the 255 the door phone gives back for it.
const QHash<QString, ByteCoding>& NumberCodedFields() {
    static const QHash<QString, ByteCoding> fields = [] {
        QHash<QString, ByteCoding> h;
        for (const ByteDef& b : ParameterByteMap()) switch (b.coding) {
            case ByteCoding::PlainNumber:
            case ByteCoding::ButtonNumber:
            case ByteCoding::Scaled10:
            case ByteCoding::Scaled100:
            case ByteCoding::Scaled100Minus4:
            case ByteCoding::HalfSecond: h.insert(b.field, b.coding); break;
            default: break;
            }
        return h;
    }();
    return fields;
}

std::optional<int> NumberOf(const QString& text, ByteCoding coding) {
    const QString t = TrimBlanks(text);
    if (t.isEmpty() && coding == ByteCoding::ButtonNumber) return 255;
    return ParseDecimal(t);
}

// A telephone number as the door phone dials it: "F" is stored as the flash "R".
QString DialledNumber(const QString& text) {
    QString t = text;
    return t.replace(QLatin1Char('F'), QLatin1Char('R'));
}

bool SameValue(const FieldDef& def, const SettingsModel& a, const SettingsModel& b) {
    switch (def.kind) {
    case FieldKind::Flag: return a.Flag(def.name) == b.Flag(def.name);
    case FieldKind::Choice:
        // Two lists with other items may hold the same position for another text.
        return a.Choice(def.name) == b.Choice(def.name) &&
               a.ChoiceText(def.name) == b.ChoiceText(def.name);
    case FieldKind::Text: break;
    }
    const QString ta = a.Text(def.name), tb = b.Text(def.name);
    if (ta == tb) return true;
    const auto coded = NumberCodedFields().constFind(def.name);
    if (coded == NumberCodedFields().constEnd()) return false;
    const std::optional<int> na = NumberOf(ta, *coded), nb = NumberOf(tb, *coded);
    return na && nb && *na == *nb;
}

QString TimeValue(const SettingsModel& model, int hourField) {
    return model.Text(QStringLiteral("Edit%1").arg(hourField)) + QLatin1Char(':') +
           model.Text(QStringLiteral("Edit%1").arg(hourField + 1));
}

DiffRow TimeRow(int w, int s, const SettingsModel& a, const SettingsModel& b,
                const LanguageTexts& texts) {
    const int hour = TimeHourField(w, s);
    const FieldDef& hourDef = *FindField(QStringLiteral("Edit%1").arg(hour));
    const FieldDef& minuteDef = *FindField(QStringLiteral("Edit%1").arg(hour + 1));
    DiffRow row;
    row.page = PageCaption(hourDef.page, texts);
    row.caption = FieldCaption(hourDef, texts);
    row.valueA = TimeValue(a, hour);
    row.valueB = TimeValue(b, hour);
    row.key = QStringLiteral("Edit%1+Edit%2").arg(hour).arg(hour + 1);
    row.names = QStringList{hourDef.stableName, minuteDef.stableName};
    return row;
}

DiffRow NumberRow(int record, const QString& a, const QString& b, const LanguageTexts& texts) {
    const FieldDef& def = *FindField(NumberFieldForRecord(record));
    DiffRow row;
    row.page = PageCaption(def.page, texts);
    row.caption = FieldCaption(def, texts);
    row.valueA = a.isEmpty() ? EmptyValueText(texts) : a;
    row.valueB = b.isEmpty() ? EmptyValueText(texts) : b;
    row.key = QStringLiteral("M%1").arg(record);
    row.names = QStringList{def.stableName};
    return row;
}

DiffRow FieldRow(const FieldDef& def, const SettingsModel& a, const SettingsModel& b,
                 const LanguageTexts& texts) {
    DiffRow row;
    row.page = PageCaption(def.page, texts);
    row.caption = FieldCaption(def, texts);
    row.valueA = FieldShownValue(def, a, texts);
    row.valueB = FieldShownValue(def, b, texts);
    row.key = def.name;
    row.names = QStringList{def.stableName};
    return row;
}

// Decodes a block for showing it: no messages, no log.
void DecodeQuietly(const QByteArray& block, SettingsModel& model) {
    CommLog log;
    DecodeParameterBlock(block, model, log);
}

QString ByteText(const QByteArray& block, int byte) {
    return byte <= block.size() ? QString::number(quint8(block[byte - 1])) : QStringLiteral("-");
}

// "24 255" style: the bytes of a field, for values that decode alike.
QString FieldBytes(const QByteArray& block, const QList<int>& bytes) {
    QStringList parts;
    for (const int b : bytes) parts << ByteText(block, b);
    return parts.join(QLatin1Char(' '));
}

} // namespace

QList<DiffRow> DiffSettings(const SettingsModel& a, const SettingsModel& b,
                            const LanguageTexts& texts) {
    QList<DiffRow> rows;
    for (const FieldDef& def : FieldCatalogue()) {
        if (RecordForNumberField(def.name) > 0) continue;
        if (IsTimeField(def.name)) {
            // The whole table once, at its first field.
            if (def.name != QLatin1String("Edit63")) continue;
            for (int w = 0; w < 7; ++w)
                for (int s = 0; s < 2; ++s) {
                    DiffRow row = TimeRow(w, s, a, b, texts);
                    if (row.valueA != row.valueB) rows << row;
                }
            continue;
        }
        if (!SameValue(def, a, b)) rows << FieldRow(def, a, b, texts);
    }
    for (int button = 1; button <= 99; ++button)
        for (const int record : {button, 100 + button}) {
            const QString field = NumberFieldForRecord(record);
            const QString ta = a.Text(field), tb = b.Text(field);
            if (DialledNumber(ta) != DialledNumber(tb)) rows << NumberRow(record, ta, tb, texts);
        }
    return rows;
}

bool IsDoorPhoneOwnByte(int byte) {
    return byte == 28 || byte == 30 || byte == 31 || byte == kParameterBlockSize;
}

QList<int> DifferingParameterBytes(const QByteArray& sent, const QByteArray& readBack) {
    QList<int> out;
    for (int byte = 1; byte <= kParameterBlockSize; ++byte) {
        if (IsDoorPhoneOwnByte(byte)) continue;
        const bool inA = byte <= sent.size(), inB = byte <= readBack.size();
        if (inA != inB || (inA && sent[byte - 1] != readBack[byte - 1])) out << byte;
    }
    return out;
}

QList<DiffRow> ParameterBlockDiff(const QByteArray& sent, const QByteArray& readBack,
                                  const SettingsModel& shape, const LanguageTexts& texts) {
    const QList<int> bytes = DifferingParameterBytes(sent, readBack);
    if (bytes.isEmpty()) return {};
    SettingsModel a, b;
    a.CopyFrom(shape);
    b.CopyFrom(shape);
    DecodeQuietly(sent, a);
    DecodeQuietly(readBack, b);

    QList<DiffRow> rows;
    QSet<QString> done;
    for (const int byte : bytes) {
        const QString field = ParameterByte(byte).field;
        const FieldDef* def = field.isEmpty() ? nullptr : FindField(field);
        if (!def) {
            DiffRow row;
            row.caption = texts.Text(keys::kByteWord) + QLatin1Char(' ') + QString::number(byte);
            row.valueA = ByteText(sent, byte);
            row.valueB = ByteText(readBack, byte);
            row.key = QStringLiteral("byte %1").arg(byte);
            rows << row;
            continue;
        }
        // Every byte of the field (a code takes several).
        QList<int> fieldBytes;
        for (const ByteDef& d : ParameterByteMap())
            if (d.field == field) fieldBytes << d.byte;
        DiffRow row;
        if (IsTimeField(field)) {
            const int n = EditNumber(field) - 63;
            row = TimeRow(n / 4, (n % 4) / 2, a, b, texts);
            fieldBytes.clear();
            const int hourByte = 225 + 4 * (n / 4) + 2 * ((n % 4) / 2);
            fieldBytes << hourByte << hourByte + 1;
        } else {
            row = FieldRow(*def, a, b, texts);
        }
        if (done.contains(row.key)) continue;
        done.insert(row.key);
        if (row.valueA == row.valueB) {
            row.valueA = FieldBytes(sent, fieldBytes);
            row.valueB = FieldBytes(readBack, fieldBytes);
        }
        rows << row;
    }
    return rows;
}

QByteArray NumberMemoryBytes(const SettingsModel& model) {
    QByteArray out;
    out.reserve(kNumberRecordCount * kNumberRecordLength);
    for (const int record : NumberRecordOrder()) out += EncodeNumberRecord(record, model);
    return out;
}

QList<DiffRow> NumberMemoryDiff(const QByteArray& sent, const QByteArray& readBack,
                                const LanguageTexts& texts) {
    QList<DiffRow> rows;
    const std::span<const int> order = NumberRecordOrder();
    for (int i = 0; i < int(order.size()); ++i) {
        const QByteArray a = sent.mid(i * kNumberRecordLength, kNumberRecordLength);
        const QByteArray b = readBack.mid(i * kNumberRecordLength, kNumberRecordLength);
        if (a == b) continue;
        DiffRow row = NumberRow(order[i], DecodeDialNumber(a), DecodeDialNumber(b), texts);
        if (row.valueA == row.valueB) {
            // The same digits, but bytes that show no digit differ (15 and 255 both end
            // nothing): the number stays as its digits, the differing places follow.
            QList<int> places;
            for (int k = 1; k <= kNumberRecordLength; ++k)
                if (ByteText(a, k) != ByteText(b, k)) places << k;
            const QString digits = row.valueA;
            const auto withBytes = [&](const QByteArray& record) {
                QStringList parts;
                for (const int k : places)
                    parts << QStringLiteral("%1: %2").arg(k).arg(ByteText(record, k));
                return QStringLiteral("%1 (%2 %3)")
                    .arg(digits, texts.Text(keys::kByteWord), parts.join(QStringLiteral(", ")));
            };
            row.valueA = withBytes(a);
            row.valueB = withBytes(b);
        }
        rows << row;
    }
    return rows;
}

QString DiffRowLine(const DiffRow& row) {
    return QStringList{row.page, row.caption, row.valueA, row.valueB}.join(QStringLiteral(" | "));
}
