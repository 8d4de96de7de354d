// libFuzzer target: settings as text (norvaset-cli import).
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSettingsText(data, size);
    return 0;
}
