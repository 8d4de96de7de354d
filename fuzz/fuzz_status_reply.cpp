// libFuzzer target: status replies of the door phone.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzStatusReply(data, size);
    return 0;
}
