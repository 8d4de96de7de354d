// libFuzzer target: BMP bitmaps as the panel labels take them.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBmpPicture(data, size);
    return 0;
}
