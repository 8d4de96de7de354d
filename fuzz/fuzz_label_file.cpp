// libFuzzer target: label files (button labels .NVL, panel labels .VXL).
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzLabelFile(data, size);
    return 0;
}
