#include "SettingsModel.h"

#include <QDebug>

namespace {

const FieldDef& Def(int index) {
    return FieldCatalogue()[index];
}

int Lookup(const QString& name, FieldKind kind) {
    const int i = FieldIndex(name);
    if (i < 0 || Def(i).kind != kind) {
        qWarning() << "SettingsModel: no such field of this kind:" << name;
        return -1;
    }
    return i;
}

// Relay 1 mode 1 and relay 2 mode 5, as positions in their groups.
const QString kRelay1 = QStringLiteral("GroupBox11");
const QString kRelay2 = QStringLiteral("GroupBox14");
constexpr int kRelay1Mode1 = 0;
constexpr int kRelay2Mode5 = 4;

} // namespace

SettingsModel::SettingsModel(QObject* parent) : QObject(parent) {
    values_.resize(FieldCatalogue().size());
    for (int i = 0; i < int(values_.size()); ++i) {
        const FieldDef& f = Def(i);
        if (f.style == ChoiceStyle::List) {
            const int n = f.initialItemCount < 0 ? f.options.size() : f.initialItemCount;
            for (int k = 0; k < n; ++k) values_[i].items << f.options[k].name;
        }
    }
    Reset();
}

void SettingsModel::Reset() {
    UpdateScope scope(*this);
    for (int i = 0; i < int(values_.size()); ++i) {
        const FieldDef& f = Def(i);
        switch (f.kind) {
        case FieldKind::Text: SetText(f.name, f.defaultText); break;
        case FieldKind::Choice: SetChoice(f.name, f.defaultChoice); break;
        case FieldKind::Flag: SetFlag(f.name, f.defaultFlag); break;
        }
    }
}

QString SettingsModel::Text(const QString& name) const {
    const int i = Lookup(name, FieldKind::Text);
    return i < 0 ? QString() : values_[i].text;
}

void SettingsModel::SetText(const QString& name, const QString& text) {
    const int i = Lookup(name, FieldKind::Text);
    if (i < 0 || values_[i].text == text) return;
    values_[i].text = text;
    Changed(i);
}

int SettingsModel::Choice(const QString& name) const {
    const int i = Lookup(name, FieldKind::Choice);
    return i < 0 ? -1 : values_[i].choice;
}

int SettingsModel::ChoiceCount(const QString& name) const {
    const int i = Lookup(name, FieldKind::Choice);
    if (i < 0) return 0;
    return Def(i).style == ChoiceStyle::List ? values_[i].items.size() : Def(i).options.size();
}

void SettingsModel::SetChoice(const QString& name, int position) {
    const int i = Lookup(name, FieldKind::Choice);
    if (i < 0) return;
    if (position < 0 || position >= ChoiceCount(name)) position = -1;
    if (values_[i].choice == position) return;
    values_[i].choice = position;
    Changed(i);
}

QString SettingsModel::ChoiceText(const QString& name) const {
    const int i = Lookup(name, FieldKind::Choice);
    if (i < 0) return QString();
    const int p = values_[i].choice;
    if (p < 0) return QString();
    if (Def(i).style == ChoiceStyle::List) return values_[i].items.value(p);
    return Def(i).options.value(p).name;
}

bool SettingsModel::SelectRadioButton(const QString& radioButtonName) {
    int position = -1;
    const FieldDef* group = FindRadioGroup(radioButtonName, &position);
    if (!group) return false;
    SetChoice(group->name, position);
    return true;
}

bool SettingsModel::IsRadioButtonSelected(const QString& radioButtonName) const {
    int position = -1;
    const FieldDef* group = FindRadioGroup(radioButtonName, &position);
    return group && Choice(group->name) == position;
}

QStringList SettingsModel::ChoiceItems(const QString& name) const {
    const int i = Lookup(name, FieldKind::Choice);
    if (i < 0) return {};
    if (Def(i).style == ChoiceStyle::List) return values_[i].items;
    QStringList names;
    for (const ChoiceOption& o : Def(i).options) names << o.name;
    return names;
}

void SettingsModel::SetChoiceItems(const QString& name, const QStringList& items) {
    const int i = Lookup(name, FieldKind::Choice);
    if (i < 0 || Def(i).style != ChoiceStyle::List) return;
    Value& v = values_[i];
    if (v.items == items) return;
    v.items = items;
    if (v.choice >= items.size()) v.choice = -1;
    Changed(i);
}

bool SettingsModel::Flag(const QString& name) const {
    const int i = Lookup(name, FieldKind::Flag);
    return i >= 0 && values_[i].flag;
}

void SettingsModel::SetFlag(const QString& name, bool checked) {
    const int i = Lookup(name, FieldKind::Flag);
    if (i < 0 || values_[i].flag == checked) return;
    values_[i].flag = checked;
    Changed(i);
}

QString SettingsModel::ValueString(const QString& name) const {
    const FieldDef* f = FindField(name);
    if (!f) return QString();
    switch (f->kind) {
    case FieldKind::Text: return Text(name);
    case FieldKind::Choice: return ChoiceText(name);
    case FieldKind::Flag: return Flag(name) ? QStringLiteral("1") : QStringLiteral("0");
    }
    return QString();
}

void SettingsModel::BeginUpdate() {
    ++updateDepth_;
}

void SettingsModel::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) ApplyInterlock();
}

bool SettingsModel::SameValues(const SettingsModel& other) const {
    for (int i = 0; i < int(values_.size()); ++i) {
        const Value& a = values_[i];
        const Value& b = other.values_[i];
        if (a.text != b.text || a.choice != b.choice || a.flag != b.flag || a.items != b.items)
            return false;
    }
    return true;
}

void SettingsModel::CopyFrom(const SettingsModel& other) {
    UpdateScope scope(*this);
    for (int i = 0; i < int(values_.size()); ++i) {
        const Value& b = other.values_[i];
        Value& a = values_[i];
        if (a.text == b.text && a.choice == b.choice && a.flag == b.flag && a.items == b.items)
            continue;
        a = b;
        Changed(i);
    }
}

void SettingsModel::Changed(int index) {
    Q_EMIT FieldChanged(Def(index).name);
    if (updateDepth_ == 0) ApplyInterlock();
}

void SettingsModel::ApplyInterlock() {
    // Sequential switching (relay 2 mode 5) closes relay 2 a set time after relay 1, which
    // only works with relay 1 as a plain switch (mode 1).
    const int r1 = FieldIndex(kRelay1);
    const int r2 = FieldIndex(kRelay2);
    if (values_[r2].choice == kRelay2Mode5 && values_[r1].choice != kRelay1Mode1) {
        values_[r1].choice = kRelay1Mode1;
        Q_EMIT FieldChanged(kRelay1);
    }
}
