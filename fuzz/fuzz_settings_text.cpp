// Fuzzes the settings text reader; what it accepts must print and read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/settings_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qv3::ConfigRecord record;
    if (!qv3::parse_settings_text(text, record).empty()) return 0;
    qv3::ConfigRecord again;
    if (!qv3::parse_settings_text(qv3::settings_to_text(record), again).empty()) std::abort();
    if (qv3::settings_to_text(again) != qv3::settings_to_text(record)) std::abort();
    return 0;
}
