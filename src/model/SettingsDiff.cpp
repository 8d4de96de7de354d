#include "SettingsDiff.h"

#include "CommLog.h"
#include "FieldCatalogue.h"
#include "LanguageTable.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "ParameterBlock.h"
#include "SettingsModel.h"

#include <QHash>
#include <QSet>
#include <utility>

namespace {

// The caption label of a field shown in a row with a caption of its own. Radio groups and
// check boxes carry their caption themselves.
const std::pair<const char*, const char*> kFieldLabels[] = {
    {"Edit1", "Label10"},       {"Edit2", "Label13"},       {"Edit3", "Label14"},
    {"Edit4", "Label15"},       {"Edit5", "Label16"},       {"Edit6", "Label17"},
    {"Edit7", "Label6"},        {"Edit8", "Label18"},       {"Edit9", "Label19"},
    {"Edit10", "Label20"},      {"Edit11", "Label21"},      {"Edit12", "Label7"},
    {"Edit13", "Label8"},       {"Edit14", "Label12"},      {"Edit15", "Label22"},
    {"Edit16", "Label23"},      {"Edit53", "Label255"},     {"Edit281", "Label256"},
    {"Edit291", "Label257"},    {"Edit292", "Label258"},    {"Edit293", "Label259"},
    {"ComboBox17", "Label61"},  {"Edit54", "Label62"},      {"Edit55", "Label63"},
    {"Edit56", "Label64"},      {"Edit57", "Label65"},      {"Edit58", "Label66"},
    {"ComboBox1", "Label67"},   {"ComboBox2", "Label68"},   {"ComboBox3", "Label69"},
    {"Edit59", "Label72"},      {"Edit60", "Label73"},      {"Edit61", "Label74"},
    {"Edit62", "Label75"},      {"ComboBox4", "Label83"},   {"ComboBox5", "Label84"},
    {"ComboBox6", "Label85"},   {"ComboBox7", "Label86"},   {"ComboBox8", "Label87"},
    {"ComboBox9", "Label88"},   {"ComboBox10", "Label89"},  {"ComboBox11", "Label91"},
    {"ComboBox12", "Label92"},  {"ComboBox13", "Label93"},  {"ComboBox14", "Label97"},
    {"ComboBox15", "Label122"}, {"ComboBox16", "Label124"}, {"Edit91", "Label123"},
};

// The external codes: per group box its first field; five one-impulse codes in the
// first sub-box, the two-impulse code in the second.
struct CodeGroup {
    const char *group, *one, *two;
    int firstEdit;
};
const CodeGroup kCodeGroups[] = {
    {"GroupBox18", "GroupBox173", "GroupBox174", 17},
    {"GroupBox19", "GroupBox175", "GroupBox176", 23},
    {"GroupBox17", "GroupBox171", "GroupBox172", 29},
    {"GroupBox20", "GroupBox201", "GroupBox202", 35},
    {"GroupBox21", "GroupBox204", "GroupBox203", 41},
    {"GroupBox22", "GroupBox205", "GroupBox206", 47},
};

// Navigation-tree position of each page.
int TreePosition(int page) {
    static const QHash<int, int> positions = {
        {Page::DoorPhoneSelect, 0}, {Page::Basic, 1},         {Page::Codes, 2},
        {Page::Keyboard, 3},        {Page::Relays, 4},        {Page::Relay1, 5},
        {Page::ExternalCodes1, 6},  {Page::CodeRelay, 7},     {Page::Relay2, 8},
        {Page::ExternalCodes2, 9},  {Page::Time, 10},         {Page::Dial, 11},
        {Page::HandsFree, 12},      {Page::AutoDayNight, 13}, {Page::System, 14},
        {Page::Numbers, 15},
    };
    if (page >= Page::FirstButtons && page < Page::FirstButtons + 10)
        return 16 + page - Page::FirstButtons;
    return positions.value(page, -1);
}

struct TargetRef {
    const LanguageEntry* entry = nullptr;
    const LanguageTarget* target = nullptr;
};

// Caption targets by object name and tree-node targets by position, from the language
// table (which never changes while the program runs).
const QHash<QString, TargetRef>& CaptionTargets() {
    static const QHash<QString, TargetRef> index = [] {
        QHash<QString, TargetRef> h;
        for (const LanguageEntry& e : LanguageTable())
            for (const LanguageTarget& t : e.targets) {
                if (t.use == TextUse::Caption && !t.object.isEmpty() && !h.contains(t.object))
                    h.insert(t.object, {&e, &t});
                if (t.use == TextUse::TreeNode)
                    h.insert(QStringLiteral("#tree%1").arg(t.index), {&e, &t});
            }
        return h;
    }();
    return index;
}

QString Compose(const QString& key, const LanguageTexts& texts) {
    const TargetRef ref = CaptionTargets().value(key);
    if (!ref.entry) return QString();
    QString text = ComposeText(*ref.entry, *ref.target, texts).trimmed();
    // Row labels end in ":" on the page; a list of differences has its own columns.
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text.trimmed();
}

QString ObjectCaption(const QString& object, const LanguageTexts& texts) {
    const QString text = Compose(object, texts);
    return text.isEmpty() ? object : text;
}

QString PageText(int page, const LanguageTexts& texts) {
    const int position = TreePosition(page);
    return position < 0 ? QString() : Compose(QStringLiteral("#tree%1").arg(position), texts);
}

QString Word(const LanguageTexts& texts, int key) {
    return texts.Text(QStringLiteral("Backup"), key);
}
QString Empty(const LanguageTexts& texts) {
    return Word(texts, 12);
}

// "321 Day + Night mode - 1 impuls 3", "321 Day + Night mode - 2 impulses".
QString ExternalCodeCaption(int editNumber, const LanguageTexts& texts) {
    for (const CodeGroup& g : kCodeGroups) {
        const int k = editNumber - g.firstEdit;
        if (k < 0 || k > 5) continue;
        const QString group = ObjectCaption(QLatin1String(g.group), texts);
        if (k == 5)
            return group + QStringLiteral(" - ") + ObjectCaption(QLatin1String(g.two), texts);
        return group + QStringLiteral(" - ") + ObjectCaption(QLatin1String(g.one), texts) +
               QLatin1Char(' ') + QString::number(k + 1);
    }
    return QString();
}

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

QString FieldCaption(const FieldDef& def, const LanguageTexts& texts) {
    if (def.kind == FieldKind::Flag || def.style == ChoiceStyle::RadioGroup)
        return ObjectCaption(def.name, texts);
    for (const auto& [field, label] : kFieldLabels)
        if (def.name == QLatin1String(field)) return ObjectCaption(QLatin1String(label), texts);
    const int n = EditNumber(def.name);
    if (n >= 17 && n <= 52) return ExternalCodeCaption(n, texts);
    return def.name;
}

QString FieldValue(const FieldDef& def, const SettingsModel& model, const LanguageTexts& texts) {
    switch (def.kind) {
    case FieldKind::Flag: return Word(texts, model.Flag(def.name) ? 10 : 11);
    case FieldKind::Choice: {
        const QString chosen = model.ChoiceText(def.name);
        if (chosen.isEmpty()) return Empty(texts);
        // A radio button's own caption, as the page shows it.
        return def.style == ChoiceStyle::RadioGroup ? ObjectCaption(chosen, texts) : chosen;
    }
    case FieldKind::Text: break;
    }
    const QString text = model.Text(def.name);
    return text.isEmpty() ? Empty(texts) : text;
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
    return a.Text(def.name) == b.Text(def.name);
}

QString TimeValue(const SettingsModel& model, int hourField) {
    return model.Text(QStringLiteral("Edit%1").arg(hourField)) + QLatin1Char(':') +
           model.Text(QStringLiteral("Edit%1").arg(hourField + 1));
}

DiffRow TimeRow(int w, int s, const SettingsModel& a, const SettingsModel& b,
                const LanguageTexts& texts) {
    const int hour = TimeHourField(w, s);
    DiffRow row;
    row.page = PageText(Page::AutoDayNight, texts);
    row.caption =
        ObjectCaption(QStringLiteral("Label%1").arg(99 + w), texts) + QStringLiteral(" - ") +
        ObjectCaption(s == 0 ? QStringLiteral("Label107") : QStringLiteral("Label106"), texts);
    row.valueA = TimeValue(a, hour);
    row.valueB = TimeValue(b, hour);
    row.key = QStringLiteral("Edit%1+Edit%2").arg(hour).arg(hour + 1);
    return row;
}

QString NumberCaption(int record, const LanguageTexts& texts) {
    const int button = record > 100 ? record - 100 : record;
    return texts.Text(QStringLiteral("Page14"), 5) + QLatin1Char(' ') + QString::number(button) +
           QStringLiteral(" - ") + texts.Text(QStringLiteral("Page14"), record > 100 ? 4 : 3);
}

DiffRow NumberRow(int record, const QString& a, const QString& b, const LanguageTexts& texts) {
    const int button = record > 100 ? record - 100 : record;
    DiffRow row;
    row.page = PageText(Page::FirstButtons + (button - 1) / 10, texts);
    row.caption = NumberCaption(record, texts);
    row.valueA = a.isEmpty() ? Empty(texts) : a;
    row.valueB = b.isEmpty() ? Empty(texts) : b;
    row.key = QStringLiteral("M%1").arg(record);
    return row;
}

DiffRow FieldRow(const FieldDef& def, const SettingsModel& a, const SettingsModel& b,
                 const LanguageTexts& texts) {
    DiffRow row;
    row.page = PageText(def.page, texts);
    row.caption = FieldCaption(def, texts);
    row.valueA = FieldValue(def, a, texts);
    row.valueB = FieldValue(def, b, texts);
    row.key = def.name;
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
            if (ta != tb) rows << NumberRow(record, ta, tb, texts);
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
            row.caption = Word(texts, 13) + QLatin1Char(' ') + QString::number(byte);
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
            QList<int> all;
            for (int k = 1; k <= kNumberRecordLength; ++k) all << k;
            row.valueA = FieldBytes(a, all);
            row.valueB = FieldBytes(b, all);
        }
        rows << row;
    }
    return rows;
}

QString DiffRowLine(const DiffRow& row) {
    return QStringList{row.page, row.caption, row.valueA, row.valueB}.join(QStringLiteral(" | "));
}
