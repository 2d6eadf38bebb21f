// Conversions between callsign/path text and the 7-byte station address form.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv3 {

// Six characters (A-Z, 0-9 or space, left-aligned) and an SSID 0..15.
struct StationAddress {
    std::array<char, 6> chars{' ', ' ', ' ', ' ', ' ', ' '};
    int ssid = 0;

    bool operator==(const StationAddress&) const = default;
};

using AddressBytes = std::array<uint8_t, 7>;

// Reads from the start of text and stops by itself at the first punctuation
// character, so it may be handed the whole rest of a path.
StationAddress text_to_address(std::string_view text);

// One address per comma-separated element; a trailing comma adds none.
std::vector<StationAddress> split_path(std::string_view path);

// The seven image bytes of an address, without the end-of-block bit.
AddressBytes address_to_bytes(const StationAddress& address);

// Text form: the characters without spaces, then "-SSID" unless the SSID is 0.
std::string address_to_text(const AddressBytes& bytes);

std::string join_path(const std::vector<std::string>& elements);

}  // namespace qv3
