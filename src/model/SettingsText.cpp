#include "SettingsText.h"

#include "Conversions.h"
#include "FieldCatalogue.h"
#include "FieldTexts.h"
#include "LanguageTexts.h"
#include "NumberMemory.h"
#include "PrintableText.h"
#include "SettingsModel.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <functional>
#include <optional>

namespace {

// What a settings-file record holds of a text.
constexpr int kFileValueLength = 32;

const QString kRelay1 = QStringLiteral("GroupBox11");
constexpr int kRelay1Mode1 = 0;
const QString kUnknownName =
    QStringLiteral("no setting of this name (norvaset-cli names lists them)");
const QString kInterlockReason =
    QStringLiteral("relay 2 in mode 5 needs relay 1 in mode 1 (relay1.mode = 1)");

QString Join(const QStringList& parts) {
    return parts.join(QStringLiteral(", "));
}

// The values a choice takes: a list's items as it holds them now, a radio group's words.
QStringList OptionKeys(const FieldDef& def, const SettingsModel& model, bool offeredOnly) {
    QStringList keys;
    if (def.style == ChoiceStyle::List) return model.ChoiceItems(def.name);
    for (const ChoiceOption& o : def.options)
        if (o.offered || !offeredOnly) keys << o.key;
    return keys;
}

// The position of a choice by its script value: exactly, or failing that in any case.
int ChoicePosition(const FieldDef& def, const SettingsModel& model, const QString& value) {
    const QStringList keys = def.style == ChoiceStyle::List ? model.ChoiceItems(def.name)
                                                            : OptionKeys(def, model, false);
    int position = int(keys.indexOf(value));
    if (position >= 0) return position;
    for (int i = 0; i < keys.size(); ++i)
        if (keys[i].compare(value, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

std::optional<bool> FlagOf(const QString& value) {
    const QString v = value.toLower();
    if (v == QLatin1String("on") || v == QLatin1String("1")) return true;
    if (v == QLatin1String("off") || v == QLatin1String("0")) return false;
    return std::nullopt;
}

QString WithUnit(const QString& range, const FieldDef& def) {
    return def.unit.isEmpty() ? range : range + QLatin1Char(' ') + def.unit;
}

// What a settings file holds, taken as reading that file would take it. A reason when the
// value cannot be held.
std::optional<QString> StoreAsFileWould(const FieldDef& def, const QString& value,
                                        SettingsModel& model) {
    switch (def.kind) {
    case FieldKind::Text:
        if (value.size() > kFileValueLength)
            return QStringLiteral("longer than the %1 characters a settings file holds")
                .arg(kFileValueLength);
        for (const QChar c : value)
            if (c.unicode() > 0xFF)
                return QStringLiteral("the character '%1' cannot be kept in a settings file")
                    .arg(PrintableText(QStringView(&c, 1)));
        // A settings file gives its values back without blanks at their ends.
        if (TrimBlanks(value) != value)
            return QStringLiteral("blanks or control characters at the ends are not kept in a "
                                  "settings file");
        model.SetText(def.name, value);
        return std::nullopt;
    case FieldKind::Flag: {
        const std::optional<bool> on = FlagOf(value);
        if (!on) return QStringLiteral("takes on or off");
        model.SetFlag(def.name, *on);
        return std::nullopt;
    }
    case FieldKind::Choice: break;
    }
    if (value.isEmpty()) {
        model.SetChoice(def.name, -1); // nothing selected
        return std::nullopt;
    }
    const int position = ChoicePosition(def, model, value);
    if (position < 0) return QStringLiteral("not one of ") + Join(OptionKeys(def, model, false));
    model.SetChoice(def.name, position);
    return std::nullopt;
}

// The value as the user would leave it in the field, or the reason it is refused.
struct Typed {
    QString text;
    QString refusal;
};

Typed TypeIntoField(const FieldDef& def, const QString& value, const ExitContext& context,
                    const LanguageTexts& texts, const SettingsModel& model) {
    const QString range = QStringLiteral("takes ") + SettingRange(def, model, context);
    QString typed;
    for (const QChar c : value) {
        const std::optional<QChar> key = FilterKey(def.keyFilter, c);
        if (!key || *key == kBackspace)
            return {{},
                    QStringLiteral("'%1' cannot be typed here: %2")
                        .arg(PrintableText(QStringView(&c, 1)), range)};
        typed += *key;
    }
    if (def.maxLength > 0 && typed.size() > def.maxLength)
        return {{}, QStringLiteral("more than %1 characters: %2").arg(def.maxLength).arg(range)};
    const ExitOutcome outcome = CheckOnExit(def, typed, context);
    if (outcome.focusBack || outcome.message.IsSet()) {
        const QString message = ExitMessageText(outcome, texts).simplified();
        return {{}, message.isEmpty() ? range : range + QStringLiteral(" (\"%1\")").arg(message)};
    }
    if (!outcome.changed) return {typed, {}};
    // The window's repairs that keep the value are taken; those that change it are not.
    const std::optional<int> before = ParseDecimal(TrimBlanks(typed));
    const std::optional<int> after = ParseDecimal(TrimBlanks(outcome.text));
    if (def.exitRule == ExitRule::C || (before && after && *before == *after))
        return {outcome.text, {}};
    return {{}, range};
}

std::optional<QString> StoreAsTyped(const FieldDef& def, const QString& value, SettingsModel& model,
                                    const ExitContext& context, const LanguageTexts& texts) {
    switch (def.kind) {
    case FieldKind::Text: {
        const Typed typed = TypeIntoField(def, value, context, texts, model);
        if (!typed.refusal.isEmpty()) return typed.refusal;
        model.SetText(def.name, typed.text);
        return std::nullopt;
    }
    case FieldKind::Flag: return StoreAsFileWould(def, value, model);
    case FieldKind::Choice: break;
    }
    const int position = value.isEmpty() ? -1 : ChoicePosition(def, model, value);
    if (position < 0) return QStringLiteral("not one of ") + Join(OptionKeys(def, model, true));
    if (def.style == ChoiceStyle::RadioGroup && !def.options[position].offered)
        return ControlCaption(def.options[position].name, texts);
    model.SetChoice(def.name, position);
    return std::nullopt;
}

// Applies values to a copy of the model and takes them over only when all are good. The
// relay interlock judges both modes together, once everything is applied.
using Store =
    std::function<std::optional<QString>(const FieldDef&, const QString&, SettingsModel&)>;
struct Assignment {
    int line = 0;
    QString name;
    QString value;
};

QList<SettingProblem> ApplyAll(const QList<Assignment>& assignments, SettingsModel& model,
                               const Store& store, QList<SettingProblem> problems,
                               QStringList* notes) {
    SettingsModel work;
    work.CopyFrom(model);
    QHash<QString, int> firstLine;
    const Assignment* relay1 = nullptr;
    {
        SettingsModel::UpdateScope scope(work);
        for (const Assignment& a : assignments) {
            const FieldDef* def = FindFieldByStableName(a.name);
            if (!def) {
                problems << SettingProblem{a.line, a.name, a.value, kUnknownName};
                continue;
            }
            if (const auto seen = firstLine.constFind(a.name); seen != firstLine.constEnd()) {
                problems << SettingProblem{a.line, a.name, a.value,
                                           *seen > 0 ? QStringLiteral("given twice (first on "
                                                                      "line %1)")
                                                           .arg(*seen)
                                                     : QStringLiteral("given twice")};
                continue;
            }
            firstLine.insert(a.name, a.line);
            if (const std::optional<QString> refused = store(*def, a.value, work)) {
                problems << SettingProblem{a.line, a.name, a.value, *refused};
                continue;
            }
            if (def->name == kRelay1) relay1 = &a;
        }
    }
    const int relay1Now = work.Choice(kRelay1);
    if (relay1) {
        // The interlock moved relay 1 from the mode asked for.
        const FieldDef& def = *FindField(kRelay1);
        if (relay1Now != ChoicePosition(def, work, relay1->value) && !relay1->value.isEmpty())
            problems << SettingProblem{relay1->line, relay1->name, relay1->value, kInterlockReason};
    } else if (relay1Now == kRelay1Mode1 && model.Choice(kRelay1) != kRelay1Mode1 && notes) {
        *notes << QStringLiteral("relay1.mode = 1: relay 2 in mode 5 needs relay 1 in mode 1");
    }
    if (problems.isEmpty()) model.CopyFrom(work);
    return problems;
}

// Characters written as \xHH: the C0 and C1 control characters and DEL.
bool IsControl(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
}

bool NeedsQuotes(const QString& value) {
    if (value.startsWith(QLatin1Char('"')) || TrimBlanks(value) != value) return true;
    for (const QChar c : value)
        if (IsControl(c)) return true;
    return false;
}

QString Quoted(const QString& value) {
    if (!NeedsQuotes(value)) return value;
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        default:
            if (IsControl(c))
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

// The value of a quoted text after its opening quote, or the reason it is not one.
std::optional<QString> Unquote(QStringView rest, QString* error) {
    QString value;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QChar c = rest[i];
        if (c == u'"') {
            if (!TrimBlanks(rest.mid(i + 1).toString()).isEmpty()) {
                *error = QStringLiteral("text after the closing quote");
                return std::nullopt;
            }
            return value;
        }
        if (c != u'\\') {
            value += c;
            continue;
        }
        if (++i >= rest.size()) break;
        switch (rest[i].unicode()) {
        case u'"': value += u'"'; break;
        case u'\\': value += u'\\'; break;
        case u't': value += u'\t'; break;
        case u'n': value += u'\n'; break;
        case u'r': value += u'\r'; break;
        case u'x': {
            const auto hex = [&](qsizetype at) {
                return at < rest.size() &&
                       QStringLiteral("0123456789abcdefABCDEF").contains(rest[at]);
            };
            bool ok = hex(i + 1) && hex(i + 2);
            const int code = ok ? rest.mid(i + 1, 2).toInt(&ok, 16) : 0;
            if (!ok) {
                *error = QStringLiteral("\\x needs two hexadecimal digits");
                return std::nullopt;
            }
            value += QChar(char16_t(code));
            i += 2;
            break;
        }
        default:
            *error = QStringLiteral("unknown escape \\%1").arg(PrintableText(rest.mid(i, 1)));
            return std::nullopt;
        }
    }
    *error = QStringLiteral("no closing quote");
    return std::nullopt;
}

QJsonObject RowJson(const SettingRow& row, bool withPage) {
    QJsonObject o;
    o.insert(QStringLiteral("name"), row.name);
    if (withPage) o.insert(QStringLiteral("page"), row.page);
    o.insert(QStringLiteral("caption"), row.caption);
    o.insert(QStringLiteral("value"), row.value);
    o.insert(QStringLiteral("unit"), row.unit);
    o.insert(QStringLiteral("raw"), row.raw);
    return o;
}

SettingRow RowOf(const FieldDef& def, const SettingsModel& model, const LanguageTexts& texts) {
    return {def.stableName,
            PageCaption(def.page, texts),
            FieldCaption(def, texts),
            FieldShownValue(def, model, texts),
            def.unit,
            SettingValue(def, model)};
}

} // namespace

const std::vector<const FieldDef*>& FieldsInTextOrder() {
    static const std::vector<const FieldDef*> order = [] {
        std::vector<const FieldDef*> fields;
        for (const FieldDef& def : FieldCatalogue())
            if (RecordForNumberField(def.name) == 0) fields.push_back(&def);
        for (int button = 1; button <= 99; ++button) {
            fields.push_back(FindField(FirstNumberField(button)));
            fields.push_back(FindField(SecondNumberField(button)));
        }
        return fields;
    }();
    return order;
}

QString SettingValue(const FieldDef& def, const SettingsModel& model) {
    switch (def.kind) {
    case FieldKind::Text: return model.Text(def.name);
    case FieldKind::Flag:
        return model.Flag(def.name) ? QStringLiteral("on") : QStringLiteral("off");
    case FieldKind::Choice: break;
    }
    if (def.style == ChoiceStyle::List) return model.ChoiceText(def.name);
    const int p = model.Choice(def.name);
    return p < 0 ? QString() : def.options.value(p).key;
}

QString SettingRange(const FieldDef& def, const SettingsModel& model, const ExitContext& context) {
    switch (def.kind) {
    case FieldKind::Flag: return QStringLiteral("on, off");
    case FieldKind::Choice: {
        const QStringList keys = OptionKeys(def, model, true);
        if (def.options.isEmpty())
            return keys.isEmpty() ? QStringLiteral("a model of the language file")
                                  : QStringLiteral("a model: ") + Join(keys);
        return WithUnit(Join(keys), def);
    }
    case FieldKind::Text: break;
    }
    switch (def.exitRule) {
    case ExitRule::A:
        return def.keyFilter == KeyFilter::Dialling
                   ? QStringLiteral("up to %1 of 0-9 * # P R F, or empty").arg(def.maxLength)
                   : QStringLiteral("text");
    case ExitRule::B: return QStringLiteral("4 digits");
    case ExitRule::C: return QStringLiteral("2 of 0-9 and *, or empty (off)");
    case ExitRule::D: return QStringLiteral("2 to 6 digits, or empty (off)");
    case ExitRule::E: return WithUnit(QStringLiteral("0.5 or 1 ... 99"), def);
    case ExitRule::F: return QStringLiteral("a button 1 ... 99, or empty");
    case ExitRule::G:
        return WithUnit(def.keyFilter == KeyFilter::OneToFive ? QStringLiteral("1 ... 5")
                                                              : QStringLiteral("1 ... 9"),
                        def);
    case ExitRule::H: return QStringLiteral("4 ... 99");
    case ExitRule::I: {
        const TimingBounds b = DialTimingBounds(def.name);
        return WithUnit(
            QStringLiteral("%1 ... %2 in steps of %3").arg(b.lower).arg(b.upper).arg(b.step), def);
    }
    case ExitRule::J:
        return def.stableName.endsWith(QLatin1String("_hour")) ? QStringLiteral("00 ... 23")
                                                               : QStringLiteral("00 ... 59");
    case ExitRule::K: return QStringLiteral("4 characters, each 0 or 1");
    case ExitRule::L:
        return context.labelKind == QLatin1String("4")
                   ? QStringLiteral("0 ... %1 but not 3 (this model)").arg(context.modelMaximum)
                   : QStringLiteral("0 ... %1 (this model)").arg(context.modelMaximum);
    case ExitRule::M: break;
    }
    return QString();
}

void OfferEveryListItem(SettingsModel& model) {
    for (const FieldDef& def : FieldCatalogue())
        if (def.style == ChoiceStyle::List && def.initialItemCount >= 0) {
            QStringList items;
            for (const ChoiceOption& o : def.options) items << o.name;
            const int position = model.Choice(def.name);
            model.SetChoiceItems(def.name, items);
            model.SetChoice(def.name, position);
        }
}

QString SettingProblemText(const SettingProblem& p) {
    // What came from the input is quoted as the text form writes it, so that no control
    // character reaches the terminal.
    const QString where = p.line > 0 ? QStringLiteral("line %1: ").arg(p.line) : QString();
    const QString value = Quoted(p.value);
    if (p.name.isEmpty())
        return where + p.reason + (value.isEmpty() ? QString() : QStringLiteral(": ") + value);
    return where + QStringLiteral("%1 = %2: %3").arg(Quoted(p.name), value, p.reason);
}

QString SettingsText(const SettingsModel& model) {
    const LanguageTexts english; // headings in English, whatever the language in use
    QString out = QStringLiteral(
        "# NorvaSet settings: one setting a line, \"name = value\". Lines starting with #\n"
        "# are comments. The names and the values each setting takes: norvaset-cli names\n");
    int page = -2;
    for (const FieldDef* def : FieldsInTextOrder()) {
        if (def->page != page) {
            page = def->page;
            out += QStringLiteral("\n# ") + PageCaption(page, english).simplified() +
                   QLatin1Char('\n');
        }
        const QString value = Quoted(SettingValue(*def, model));
        out += def->stableName + (value.isEmpty() ? QStringLiteral(" =") : QStringLiteral(" = ")) +
               value + QLatin1Char('\n');
    }
    return out;
}

QList<SettingProblem> ApplySettingsText(const QByteArray& text, SettingsModel& model) {
    QList<Assignment> assignments;
    QList<SettingProblem> problems;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int lineNumber = int(n + 1);
        QByteArray bytes = lines[n];
        if (n == 0 && bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3); // a byte-order mark
        if (bytes.endsWith('\r')) bytes.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = decoder.decode(bytes);
        if (decoder.hasError()) {
            problems << SettingProblem{lineNumber, {}, {}, QStringLiteral("not UTF-8 text")};
            continue;
        }
        const QString trimmed = TrimBlanks(line);
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')) ||
            trimmed.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            problems << SettingProblem{
                lineNumber, {}, trimmed, QStringLiteral("not a setting (name = value)")};
            continue;
        }
        Assignment a;
        a.line = lineNumber;
        a.name = TrimBlanks(line.left(equals));
        const QString rest = TrimBlanks(line.mid(equals + 1));
        if (rest.startsWith(QLatin1Char('"'))) {
            QString error;
            const std::optional<QString> value = Unquote(QStringView(rest).mid(1), &error);
            if (!value) {
                problems << SettingProblem{lineNumber, a.name, rest, error};
                continue;
            }
            a.value = *value;
        } else {
            a.value = rest;
        }
        assignments << a;
    }
    problems = ApplyAll(assignments, model, StoreAsFileWould, problems, nullptr);
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const SettingProblem& a, const SettingProblem& b) { return a.line < b.line; });
    return problems;
}

