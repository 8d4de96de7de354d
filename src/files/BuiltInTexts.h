#pragma once
// The built-in English text of every language-file entry, taken from the language table
// (LanguageTable.h) in the order in which a language file is applied.

#include "LanguageTexts.h"

#include <span>

std::span<const BuiltInText> BuiltInTexts();
