// libFuzzer target: number-memory records as the door phone sends them.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzNumberRecord(data, size);
    return 0;
}
