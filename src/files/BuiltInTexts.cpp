#include "BuiltInTexts.h"

namespace {
const BuiltInText kTexts[] = {
    {"Info", 1, "NorvaSet"},
    {"Menu", 45, "LogFile is enable"},
    {"Menu", 46, "LogFile is disable"},
    {"Menu", 47, "Kodrix.exe"},
    {"Message", 21, "Nebyl vybrán žádný soubor"},
    {"Message", 22, "Selected file is not settings for DoorPhone Norva"},
    {"Message", 44, "Want you save the data with the settings?"},
    {"Message", 45, "Save file"},
};
} // namespace

std::span<const BuiltInText> BuiltInTexts() {
    return kTexts;
}
