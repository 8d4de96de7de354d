// libFuzzer target: parameter blocks as the door phone sends them.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzParameterBlock(data, size);
    return 0;
}
