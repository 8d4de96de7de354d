#include "BuiltInTexts.h"

#include "LanguageTable.h"

#include <vector>

std::span<const BuiltInText> BuiltInTexts() {
    static const std::vector<BuiltInText> texts = [] {
        std::vector<BuiltInText> out;
        for (const LanguageEntry& e : LanguageTable()) out.push_back({e.section, e.key, e.builtIn});
        return out;
    }();
    return texts;
}