QList<SettingProblem> ApplySettingAssignments(const QStringList& arguments, SettingsModel& model,
                                              const ExitContext& context,
                                              const LanguageTexts& texts, QStringList* notes) {
    QList<Assignment> assignments;
    QList<SettingProblem> problems;
    for (const QString& argument : arguments) {
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (equals < 0) {
            problems << SettingProblem{0, {}, argument, QStringLiteral("not NAME=VALUE")};
            continue;
        }
        assignments << Assignment{0, TrimBlanks(argument.left(equals)),
                                  TrimBlanks(argument.mid(equals + 1))};
    }
    const Store asTyped = [&](const FieldDef& def, const QString& value, SettingsModel& work) {
        return StoreAsTyped(def, value, work, context, texts);
    };
    return ApplyAll(assignments, model, asTyped, problems, notes);
}

QList<SettingProblem> CheckSettingNames(const QStringList& assignments) {
    QList<SettingProblem> problems;
    QSet<QString> seen;
    for (const QString& argument : assignments) {
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = TrimBlanks(argument.left(equals));
        const QString value = equals < 0 ? QString() : TrimBlanks(argument.mid(equals + 1));
        if (equals < 0)
            problems << SettingProblem{0, {}, argument, QStringLiteral("not NAME=VALUE")};
        else if (!FindFieldByStableName(name))
            problems << SettingProblem{0, name, value, kUnknownName};
        else if (seen.contains(name))
            problems << SettingProblem{0, name, value, QStringLiteral("given twice")};
        seen.insert(name);
    }
    return problems;
}

