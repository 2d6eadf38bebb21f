// Helpers that drive a simulated tracker on a virtual clock in the tracker tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/image_encoder.h"
#include "sim/tracker.h"

namespace qv3::sim::test {

struct TimedByte {
    int64_t due_us;
    uint8_t byte;
};

// Sends bytes back to back at baud starting at start_us; returns the time the
// last one finished arriving.
inline int64_t send(Tracker& tracker, const std::vector<uint8_t>& bytes, uint32_t baud, int64_t start_us) {
    int64_t now = start_us;
    for (const uint8_t byte : bytes) {
        now += byte_time_us(baud);
        tracker_receive(tracker, byte, baud, now);
    }
    return now;
}

// Takes every byte due up to until_us, each at its own time, at most limit bytes.
inline std::vector<TimedByte> drain(Tracker& tracker, int64_t until_us, size_t limit = 100000) {
    std::vector<TimedByte> out;
    while (out.size() < limit) {
        const auto next = tracker_next_output_us(tracker);
        if (!next || *next > until_us) break;
        const auto byte = tracker_pop_output(tracker, *next);
        if (!byte) break;
        out.push_back({*next, *byte});
    }
    return out;
}

inline std::string text_of(const std::vector<TimedByte>& bytes) {
    std::string text;
    for (const TimedByte& b : bytes) text.push_back(static_cast<char>(b.byte));
    return text;
}

inline std::vector<uint8_t> bytes_of(const std::vector<TimedByte>& bytes) {
    std::vector<uint8_t> out;
    for (const TimedByte& b : bytes) out.push_back(b.byte);
    return out;
}

inline std::vector<uint8_t> defaults_image(int model) {
    ConfigRecord record;
    record.device_model = model;
    ImageBytes image{};
    encode_image(record, image);
    return {image.begin(), image.begin() + image_size_for_model(model)};
}

// ESC 'D' 0xAA 0x55 and 256 bytes whose value is (index * 7 + salt).
inline std::vector<uint8_t> write_command(uint8_t salt) {
    std::vector<uint8_t> bytes{0x1B, 'D', 0xAA, 0x55};
    for (int i = 0; i < kImageBufferSize; ++i) bytes.push_back(static_cast<uint8_t>(i * 7 + salt));
    return bytes;
}

inline const std::vector<uint8_t> kVersionQuery{0x1B, 'V'};
inline const std::vector<uint8_t> kReadQuery{0x1B, 'U'};

}  // namespace qv3::sim::test
