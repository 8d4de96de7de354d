#pragma once
// A field as the installer reads it, in the language in use: the page it sits on (its
// navigation-tree entry), its caption and its value as the page shows them. The captions
// are the language texts of the controls the field catalogue names. Used wherever
// settings are listed outside the window: differences, verify, the settings as text.

#include <QString>

class LanguageTexts;
class SettingsModel;
struct FieldDef;

// The navigation-tree entry of a page ("Relay 1", "Buttons 11-20"); "" for an unknown page.
QString PageCaption(int page, const LanguageTexts& texts);
// The caption of a control ("Label72", "GroupBox11", "RadioButton30") without the ":" that
// ends a row label; the control's own name when no text names it.
QString ControlCaption(const QString& object, const LanguageTexts& texts);
// The field's caption: its caption label, or the control's own caption (radio groups,
// check boxes); an external code by its group, box and number ("321 Day + Night mode -
// 1 impuls 3"); a day/night time or a telephone number by its row and column ("01 Monday -
// Starting night", "Button 15 - Night / Group2").
QString FieldCaption(const FieldDef& def, const LanguageTexts& texts);
// The value as the page shows it: the text, the selected item, the chosen radio button's
// caption, "on" / "off" for a check box, "(empty)" for nothing.
QString FieldShownValue(const FieldDef& def, const SettingsModel& model,
                        const LanguageTexts& texts);
// The language text a control shows, as the window composes it ("" when none names it).
QString LanguageCaption(const QString& object, const LanguageTexts& texts);
// The text of the navigation tree's node at position ("" when none).
QString LanguageNodeText(int position, const LanguageTexts& texts);
// "(empty)".
QString EmptyValueText(const LanguageTexts& texts);
