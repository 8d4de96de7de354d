#include "Defaults.h"

#include "CommLog.h"
#include "Conversions.h"
#include "FieldCatalogue.h"
#include "FileAccess.h"
#include "IniFile.h"
#include "SettingsModel.h"

ConversionError::ConversionError(const QString& value)
    : std::runtime_error(NotAnIntegerText(value).toStdString()), text_(NotAnIntegerText(value)),
      value_(value) {}

void ApplyTemplateDefaults(SettingsModel& model, const IniFile& templateFile) {
    // Both relay modes are judged together once the whole section has been applied.
    SettingsModel::UpdateScope scope(model);
    const QString section = QStringLiteral("Defaults");
    const auto catalogue = FieldCatalogue();
    for (const TemplateKeyDef& k : TemplateKeyOrder()) {
        const FieldDef& f = catalogue[k.field];
        const QString value = templateFile.ReadString(section, k.key, k.missingValue);
        if (k.option >= 0) {
            if (value == QLatin1String("1")) model.SetChoice(f.name, k.option);
            continue;
        }
        switch (f.kind) {
        case FieldKind::Text: model.SetText(f.name, value); break;
        case FieldKind::Flag: model.SetFlag(f.name, value == QLatin1String("1")); break;
        case FieldKind::Choice: {
            const std::optional<int> position = ParseDecimal(value);
            if (!position) throw ConversionError(value);
            model.SetChoice(f.name, *position);
            break;
        }
        }
    }
}

void ApplyBuiltInDefaults(SettingsModel& model) {
    SettingsModel::UpdateScope scope(model);
    for (const FieldDef& f : FieldCatalogue()) {
        if (!f.builtInDefault) continue;
        switch (f.kind) {
        case FieldKind::Text: model.SetText(f.name, f.defaultText); break;
        case FieldKind::Choice: model.SetChoice(f.name, f.defaultChoice); break;
        case FieldKind::Flag: model.SetFlag(f.name, f.defaultFlag); break;
        }
    }
}

void LoadDefaults(SettingsModel& model, const IniFile* templateOrNull, CommLog& log) {
    log.LogLine(QStringLiteral("Defaults: ") +
                (templateOrNull ? templateOrNull->path() : QString()));
    if (templateOrNull) {
        ApplyTemplateDefaults(model, *templateOrNull);
        return;
    }
    log.LogLine(QStringLiteral("Defaults: BASIC - no file"));
    ApplyBuiltInDefaults(model);
}

void LoadDefaults(SettingsModel& model, const QString& templatePath, CommLog& log) {
    log.LogLine(QStringLiteral("Defaults: ") + templatePath);
    if (IsRegularFile(templatePath)) {
        IniFile ini;
        // A template too large to be one gives the built-in defaults, as a missing one.
        if (ini.Load(templatePath)) {
            ApplyTemplateDefaults(model, ini);
            return;
        }
    }
    log.LogLine(QStringLiteral("Defaults: BASIC - no file"));
    ApplyBuiltInDefaults(model);
}
