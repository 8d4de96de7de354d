#include "FieldTexts.h"

#include "FieldCatalogue.h"
#include "LanguageTable.h"
#include "LanguageTexts.h"
#include "SettingsModel.h"

#include <QHash>

namespace {

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

QString Composed(const QString& key, const LanguageTexts& texts) {
    const TargetRef ref = CaptionTargets().value(key);
    return ref.entry ? ComposeText(*ref.entry, *ref.target, texts) : QString();
}

QString Compose(const QString& key, const LanguageTexts& texts) {
    QString text = Composed(key, texts).trimmed();
    // Row labels end in ":" on the page; a list has its own columns.
    if (text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text.trimmed();
}

} // namespace

QString LanguageCaption(const QString& object, const LanguageTexts& texts) {
    return object.startsWith(QLatin1Char('#')) ? QString() : Composed(object, texts);
}

QString LanguageNodeText(int position, const LanguageTexts& texts) {
    return Composed(QStringLiteral("#tree%1").arg(position), texts);
}

QString PageCaption(int page, const LanguageTexts& texts) {
    const int position = TreePosition(page);
    return position < 0 ? QString() : Compose(QStringLiteral("#tree%1").arg(position), texts);
}

QString ControlCaption(const QString& object, const LanguageTexts& texts) {
    const QString text = Compose(object, texts);
    return text.isEmpty() ? object : text;
}

QString FieldCaption(const FieldDef& def, const LanguageTexts& texts) {
    if (def.kind == FieldKind::Flag || def.style == ChoiceStyle::RadioGroup)
        return ControlCaption(def.name, texts);
    // An external code: its group, its box and its number; the one two-impulse code of a
    // box needs no number.
    if (!def.subGroup.isEmpty()) {
        QString caption = ControlCaption(def.group, texts) + QStringLiteral(" - ") +
                          ControlCaption(def.subGroup, texts);
        if (def.mark != QLatin1String("*")) caption += QLatin1Char(' ') + def.mark;
        return caption;
    }
    // A day/night time or a telephone number: its row and its column. A button's row
    // label pads its number for the page's column; a caption of its own needs no padding.
    if (!def.column.isEmpty())
        return ControlCaption(def.label, texts).simplified() + QStringLiteral(" - ") +
               ControlCaption(def.column, texts);
    return def.label.isEmpty() ? def.name : ControlCaption(def.label, texts);
}

QString EmptyValueText(const LanguageTexts& texts) {
    return texts.Text(keys::kEmptyValue);
}

QString FieldShownValue(const FieldDef& def, const SettingsModel& model,
                        const LanguageTexts& texts) {
    switch (def.kind) {
    case FieldKind::Flag: return texts.Text(model.Flag(def.name) ? keys::kFlagOn : keys::kFlagOff);
    case FieldKind::Choice: {
        const QString chosen = model.ChoiceText(def.name);
        if (chosen.isEmpty()) return EmptyValueText(texts);
        // A radio button's own caption, as the page shows it.
        return def.style == ChoiceStyle::RadioGroup ? ControlCaption(chosen, texts) : chosen;
    }
    case FieldKind::Text: break;
    }
    const QString text = model.Text(def.name);
    return text.isEmpty() ? EmptyValueText(texts) : text;
}
