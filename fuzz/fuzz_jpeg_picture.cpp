// libFuzzer target: JPEG model pictures.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzJpegPicture(data, size);
    return 0;
}
