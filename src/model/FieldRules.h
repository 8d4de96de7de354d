#pragma once
// Key filters and exit checks of the fields, as pure functions: the pages call them from
// their key and focus events and apply the outcome.

#include "FieldCatalogue.h"
#include "MsgIcon.h"
#include "TextKeys.h"

#include <QChar>
#include <QString>
#include <optional>

class LanguageTexts;
class SettingsModel;

inline constexpr QChar kBackspace = QChar(0x08);

// The character to insert for a typed key, or nothing when the key is dropped.
std::optional<QChar> FilterKey(KeyFilter filter, QChar key);
// The field's own filter; unknown fields take every key.
std::optional<QChar> FilterKey(const QString& fieldName, QChar key);

// What an exit check needs besides the text.
struct ExitContext {
    int modelMaximum = 2;    // buttons in the basic module allowed by the model template
    QString labelKind = "2"; // label sheet kind of the model
};

struct ExitOutcome {
    bool changed = false;         // text (or list position) is to be replaced
    QString text;                 // the repaired text (text fields)
    int position = -1;            // the list position to set (rule M), when changed
    TextKey message;              // the text to show; none when not set
    TextKey secondMessage;        // its second line, after LF CR (rule L)
    TextKey caption;              // the caption; not set means the application title
    MsgIcon icon = MsgIcon::None; // icon of the message box
    bool focusBack = false;       // the user stays in the field
};

// Rule I: the bounds and the step of a dial timing (Edit59 .. Edit62).
struct TimingBounds {
    int lower, upper, step;
};
TimingBounds DialTimingBounds(const QString& fieldName);

// The check of one field, given the field's text as shown (a list's shown text).
ExitOutcome CheckOnExit(const FieldDef& field, const QString& text, const ExitContext& context);
ExitOutcome CheckOnExit(const QString& fieldName, const QString& text, const ExitContext& context);

// Runs the check on the model's value and applies a repair; the caller shows the message
// and moves the focus. Lists are judged by their shown text (the selected item).
ExitOutcome RunExitCheck(SettingsModel& model, const QString& fieldName,
                         const ExitContext& context);

// The message text of an outcome ("" when none), from the language texts.
QString ExitMessageText(const ExitOutcome& outcome, const LanguageTexts& texts);
// The caption ("" means the application title).
QString ExitMessageCaption(const ExitOutcome& outcome, const LanguageTexts& texts);
