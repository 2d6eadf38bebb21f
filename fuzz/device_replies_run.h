// How one input of fuzz_device_replies ends, for the fuzzer and for the replay of its seeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/device_protocol.h"

namespace qv3 {

// How each exchange ended, in the input's order (a tone, or a write whose
// record encodes no image, as None), and the model the record holds after them.
struct DeviceRepliesRun {
    std::vector<ExchangeOutcome> ends;
    int model = kModelNone;
};

// Runs the input's exchanges (fuzzed_line.h) over the fuzzed line; aborts,
// naming what broke, when an exchange breaks what users rely on.
DeviceRepliesRun run_device_replies(const uint8_t* data, size_t size);

}  // namespace qv3
