// Fuzzes encode_image with records read from settings texts, then decodes the result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/settings_text.h"
#include "model/image_decoder.h"
#include "model/image_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qv3::ConfigRecord record;
    if (!qv3::parse_settings_text(text, record).empty()) return 0;
    qv3::ImageBytes image{};
    const qv3::EncodeOutcome outcome = qv3::encode_image(record, image);
    if (outcome == qv3::EncodeOutcome::DoesNotFit) return 0;
    qv3::ReceivedImage received;
    received.bytes = image;
    received.length = qv3::image_size_for_model(record.device_model);
    if (qv3::decode_image(received, record) != qv3::DecodeOutcome::Success) std::abort();
    return 0;
}
