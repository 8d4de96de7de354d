#pragma once
// Puts the language texts on the windows: walks the one table of language entries and
// sets every caption, memo text, hint, tree entry and picture by the target's object
// name. Runs at start-up and again whenever a language file has been loaded.

#include <QString>
#include <functional>

class QObject;
class LanguageTexts;

struct LanguageSurface {
    // The object a target names: a control of the main window ("Label9"), a control of
    // another window ("TForm2.Label1") or a window itself ("TForm14"); nullptr when the
    // window does not exist (yet).
    std::function<QObject*(const QString& target)> find;
    // Text of the navigation-tree entry at a position.
    std::function<void(int position, const QString& text)> treeEntry;
    // The page title takes the text of the selected tree entry.
    std::function<void()> pageTitle;
    // Where pictures named by file are looked for (with a trailing separator).
    QString programFolder;
    // When set, the full path of a picture file by its name (instead of programFolder).
    std::function<QString(const QString& name)> locate;
};

// Returns the number of targets that named an object that was not found.
int ApplyLanguageTexts(const LanguageTexts& texts, const LanguageSurface& surface);

// Sets the caption, text or hint of a widget, menu item or window by its kind.
bool SetCaption(QObject* target, const QString& text);
bool SetHint(QObject* target, const QString& text);

// A menu caption where it is not a menu item (a window title, a message): without the
// "&" that marks its accelerator, "&&" read as one "&".
QString WithoutAccelerator(const QString& caption);
