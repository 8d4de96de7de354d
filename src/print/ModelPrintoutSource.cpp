#include "ModelPrintoutSource.h"

#include "FieldCatalogue.h"
#include "FieldTexts.h"
#include "LanguageTable.h"
#include "LanguageTexts.h"
#include "SettingsModel.h"

#include <utility>

namespace print {

namespace {

int EditNumber(const QString& field) {
    if (!field.startsWith(QLatin1String("Edit"))) return -1;
    bool ok = false;
    const int n = field.mid(4).toInt(&ok);
    return ok ? n : -1;
}

} // namespace

ModelPrintoutSource::ModelPrintoutSource(const SettingsModel& model, const LanguageTexts& texts,
                                         const QHash<int, QString>& treeEntries)
    : model_(model), texts_(texts), treeEntries_(treeEntries) {}

QString ModelPrintoutSource::Caption(const QString& control) const {
    return LanguageCaption(control, texts_);
}

QString ModelPrintoutSource::FieldText(const QString& field) const {
    const FieldDef* def = FindField(field);
    if (!def) return QString();
    if (def->kind == FieldKind::Text) return model_.Text(field);
    if (def->style == ChoiceStyle::List) return model_.ChoiceText(field);
    return QString();
}

bool ModelPrintoutSource::IsChecked(const QString& control) const {
    if (FindRadioGroup(control)) return model_.IsRadioButtonSelected(control);
    return model_.Flag(control);
}

QString ModelPrintoutSource::Unit(const QString& field) {
    const FieldDef* def = FindField(field);
    return def ? def->unit : QString();
}

QString ModelPrintoutSource::UnitText(const QString& field) const {
    return Unit(field);
}

QString ModelPrintoutSource::CodeCaption(const QString& codeField) const {
    const FieldDef* def = FindField(codeField);
    return def ? def->mark : QString();
}

QString ModelPrintoutSource::TimeSeparator(const QString& hourField) const {
    const int n = EditNumber(hourField);
    return n >= 63 && n <= 90 ? QStringLiteral(":") : QString();
}

QString ModelPrintoutSource::NodeText(int position) const {
    const auto it = treeEntries_.constFind(position);
    return it != treeEntries_.constEnd() ? *it : LanguageNodeText(position, texts_);
}

QString ModelPrintoutSource::StatusPanelText(int panel) const {
    // With no door phone the status line names the values and shows none.
    switch (panel) {
    case 1: return QStringLiteral("Firmware: ");
    case 3: return texts_.Text(keys::kResetsPanel) + QStringLiteral(": ");
    default: return QString();
    }
}

PrintoutHeader ModelPrintoutSource::Header() const {
    return MakePrintoutHeader(Caption(QStringLiteral("Print1")), texts_);
}

} // namespace print
