// Turns a received configuration image into the record.
#pragma once

#include "model/config_record.h"

namespace qv3 {

enum class DecodeOutcome { Success, CorruptedEeprom };

// Decodes image into both banks and calibration of record, for the layout of
// record.device_model. A length other than that model's image size leaves the
// record untouched. Never reads outside image.bytes[0 .. image.length).
DecodeOutcome decode_image(const ReceivedImage& image, ConfigRecord& record);

// record as a tracker of model holds image: the defaults of a record of that
// model, then the model's whole image decoded onto it.
DecodeOutcome decode_model_image(const ImageBytes& image, int model, ConfigRecord& record);

// The status text an operator sees for the outcome.
const char* decode_status_text(DecodeOutcome outcome);

// Durations in device units, as the decoder and encoder both use them: the
// single-precision values nearest to 6.666, 26.666 and 26.3 milliseconds.
constexpr double kTxdUnitMs = static_cast<double>(6.666f);
constexpr double kTxdUnit300BaudMs = static_cast<double>(26.666f);
constexpr double kQuietUnitMs = static_cast<double>(26.3f);

// A stored count of units back in milliseconds, rounded to nearest.
uint16_t units_to_ms(uint8_t count, double unit_ms);

}  // namespace qv3
