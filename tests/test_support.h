// Helpers shared by the core tests.
#pragma once

#include <filesystem>
#include <string>

#include "model/config_record.h"
#include "model/image_encoder.h"

namespace qv3::test {

// The image the encoder builds for record, as received bytes of the model's size.
inline ReceivedImage encoded(ConfigRecord record) {
    ImageBytes bytes{};
    encode_image(record, bytes);
    ReceivedImage image;
    image.bytes = bytes;
    image.length = image_size_for_model(record.device_model);
    return image;
}

inline ConfigRecord defaults_for(int model) {
    ConfigRecord record;
    record.device_model = model;
    return record;
}

// A fresh, empty folder for one test, removed when the object goes.
struct ScratchFolder {
    std::filesystem::path path;
    explicit ScratchFolder(const std::string& name) {
        path = std::filesystem::temp_directory_path() / ("qv3-test-" + name);
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

}  // namespace qv3::test
