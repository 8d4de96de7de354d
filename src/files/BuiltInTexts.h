#pragma once
// The built-in English text of every language-file entry, in one table.

#include "LanguageTexts.h"

#include <span>

std::span<const BuiltInText> BuiltInTexts();
