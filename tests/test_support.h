// Helpers shared by the tests: encoded images, scratch folders, whole files and qv3 runs.
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

// A fresh, empty folder for one test inside the test program's working folder,
// with a random suffix so that no other run shares it; removed afterwards.
struct ScratchFolder {
    std::filesystem::path path;
    explicit ScratchFolder(const std::string& name) {
        path = std::filesystem::current_path() / (name + "-" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    // Named after the running test.
    ScratchFolder() : ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
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
    std::string out;
    std::string err;

    int run(const std::vector<std::string>& args) {
        std::ostringstream o;
        std::ostringstream e;
        const int code = run_qv3(args, o, e);
        out = o.str();
        err = e.str();
        return code;
    }
    std::string f(const std::string& name) const { return folder.file(name); }
};

}  // namespace qv3::test
