#include "FieldRules.h"

#include "Conversions.h"
#include "LanguageTexts.h"
#include "SettingsModel.h"

namespace {

bool InRange(QChar c, char16_t from, char16_t to) {
    return c.unicode() >= from && c.unicode() <= to;
}

ExitOutcome Refuse(TextKey message, TextKey caption, MsgIcon icon) {
    ExitOutcome o;
    o.message = message;
    o.caption = caption;
    o.icon = icon;
    o.focusBack = true;
    return o;
}

void Repair(ExitOutcome& o, const QString& original, const QString& repaired) {
    o.text = repaired;
    o.changed = repaired != original;
}

int FieldNumber(const QString& name) {
    int i = name.size();
    while (i > 0 && name[i - 1].isDigit()) --i;
    return name.mid(i).toInt();
}

} // namespace

// Dial timings: bounds, then a multiple of the step with halves rounded away from zero.
TimingBounds DialTimingBounds(const QString& name) {
    if (name == QLatin1String("Edit61")) return {100, 600, 100};
    if (name == QLatin1String("Edit62")) return {500, 1400, 100};
    return {40, 160, 10}; // Edit59, Edit60
}

std::optional<QChar> FilterKey(KeyFilter filter, QChar key) {
    const bool backspace = key == kBackspace;
    switch (filter) {
    case KeyFilter::None: return key;
    case KeyFilter::Blocked: return std::nullopt;
    case KeyFilter::Digits:
        if (backspace || InRange(key, u'0', u'9')) return key;
        return std::nullopt;
    case KeyFilter::DigitsStar:
        if (backspace || InRange(key, u'0', u'9') || key == u'*') return key;
        return std::nullopt;
    case KeyFilter::Seconds:
        if (backspace || InRange(key, u'0', u'9') || key == u',' || key == u'.') return key;
        return std::nullopt;
    case KeyFilter::OneToNine:
        if (backspace || InRange(key, u'1', u'9')) return key;
        return std::nullopt;
    case KeyFilter::OneToFive:
        if (backspace || InRange(key, u'1', u'5')) return key;
        return std::nullopt;
    case KeyFilter::ZeroToFour:
        if (backspace || InRange(key, u'0', u'4')) return key;
        return std::nullopt;
    case KeyFilter::Bits:
        if (backspace || key == u'0' || key == u'1') return key;
        return std::nullopt;
    case KeyFilter::Dialling:
        if (backspace || InRange(key, u'0', u'9')) return key;
        switch (key.unicode()) {
        case u'*':
        case u'#':
        case u'P':
        case u'R':
        case u'F': return key;
        case u'H':
        case u'h': return QChar(u'*');
        case u'K':
        case u'k': return QChar(u'#');
        case u'p': return QChar(u'P');
        case u'r': return QChar(u'R');
        case u'f': return QChar(u'F');
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<QChar> FilterKey(const QString& fieldName, QChar key) {
    const FieldDef* f = FindField(fieldName);
    return FilterKey(f ? f->keyFilter : KeyFilter::None, key);
}

ExitOutcome CheckOnExit(const FieldDef& field, const QString& text, const ExitContext& context) {
    ExitOutcome o;
    const QString t = TrimBlanks(text);
    switch (field.exitRule) {
    case ExitRule::A: break;

    case ExitRule::B:
        if (t.size() != 4)
            return Refuse(keys::kPasswordLength, keys::kPasswordCaption, MsgIcon::Warning);
        break;

    case ExitRule::C: {
        if (t.size() == 1)
            return Refuse(keys::kCodeLength, keys::kInputFormat, MsgIcon::Information);
        if (t.size() == 2 && t[1] == u'*') {
            // A star typed second moves to the front; two stars switch the code off.
            QString repaired = QStringLiteral("*") + t[0];
            if (repaired == QLatin1String("**")) repaired.clear();
            Repair(o, text, repaired);
        }
        break;
    }

    case ExitRule::D:
        if (t.size() == 1)
            return Refuse(keys::kExternalCodeLength, keys::kInputFormat, MsgIcon::Information);
        break;

    case ExitRule::E: {
        const std::optional<int> v = ParseDecimal(t);
        if (t.isEmpty() || t.size() == 3 || !v || *v <= 0) Repair(o, text, QStringLiteral("0.5"));
        break;
    }

    case ExitRule::F: {
        if (t.isEmpty()) {
            Repair(o, text, QString());
            break;
        }
        const std::optional<int> v = ParseDecimal(t);
        if (v && *v <= 0)
            Repair(o, text, QStringLiteral("1"));
        else if (v && *v >= 100)
            Repair(o, text, QStringLiteral("99"));
        break;
    }

    case ExitRule::G:
        if (t.isEmpty()) Repair(o, text, QStringLiteral("1"));
        break;

    case ExitRule::H: {
        QString r = t;
        const std::optional<int> v = ParseDecimal(r);
        if (r.isEmpty() || (v && *v < 4)) r = QStringLiteral("04");
        if (r.size() < 2) r = QStringLiteral("0") + r;
        if (r != t) Repair(o, text, r);
        break;
    }

    case ExitRule::I: {
        const TimingBounds timing = DialTimingBounds(field.name);
        const std::optional<int> parsed = ParseDecimal(t);
        if (!t.isEmpty() && !parsed) break; // not typed: the encoder reports it
        int v = t.isEmpty() ? timing.lower : *parsed;
        if (v < timing.lower) v = timing.lower;
        if (v > timing.upper) v = timing.upper;
        // Halves away from zero: values are never negative here.
        const int steps = (2 * v + timing.step) / (2 * timing.step);
        const QString r = QString::number(steps) + (timing.step == 10 ? "0" : "00");
        if (r != text) Repair(o, text, r);
        break;
    }

    case ExitRule::J: {
        // The table is taken as typed, without trimming.
        QString r = text;
        if (r.isEmpty())
            r = QStringLiteral("00");
        else if (r.size() == 1)
            r = QStringLiteral("0") + r;
        const std::optional<int> v = ParseDecimal(r);
        const bool hour = FieldNumber(field.name) % 2 == 1;
        if (v && hour && *v > 23) r = QStringLiteral("23");
        if (v && !hour && *v >= 60) r = QStringLiteral("59");
        Repair(o, text, r);
        break;
    }

    case ExitRule::K:
        if (text.size() != 4) {
            Repair(o, text, field.defaultText);
            o.changed = true;
            o.focusBack = true;
        }
        break;

    case ExitRule::L: {
        const QString maximum = QString::number(context.modelMaximum);
        QString r = t.isEmpty() ? maximum : t;
        const std::optional<int> v = ParseDecimal(r);
        if (v && *v > context.modelMaximum) {
            r = maximum;
            o.message = keys::kButtonNumbering;
            o.focusBack = true;
        }
        if (context.labelKind == QLatin1String("4") && ParseDecimal(r) == 3) {
            r = maximum;
            o.message = keys::kNoThreeButtons;
            o.secondMessage = keys::kOnlyOneTwoFour;
            o.focusBack = true;
        }
        o.icon = MsgIcon::None;
        if (r != text) Repair(o, text, r);
        break;
    }

    case ExitRule::M: {
        const bool reset =
            t.isEmpty() || (field.name == QLatin1String("ComboBox15") && t.size() < 3);
        if (reset) {
            o.changed = true;
            o.position = field.exitPosition;
            o.focusBack = field.name != QLatin1String(kModelSelectorField);
        }
        break;
    }
    }
    return o;
}

ExitOutcome CheckOnExit(const QString& fieldName, const QString& text, const ExitContext& context) {
    const FieldDef* f = FindField(fieldName);
    if (!f) return ExitOutcome();
    return CheckOnExit(*f, text, context);
}

ExitOutcome RunExitCheck(SettingsModel& model, const QString& fieldName,
                         const ExitContext& context) {
    const FieldDef* f = FindField(fieldName);
    if (!f) return ExitOutcome();
    const QString shown = f->kind == FieldKind::Text     ? model.Text(fieldName)
                          : f->kind == FieldKind::Choice ? model.ChoiceText(fieldName)
                                                         : QString();
    ExitOutcome o = CheckOnExit(*f, shown, context);
    if (o.changed) {
        if (f->kind == FieldKind::Text)
            model.SetText(fieldName, o.text);
        else if (f->kind == FieldKind::Choice)
            model.SetChoice(fieldName, o.position);
    }
    return o;
}

QString ExitMessageText(const ExitOutcome& outcome, const LanguageTexts& texts) {
    if (!outcome.message.IsSet()) return QString();
    QString text = texts.Text(outcome.message);
    // The two lines are joined by a line feed and a carriage return, in this order.
    if (outcome.secondMessage.IsSet())
        text += QStringLiteral("\n\r") + texts.Text(outcome.secondMessage);
    return text;
}

QString ExitMessageCaption(const ExitOutcome& outcome, const LanguageTexts& texts) {
    if (!outcome.caption.IsSet()) return QString();
    return texts.Text(outcome.caption);
}
