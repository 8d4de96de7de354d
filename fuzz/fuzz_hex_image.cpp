// libFuzzer target: firmware HEX files and the image cut from them.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHexImage(data, size);
    return 0;
}
