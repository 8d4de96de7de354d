// libFuzzer target: INI files (Config.ini, language files, model templates).
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzIniFile(data, size);
    return 0;
}
