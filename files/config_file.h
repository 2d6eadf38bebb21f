// Saving the configuration to a .qv3 file and loading it back.
//
// A file is a 4-byte tag ("QV3A" for a 128-byte image, "QV3B" for 256), the
// image length as a 32-bit little-endian number, and the image. After the image,
// a save made with a known model (1 to 6) adds "QV3M" and the model code as a
// 32-bit little-endian number, so that a load decodes with that model's layout;
// without that trailer the tag decides (model 1 or 3).
#pragma once

#include <string>

#include "model/config_record.h"
#include "model/image_encoder.h"

namespace qv3 {

struct SaveResult {
    EncodeOutcome encoding;  // TextTruncated still saves; DoesNotFit saves nothing
    std::string status;      // "File Saved", "Failed to open file" or "Failed to write data"
};

// The content of a .qv3 file holding image, encoded for device_model.
std::string config_file_bytes(int device_model, const ImageBytes& image);

// Encodes record into encoded_image and saves the file through replace_file:
// an existing file is replaced only once the new one has been written in full.
SaveResult save_config_file(const std::string& file_name, ConfigRecord& record, ImageBytes& encoded_image);

// Reads the file into received_image, sets record.device_model from it and
// decodes. Returns the status text: "File Loaded", "Failed to open file",
// "Invalid File Format" or "Failed to read data".
std::string load_config_file(const std::string& file_name, ConfigRecord& record, ReceivedImage& received_image);

}  // namespace qv3
