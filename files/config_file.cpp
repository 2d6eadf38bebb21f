// .qv3 files: a tag, a length and the image; saved through replace_file.
#include "files/config_file.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "files/system_text.h"
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

uint8_t upper(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c; }

bool same_tag_ignoring_case(const std::array<uint8_t, 4>& bytes, const char* tag) {
    for (size_t i = 0; i < kTagSize; ++i) {
        if (upper(bytes[i]) != static_cast<uint8_t>(tag[i])) return false;
    }
    return true;
}

// text equals the upper-case pattern, its letters in any case.
bool matches_ignoring_case(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) return false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (upper(static_cast<uint8_t>(text[i])) != static_cast<uint8_t>(pattern[i])) return false;
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
    if (encoding == EncodeOutcome::DoesNotFit) return {encoding, ReplaceOutcome::WriteFailed};
    ReplaceResult replaced = replace_file(file_name, config_file_bytes(record.device_model, encoded_image));
    return {encoding, replaced.outcome, std::move(replaced.reason)};
}

const char* load_outcome_text(LoadOutcome outcome) {
    switch (outcome) {
        case LoadOutcome::Loaded: return "File Loaded";
        case LoadOutcome::OpenFailed: return "Failed to open file";
        case LoadOutcome::InvalidFormat: return "Invalid File Format";
        case LoadOutcome::ReadFailed: return "Failed to read data";
    }
    return "Failed to read data";
}

LoadResult load_config_file(const std::string& file_name, ConfigRecord& record, ReceivedImage& received_image) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(open_file(file_name, "rb"));
    if (!file) return {LoadOutcome::OpenFailed, errno_reason(errno)};
    record.device_model = kModelNone;
    // A read that stops short is the system's failure only when the stream says so.
    const auto failed = [&file](LoadOutcome outcome) -> LoadResult {
        return {outcome, std::ferror(file.get()) ? errno_reason(errno) : std::string()};
    };

    std::array<uint8_t, 4> tag{};
    if (!read_all(file.get(), tag)) return failed(LoadOutcome::InvalidFormat);
    int image_size = 0;
    if (same_tag_ignoring_case(tag, kTag128)) {
        image_size = 128;
    } else if (same_tag_ignoring_case(tag, kTag256)) {
        image_size = 256;
    } else {
        return {LoadOutcome::InvalidFormat, {}};
    }

    record.device_model = first_model_with_image_size(image_size);

    std::array<uint8_t, 4> length{};
    if (!read_all(file.get(), length)) return failed(LoadOutcome::ReadFailed);
    if (from_little_endian(length) != static_cast<uint32_t>(image_size)) return {LoadOutcome::InvalidFormat, {}};

    ReceivedImage image;
    if (!read_all(file.get(), image.bytes, static_cast<size_t>(image_size))) return failed(LoadOutcome::ReadFailed);
    image.length = image_size;
    if (const int model = read_model_trailer(file.get(), image_size); model_known(model)) record.device_model = model;

    received_image = image;
    decode_image(received_image, record);
    return {};
}

bool looks_like_config_file(std::string_view file_name, std::string_view content) {
    constexpr std::string_view kTagStart = "QV3";
    constexpr std::string_view kExtension = ".QV3";
    return matches_ignoring_case(content.substr(0, kTagStart.size()), kTagStart) ||
           (file_name.size() >= kExtension.size() &&
            matches_ignoring_case(file_name.substr(file_name.size() - kExtension.size()), kExtension));
}

}  // namespace qv3
