// Fuzzes the device exchanges with a device whose every answer, and its timing, comes from the input.
#include "fuzz/device_replies_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv3::run_device_replies(data, size);
    return 0;
}
