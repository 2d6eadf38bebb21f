// Fuzzes .qv3 loading: any bytes as a file's content.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "files/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/qv3-fuzz-load-" + std::to_string(getpid()) + ".qv3";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    qv3::ConfigRecord record;
    qv3::ReceivedImage image;
    qv3::load_config_file(path, record, image);
    std::remove(path.c_str());
    return 0;
}