QList<SettingRow> SettingRows(const SettingsModel& model, const LanguageTexts& texts) {
    QList<SettingRow> rows;
    for (const FieldDef* def : FieldsInTextOrder()) rows << RowOf(*def, model, texts);
    return rows;
}

QByteArray SettingsJson(const SettingsModel& model, const LanguageTexts& texts) {
    QJsonArray settings, numbers;
    for (const FieldDef* def : FieldsInTextOrder()) {
        const int record = RecordForNumberField(def->name);
        if (record == 0) {
            settings.append(RowJson(RowOf(*def, model, texts), true));
            continue;
        }
        if (record > 100) continue; // with its first number
        const FieldDef& night = *FindField(SecondNumberField(record));
        QJsonObject button;
        button.insert(QStringLiteral("button"), record);
        button.insert(QStringLiteral("page"), PageCaption(def->page, texts));
        button.insert(QStringLiteral("day"), RowJson(RowOf(*def, model, texts), false));
        button.insert(QStringLiteral("night"), RowJson(RowOf(night, model, texts), false));
        numbers.append(button);
    }
    QJsonObject root;
    root.insert(QStringLiteral("model"), model.ChoiceText(QLatin1String(kModelSelectorField)));
    root.insert(QStringLiteral("settings"), settings);
    root.insert(QStringLiteral("numbers"), numbers);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
