#pragma once
// Default settings of a model: the template's [Defaults] section, or the built-in basic
// defaults when there is no template file.

#include "FactoryValues.h"

#include <QString>
#include <stdexcept>

class SettingsModel;
class IniFile;
class CommLog;

// A value that should be a decimal integer and is not. what() and text() carry the
// user-facing message "'x' is not a valid integer value".
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& value);
    QString text() const { return text_; }
    QString value() const { return value_; }

private:
    QString text_;
    QString value_;
};

// Logs "Defaults: " and the template path, then applies the template's [Defaults]
// section when the file exists, else logs "Defaults: BASIC - no file" and applies the
// built-in basic defaults. An empty path means no model is selected: built-in defaults.
// A CB value that is not an integer throws ConversionError; keys read before it keep
// their effect.
void LoadDefaults(SettingsModel& model, const QString& templatePath, CommLog& log);
// The same with an already loaded template (nullptr: built-in defaults); the path for the
// log line is the template's own.
void LoadDefaults(SettingsModel& model, const IniFile* templateOrNull, CommLog& log);

// The two halves on their own.
void ApplyTemplateDefaults(SettingsModel& model, const IniFile& templateFile);
void ApplyBuiltInDefaults(SettingsModel& model);
