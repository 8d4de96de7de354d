#pragma once
// Qt's own texts (the Yes and No of a question, the file and print dialogs) in the
// language of the language file in use, from the system's Qt translations. A language file
// is named after its language, in English or in the language itself ("Czech.lng",
// "Deutsch.lng"); English and names that are no language keep Qt's built-in English.

#include <QLocale>
#include <QString>

// The language a language file is named after; QLocale::AnyLanguage when none.
QLocale::Language LanguageOfFile(const QString& languageFile);

// Installs Qt's translation for the language file's language, replacing the one installed
// before. False when the language has none on this system (Qt then speaks English).
bool ApplyQtTranslations(const QString& languageFile);
