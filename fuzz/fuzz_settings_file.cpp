// libFuzzer target: settings files (.nvs).
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSettingsFile(data, size);
    return 0;
}
