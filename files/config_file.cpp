// .qv3 files: a tag, a length and the image; saved through replace_file.
#include "files/config_file.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "files/replace_file.h"
#include "model/image_decoder.h"

namespace qv3 {

namespace {

constexpr char kTag128[] = "QV3A";
constexpr char kTag256[] = "QV3B";
constexpr char kModelTag[] = "QV3M";
constexpr size_t kTagSize = 4;

std::array<uint8_t, 4> little_endian(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

uint32_t from_little_endian(const std::array<uint8_t, 4>& bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool same_tag_ignoring_case(const std::array<uint8_t, 4>& bytes, const char* tag) {
    for (size_t i = 0; i < kTagSize; ++i) {
        uint8_t c = bytes[i];
        if (c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 'a' + 'A');
        if (c != static_cast<uint8_t>(tag[i])) return false;
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

template <size_t N>
bool read_all(std::FILE* file, std::array<uint8_t, N>& bytes, size_t count = N) {
    return std::fread(bytes.data(), 1, count, file) == count;
}

// The model a trailer after the image names, or 0 when there is none that fits.
int read_model_trailer(std::FILE* file, int image_size) {
    std::array<uint8_t, 4> tag{};
    std::array<uint8_t, 4> code{};
    if (!read_all(file, tag) || !same_tag_ignoring_case(tag, kModelTag) || !read_all(file, code)) return 0;
    // Codes past INT_MAX turn negative here, which no row has.
    const int named = static_cast<int>(from_little_endian(code));
    return model_known(named) && image_size_for_model(named) == image_size ? named : 0;
}

}  // namespace

std::string config_file_bytes(int device_model, const ImageBytes& image) {
    const int image_size = image_size_for_model(device_model);
    const auto append_number = [](std::string& bytes, uint32_t value) {
        for (const uint8_t byte : little_endian(value)) bytes.push_back(static_cast<char>(byte));
    };
    std::string bytes = image_size == 256 ? kTag256 : kTag128;
    append_number(bytes, static_cast<uint32_t>(image_size));
    bytes.append(reinterpret_cast<const char*>(image.data()), static_cast<size_t>(image_size));
    if (model_known(device_model)) {
        bytes += kModelTag;
        append_number(bytes, static_cast<uint32_t>(device_model));
    }
    return bytes;
}

SaveResult save_config_file(const std::string& file_name, ConfigRecord& record, ImageBytes& encoded_image) {
    const EncodeOutcome encoding = encode_image(record, encoded_image);
    if (encoding == EncodeOutcome::DoesNotFit) return {encoding, "Failed to write data"};
    const ReplaceOutcome written = replace_file(file_name, config_file_bytes(record.device_model, encoded_image));
    return {encoding, replace_outcome_text(written)};
}

std::string load_config_file(const std::string& file_name, ConfigRecord& record, ReceivedImage& received_image) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(file_name.c_str(), "rb"));
    if (!file) return "Failed to open file";
    record.device_model = kModelNone;

    std::array<uint8_t, 4> tag{};
    if (!read_all(file.get(), tag)) return "Invalid File Format";
    int image_size = 0;
    if (same_tag_ignoring_case(tag, kTag128)) {
        image_size = 128;
    } else if (same_tag_ignoring_case(tag, kTag256)) {
        image_size = 256;
    } else {
        return "Invalid File Format";
    }

    record.device_model = first_model_with_image_size(image_size);

    std::array<uint8_t, 4> length{};
    if (!read_all(file.get(), length)) return "Failed to read data";
    if (from_little_endian(length) != static_cast<uint32_t>(image_size)) return "Invalid File Format";

    ReceivedImage image;
    if (!read_all(file.get(), image.bytes, static_cast<size_t>(image_size))) return "Failed to read data";
    image.length = image_size;
    if (const int model = read_model_trailer(file.get(), image_size); model_known(model)) record.device_model = model;

    received_image = image;
    decode_image(received_image, record);
    return "File Loaded";
}

}  // namespace qv3
