// Fuzzes the callsign and path conversions in both directions.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/station_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> texts;
    for (const auto& address : qv3::split_path(text)) {
        texts.push_back(qv3::address_to_text(qv3::address_to_bytes(address)));
    }
    qv3::join_path(texts);
    qv3::address_to_text(qv3::address_to_bytes(qv3::text_to_address(text)));
    if (size >= 7) {
        qv3::AddressBytes bytes{};
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = data[i];
        qv3::address_to_text(bytes);
    }
    return 0;
}
