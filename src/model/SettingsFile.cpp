#include "SettingsFile.h"

#include "CommLog.h"
#include "Conversions.h"
#include "FileAccess.h"
#include "SettingsModel.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kKeyAreaSize = 16;
constexpr int kValueAreaSize = 32;
constexpr int kValueOffset = 18;

const QString kReadBeyondEnd = QStringLiteral("Read beyond end of file");

std::vector<SettingsRecordDef> BuildRecordTable() {
    std::vector<SettingsRecordDef> table;
    for (const FieldDef& f : FieldCatalogue())
        if (f.fileRecord > 0)
            table.push_back({f.fileRecord, f.fileKey, f.name, f.fileCoding, f.fileGeneration});
    std::sort(
        table.begin(), table.end(),
        [](const SettingsRecordDef& a, const SettingsRecordDef& b) { return a.record < b.record; });
    return table;
}

// A later generation only ever added records at the end: each one's files end where the
// next generation's records begin.
std::vector<int> BuildRecordCounts() {
    std::vector<int> counts;
    const auto table = SettingsRecordTable();
    for (size_t n = 1; n < table.size(); ++n)
        if (table[n].generation != table[n - 1].generation) counts.push_back(int(n));
    counts.push_back(int(table.size()));
    return counts;
}

// One value as it will be applied; parsed and checked before anything is applied.
struct PendingValue {
    const SettingsRecordDef* def = nullptr;
    QString value;  // trimmed
    int number = 0; // list index
};

QString RecordValue(const QByteArray& record) {
    const int length = std::min<int>(quint8(record[kValueOffset - 1]), kValueAreaSize);
    return QString::fromLatin1(record.mid(kValueOffset, length));
}

void Apply(const PendingValue& p, SettingsModel& model) {
    const QString& v = p.value;
    const QString& field = p.def->field;
    switch (p.def->coding) {
    case FileCoding::None: break;
    case FileCoding::Text: model.SetText(field, v); break;
    case FileCoding::Choice: {
        // Only an exact position text selects; anything else leaves the group.
        const int count = model.ChoiceCount(field);
        for (int i = 0; i < count; ++i)
            if (v == QString::number(i)) model.SetChoice(field, i);
        break;
    }
    case FileCoding::ListIndex: model.SetChoice(field, p.number); break;
    case FileCoding::Flag: model.SetFlag(field, v == QLatin1String("1")); break;
    case FileCoding::CodeRelayFlag:
        if (v == QLatin1String("1") || v == QLatin1String("0"))
            model.SetFlag(field, v == QLatin1String("1"));
        break;
    }
}

} // namespace

SettingsFileError::SettingsFileError(const QString& text)
    : std::runtime_error(text.toStdString()), text_(text) {}

std::span<const SettingsRecordDef> SettingsRecordTable() {
    static const std::vector<SettingsRecordDef> table = BuildRecordTable();
    return table;
}

std::span<const int> SettingsFileRecordCounts() {
    static const std::vector<int> counts = BuildRecordCounts();
    return counts;
}

QByteArray EncodeSettingsRecord(const QString& key, const QString& value) {
    QByteArray record(kSettingsRecordSize, '\0');
    const QByteArray k = key.toLatin1().left(kKeyAreaSize);
    record[0] = char(k.size());
    std::copy(k.begin(), k.end(), record.begin() + 1);
    // Value area: the text, then blanks up to offset 48; offset 49 keeps 0 unless the
    // text fills all 32 places.
    const QByteArray v = value.toLatin1().left(kValueAreaSize);
    record[kValueOffset - 1] = char(v.size());
    for (int i = kValueOffset; i < kSettingsRecordSize - 1; ++i) record[i] = ' ';
    std::copy(v.begin(), v.end(), record.begin() + kValueOffset);
    return record;
}

QString SettingsRecordValue(const SettingsRecordDef& def, const SettingsModel& model) {
    switch (def.coding) {
    case FileCoding::None: return QString();
    case FileCoding::Text: return model.Text(def.field);
    case FileCoding::Choice:
    case FileCoding::ListIndex: return QString::number(model.Choice(def.field));
    case FileCoding::Flag:
    case FileCoding::CodeRelayFlag: return model.Flag(def.field) ? "1" : "0";
    }
    return QString();
}

QByteArray SettingsFileBytes(const SettingsModel& model) {
    QByteArray bytes;
    bytes.reserve(qsizetype(SettingsRecordTable().size()) * kSettingsRecordSize);
    for (const SettingsRecordDef& def : SettingsRecordTable())
        bytes += EncodeSettingsRecord(def.key, SettingsRecordValue(def, model));
    return bytes;
}

void ApplySettingsFileBytes(const QByteArray& bytes, SettingsModel& model) {
    // Only whole records count; a shorter tail is not a record. Records past the last
    // are ignored; a file that ends between the ends of two generations was cut short.
    const int available = int(bytes.size() / kSettingsRecordSize);
    const auto counts = SettingsFileRecordCounts();
    int count = 0;
    for (const int n : counts)
        if (available == n || (n == counts.back() && available > n)) count = n;
    if (count == 0) throw SettingsFileError(kReadBeyondEnd);

    // Check everything first so that a bad file changes nothing.
    const auto table = SettingsRecordTable();
    std::vector<PendingValue> pending;
    pending.reserve(count);
    for (int n = 0; n < count; ++n) {
        PendingValue p;
        p.def = &table[n];
        p.value = TrimBlanks(
            RecordValue(bytes.mid(qsizetype(n) * kSettingsRecordSize, kSettingsRecordSize)));
        if (p.def->coding == FileCoding::ListIndex) {
            const std::optional<int> number = ParseDecimal(p.value);
            if (!number) throw SettingsFileError(NotAnIntegerText(p.value));
            p.number = *number;
        }
        pending.push_back(p);
    }

    SettingsModel::UpdateScope scope(model);
    for (const PendingValue& p : pending) Apply(p, model);
}

void WriteSettingsFile(const QString& path, const SettingsModel& model, CommLog& log) {
    log.LogLine(QStringLiteral("Write file: ") + path);
    // Written whole or not at all, so a failed save never leaves a damaged settings file
    // behind; the reason is the system's ("No space left on device").
    QString error;
    if (!WriteWholeFile(path, SettingsFileBytes(model), &error)) throw SettingsFileError(error);
}

void ReadSettingsFile(const QString& path, SettingsModel& model, CommLog& log) {
    log.LogLine(QStringLiteral("Read file: ") + path);
    // Records past the last one are ignored, but a file far beyond any settings file (or a
    // FIFO, a device, a folder) is refused before it is read.
    const FileContents contents = ReadBoundedFile(path, kMaxSettingsFileBytes);
    if (!contents.ok()) throw SettingsFileError(contents.error);
    ApplySettingsFileBytes(contents.bytes, model);
}
