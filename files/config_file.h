// Saving the configuration to a .qv3 file and loading it back.
//
// A file is a 4-byte tag ("QV3A" for a 128-byte image, "QV3B" for 256), the
// image length as a 32-bit little-endian number, and the image. After the image,
// a save made with a known model (1 to 6) adds "QV3M" and the model code as a
// 32-bit little-endian number, so that a load decodes with that model's layout;
// without that trailer the tag decides (model 1 or 3).
#pragma once

#include <string>
#include <string_view>

#include "files/replace_file.h"
#include "model/config_record.h"
#include "model/image_encoder.h"

namespace qv3 {

// How a save ended; replace_outcome_text gives its status text. A record that
// does not fit writes nothing and reports WriteFailed.
struct SaveResult {
    EncodeOutcome encoding;  // TextTruncated still saves; DoesNotFit saves nothing
    ReplaceOutcome saved;
    std::string reason = {};  // the system's words for a failed save, or empty
};

enum class LoadOutcome { Loaded, OpenFailed, InvalidFormat, ReadFailed };

// How a load ended, with the system's words when the system refused it (a
// file that ends too early is InvalidFormat or ReadFailed without any).
struct LoadResult {
    LoadOutcome outcome = LoadOutcome::Loaded;
    std::string reason;
};

// The status text of a load: "File Loaded", "Failed to open file",
// "Invalid File Format" or "Failed to read data".
const char* load_outcome_text(LoadOutcome outcome);

// The content of a .qv3 file holding image, encoded for device_model.
std::string config_file_bytes(int device_model, const ImageBytes& image);

// Encodes record into encoded_image and saves the file (a UTF-8 name) through
// replace_file: an existing file is replaced only once the new one has been
// written in full.
SaveResult save_config_file(const std::string& file_name, ConfigRecord& record, ImageBytes& encoded_image);

// Reads the file (a UTF-8 name) into received_image, sets record.device_model
// from it and decodes.
LoadResult load_config_file(const std::string& file_name, ConfigRecord& record, ReceivedImage& received_image);

// Whether a file is meant as a .qv3 file: its content starts with "QV3" (the
// start of both tags) or its name ends in ".qv3", in any letter case. Either
// sign is enough, so that a damaged file is reported as one and never read as
// something else.
bool looks_like_config_file(std::string_view file_name, std::string_view content);

}  // namespace qv3
