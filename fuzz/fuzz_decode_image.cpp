// Fuzzes decode_image with any bytes as a received image for any model.
#include <cstddef>
#include <cstdint>

#include "model/image_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    qv3::ConfigRecord record;
    record.device_model = data[0] % (qv3::kModelMax + 1);
    qv3::ReceivedImage image;
    // The length decides acceptance; give the decoder the model's own size
    // most of the time so it gets past the length check.
    image.length = data[0] & 0x80 ? static_cast<int>(size - 1) : qv3::image_size_for_model(record.device_model);
    if (image.length > qv3::kImageBufferSize) image.length = qv3::kImageBufferSize;
    for (size_t i = 1; i < size && i - 1 < image.bytes.size(); ++i) image.bytes[i - 1] = data[i];
    qv3::decode_image(image, record);
    return 0;
}
