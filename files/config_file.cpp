// .qv3 files: a tag, a length and the image, written beside the target and renamed over it.
#include "files/config_file.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

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
bool write_all(std::FILE* file, const std::array<uint8_t, N>& bytes, size_t count = N) {
    return std::fwrite(bytes.data(), 1, count, file) == count;
}

template <size_t N>
bool read_all(std::FILE* file, std::array<uint8_t, N>& bytes, size_t count = N) {
    return std::fread(bytes.data(), 1, count, file) == count;
}

// Writes the whole file content to path; false on any short write or close error.
bool write_file_content(std::FILE* file, int device_model, const ImageBytes& image) {
    const int image_size = image_size_for_model(device_model);
    std::array<uint8_t, 4> tag{};
    const char* tag_text = image_size == 256 ? kTag256 : kTag128;
    for (size_t i = 0; i < kTagSize; ++i) tag[i] = static_cast<uint8_t>(tag_text[i]);
    bool complete = write_all(file, tag);
    complete = write_all(file, little_endian(static_cast<uint32_t>(image_size))) && complete;
    complete = write_all(file, image, static_cast<size_t>(image_size)) && complete;
    if (model_known(device_model)) {
        std::array<uint8_t, 4> model_tag{};
        for (size_t i = 0; i < kTagSize; ++i) model_tag[i] = static_cast<uint8_t>(kModelTag[i]);
        complete = write_all(file, model_tag) && complete;
        complete = write_all(file, little_endian(static_cast<uint32_t>(device_model))) && complete;
    }
    return complete;
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

SaveResult save_config_file(const std::string& file_name, ConfigRecord& record, ImageBytes& encoded_image) {
    const EncodeOutcome encoding = encode_image(record, encoded_image);
    if (encoding == EncodeOutcome::DoesNotFit) return {encoding, "Failed to write data"};

    const std::string temporary = file_name + ".qv3-new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return {encoding, "Failed to open file"};
    bool complete = write_file_content(file, record.device_model, encoded_image);
    complete = std::fflush(file) == 0 && complete;
    complete = std::fclose(file) == 0 && complete;

    std::error_code error;
    if (complete) std::filesystem::rename(temporary, file_name, error);
    if (!complete || error) {
        std::filesystem::remove(temporary, error);
        return {encoding, "Failed to write data"};
    }
    return {encoding, "File Saved"};
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
