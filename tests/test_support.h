// Helpers shared by the tests: encoded and decoded images, scratch folders, whole files and qv3 runs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/qv3_cli.h"
#include "model/config_record.h"
#include "model/image_decoder.h"
#include "model/image_encoder.h"

namespace qv3::test {

using Bytes = std::vector<uint8_t>;

inline ConfigRecord defaults_for(int model) { return {.device_model = model}; }

// The image the encoder builds for record.
inline ImageBytes encoded(ConfigRecord record) {
    ImageBytes bytes{};
    encode_image(record, bytes);
    return bytes;
}

// record after a successful decode of bytes as an image of the record's model.
inline ConfigRecord decoded(const ImageBytes& bytes, ConfigRecord record) {
    ReceivedImage image{bytes, image_size_for_model(record.device_model)};
    EXPECT_EQ(decode_image(image, record), DecodeOutcome::Success);
    return record;
}

// A fresh, empty folder named after the running test inside the working folder,
// with a random suffix so that no other run shares it; removed afterwards.
struct ScratchFolder {
    std::filesystem::path path = std::filesystem::current_path() /
        (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
         std::to_string(std::random_device{}()));
    ScratchFolder() {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs qv3 in-process in a scratch folder and keeps what it printed.
struct Qv3Run : ::testing::Test {
    ScratchFolder folder;
    std::string out, err;

    int run(const std::vector<std::string>& args) {
        std::ostringstream o, e;
        const int code = run_qv3(args, o, e);
        out = o.str();
        err = e.str();
        return code;
    }
    std::string f(const std::string& name) const { return folder.file(name); }
};

}  // namespace qv3::test
