#pragma once
// Default settings of a model: the template's [Defaults] section, or the built-in basic
// defaults when there is no template file.

#include <QString>
#include <stdexcept>

class SettingsModel;
class IniFile;
class CommLog;

// Factory values of the door phone that the built-in defaults and the code-relay exit
// check use.
namespace Factory {
inline constexpr const char* Password = "1234";           // Edit1
inline constexpr const char* HangUpCode1 = "*1";          // Edit2
inline constexpr const char* HangUpCode2 = "*2";          // Edit3
inline constexpr const char* DayCode = "*3";              // Edit4
inline constexpr const char* NightCode = "*4";            // Edit5
inline constexpr const char* Relay1Code1 = "11";          // Edit8: relay 1, one impulse
inline constexpr const char* Relay1Code2 = "12";          // Edit9: relay 1, two impulses
inline constexpr const char* Relay2Code1 = "21";          // Edit13
inline constexpr const char* Relay2Code2 = "22";          // Edit14
inline constexpr const char* CodeRelay1External = "1000"; // Edit53
inline constexpr const char* CodeRelay1Internal = "1000"; // Edit281
inline constexpr const char* CodeRelay2External = "0100"; // Edit291
inline constexpr const char* CodeRelay2Internal = "0100"; // Edit292
inline constexpr const char* CodeRelayOtherMode = "0010"; // Edit293
} // namespace Factory

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
