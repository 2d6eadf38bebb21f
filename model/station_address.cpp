// Lenient callsign and path conversion: nothing is rejected, what does not fit is dropped.
#include "model/station_address.h"

namespace qv3 {

namespace {

bool is_letter_or_digit(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool is_c_space(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The SSID after a "-": like a base-10 string-to-long, but any value outside
// 0..15 (however many digits) gives 0, so the accumulator never needs to grow.
int read_ssid(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && is_c_space(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 15) return 0;
    }
    return negative ? 0 : value;
}

}  // namespace

StationAddress text_to_address(std::string_view text) {
    StationAddress address;
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (is_letter_or_digit(c)) {
            if (count < address.chars.size()) {
                address.chars[count++] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            }
        } else if (c >= 0x21 && c <= 0x7F) {
            if (c == '-') address.ssid = read_ssid(text.substr(i + 1));
            break;
        }
        // Spaces, control characters and bytes from 0x80 up are skipped.
    }
    return address;
}

std::vector<StationAddress> split_path(std::string_view path) {
    std::vector<StationAddress> addresses;
    size_t p = 0;
    while (p < path.size()) {
        addresses.push_back(text_to_address(path.substr(p)));
        const size_t comma = path.find(',', p);
        if (comma == std::string_view::npos) break;
        p = comma + 1;
    }
    return addresses;
}

AddressBytes address_to_bytes(const StationAddress& address) {
    AddressBytes bytes{};
    for (size_t i = 0; i < address.chars.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(static_cast<unsigned char>(address.chars[i]) << 1);
    }
    bytes[6] = static_cast<uint8_t>((0x30 | (address.ssid & 0x0F)) << 1);
    return bytes;
}

std::string address_to_text(const AddressBytes& bytes) {
    std::string text;
    for (size_t i = 0; i < 6; ++i) {
        const char c = static_cast<char>(bytes[i] >> 1);
        if (c != ' ') text.push_back(c);
    }
    const int ssid = (bytes[6] >> 1) & 0x0F;
    if (ssid != 0) {
        text.push_back('-');
        if (ssid >= 10) text.push_back('1');
        text.push_back(static_cast<char>('0' + ssid % 10));
    }
    return text;
}

std::string join_path(const std::vector<std::string>& elements) {
    std::string path;
    for (const auto& element : elements) {
        if (!path.empty()) path.push_back(',');
        path += element;
    }
    return path;
}

}  // namespace qv3
