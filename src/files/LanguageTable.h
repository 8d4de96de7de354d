#pragma once
// Every entry of a language file in one table: where it is applied, how it is composed and
// its built-in English text. Applying a language file walks this table in order; the
// built-in texts come from it as well.
//
// Targets name widgets by object name: controls of the main window by their own name
// ("Label9", "GroupBox1"), controls of the other windows as window and control name
// ("TForm2.Label1"), and a window itself by its window name ("TForm14").

#include "TextKeys.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <span>

class LanguageTexts;

// What the entry's text becomes on its target.
enum class TextUse {
    Caption,   // caption of a control, menu item or window
    Text,      // the whole text of a memo
    Hint,      // hint (tool tip) of a control
    Stored,    // held for later use (message boxes, status line, dialogs, file names)
    TreeNode,  // text of the navigation-tree node at position `index` (0 = first)
    Picture,   // file name in the program folder whose picture, when it exists, is shown
    PageTitle, // the page title takes the text of the tree node selected at that moment
};

// How the shown text is put together from the entry's text.
enum class Composition {
    Affixed,            // prefix + text + suffix (just the text when both are empty)
    ButtonRow,          // text + the button number `index` right-aligned in three characters
    RelayExplanation,   // the relay explanation memo, joined from [Page4] 1 ... 11
    NumbersExplanation, // the telephone-number explanation memo, joined from [Page14] 10 ... 15
    TwoLines,           // [Message] 61 and 62 as one text of two lines
    HelpText,           // [Help] 1 ... 4 joined without separator
};

struct LanguageTarget {
    QString object; // widget object name; empty for Stored, TreeNode and PageTitle
    TextUse use = TextUse::Caption;
    Composition composition = Composition::Affixed;
    QString prefix;
    QString suffix;
    int index = -1; // tree node position (TreeNode) or button number (ButtonRow)
};

struct LanguageEntry {
    const char* section;
    int key;
    const char* builtIn; // UTF-8, exactly as the program shows it without a language file
    QList<LanguageTarget> targets;
};

// All entries, section by section, in the order in which a language file is applied.
std::span<const LanguageEntry> LanguageTable();

// The model list ([Model], [Picture], [Template]) is read in the middle of [Page14]: after the
// entries before this position and before the entry at it.
std::size_t ModelListPosition();

// The section names in the order in which they are applied (without the model list).
QList<QString> LanguageSections();

// The door-phone models shipped with the program, in the order of the model list: the name
// English.lng gives, and the picture and template files in the program folder. A new model
// is one row here, its two files in assets/, and its name in each translation.
struct ShippedModel {
    const char* name;
    const char* picture;
    const char* templateFile;
};
std::span<const ShippedModel> ShippedModels();
// The sections of the model list, in the order a language file holds them.
QList<QString> ModelListSections();

// assets/English.lng: every entry with its built-in text, in the table's order, and the
// shipped model list at its place. Written by the tool target english_lng; a test holds the
// shipped file to it.
QString EnglishLanguageFileText();

// The entry of [section] key, or nullptr when the program does not read that key.
const LanguageEntry* FindLanguageEntry(const QString& section, int key);

// The final text for one target, with the entry's text (or texts, for joins) taken from
// `texts`. For a join the target appears under every entry it reads, and every one of them
// gives the complete joined text. PageTitle gives an empty string: the caller copies the
// selected node's text.
QString ComposeText(const LanguageEntry& entry, const LanguageTarget& target,
                    const LanguageTexts& texts);

// The stored form of [section] key: the composition of its Stored target (for example
// "      - " + text + " -" for [Message] 50), or the plain text when the entry is shown only.
QString StoredText(const LanguageTexts& texts, const QString& section, int key);
inline QString StoredText(const LanguageTexts& texts, TextKey key) {
    return StoredText(texts, QLatin1String(key.section), key.key);
}

// Object name of the caption label of button 1 ... 99 on the telephone-number pages
// ("Label127" ... "Label241"; the label numbers skip the column headings of the pages).
QString ButtonRowLabel(int button);
// The range shown after the "Buttons" text for telephone-number page 0 ... 9:
// "  1-10" (two blanks), " 11-20", ... " 91-99".
QString ButtonPageRange(int page);
