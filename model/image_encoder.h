// Builds the device's configuration image from the record.
#pragma once

#include "model/config_record.h"

namespace qv3 {

enum class EncodeOutcome {
    Complete = 0,
    TextTruncated = 1,  // a status or telemetry text was cut; the image is complete
    DoesNotFit = 2,     // the address and other fixed blocks alone overrun the image
};

// Rewrites all 256 bytes of encoded_image for record.device_model. Adjusts the
// flags the model forces (apply_model_rules) in both banks of record. Never
// writes outside encoded_image. Showing the outcome to the user is the caller's job.
EncodeOutcome encode_image(ConfigRecord& record, ImageBytes& encoded_image);

// Sets the values record.device_model forces, in both banks: only_send_valid
// and no_tx_on_ptt_in on the models that force them; tx_twist, send_dao and
// send_telemetry cleared on the models without flag byte 38's bits 6 and 7.
void apply_model_rules(ConfigRecord& record);

// Texts for the outcomes that the front ends show in a message box.
constexpr const char* kTextTruncatedCaption = "Text Truncated";
constexpr const char* kTextTruncatedMessage =
    "The Primary or Secondary Status Beacon text or Telemetry Definitions text is too long and has "
    "been tuncated.  To have longer text, use fewer digipeaters, or make the primary and secondary "
    "callsigns, digipeaters, or primary and secondary texts identical.";
constexpr const char* kDoesNotFitCaption = "Configuration Too Large";
constexpr const char* kDoesNotFitMessage =
    "The callsigns and digipeater paths do not fit in the device memory. Use fewer digipeaters, or "
    "make the primary and secondary callsigns and paths identical.";

// A duration in milliseconds as a count of device units (0..255), as stored.
uint8_t ms_to_units(uint16_t ms, double offset_ms, double unit_ms);

}  // namespace qv3
