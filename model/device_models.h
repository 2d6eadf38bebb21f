// The device models: one row per model holding every fact the rest of the system branches on.
//
// The image codec, files, the device protocol, the form's enabling rules, the
// simulator and qv3 read these rows; none of them compares a model code with a
// number. Adding a model is adding a row (docs/ARCHITECTURE.md).
#pragma once

#include <array>
#include <string_view>

namespace qv3 {

// How a model keeps each bank's frequency in its image.
enum class FrequencyForm {
    NotStored,    // decodes as 144.39 MHz
    AsciiDigits,  // a block of five ASCII digits (count of 5 kHz steps) and 0x00
    HeaderCount,  // the count of 5 kHz steps in header bytes 40 (low) and 42 (high)
    PackedBcd,    // a block of three packed BCD bytes, in kHz
};

// The model-dependent controls the form enables; every other control is
// always enabled, or follows check boxes only.
struct FormOffers {
    bool no_gt_prefix = false;       // "Don't Send '>'"
    bool serial_out_high = false;
    bool no_startup_packet = false;
    bool serial_9600_baud = false;
    bool tx_twist = false;
    bool send_dao = false;           // also needs "Send NMEA" unchecked
    bool edit_telemetry = false;     // the button that opens the telemetry dialog
    bool frequency = false;
    // "Invert CD In", "Only Send Valid", "Send 300 Baud", "Quiet Time",
    // "No TX Out on PTT In" and "Calibration".
    bool line_settings = false;
};

struct DeviceModelInfo {
    int code = 0;                   // the value kept in ConfigRecord::device_model
    std::string_view version_text{};  // the version reply begins with it; empty: never matched
    std::string_view name{};          // for people
    int image_size = 128;           // bytes of the device's memory
    int header_size = 52;           // fixed header length = first byte of the variable area
    FrequencyForm frequency = FrequencyForm::NotStored;
    bool serial_flag_bits = false;  // flag byte 38 bits 2 to 5 (no '>', serial out high, startup, 9600)
    // Flag byte 38 bits 6 and 7 (TX twist, DAO). Without them the encoder also
    // clears send_telemetry.
    bool twist_dao_bits = false;
    bool telemetry = false;         // header bytes 44 to 51 and the telemetry texts
    bool forces_valid_and_no_ptt = false;  // the encoder sets only_send_valid and no_tx_on_ptt_in
    int readback_wait_ms = 0;       // pause after a write before the image is read back
    // The form offers "Serial Out High" and "Serial 9600 Baud" (the firmware
    // acts on those two of the serial flag bits).
    bool serial_line_options = false;
};

// What the form offers follows from what the image keeps, so a row cannot
// contradict itself.
constexpr FormOffers form_offers(const DeviceModelInfo& model) {
    return {
        .no_gt_prefix = model.serial_flag_bits,
        .serial_out_high = model.serial_line_options,
        .no_startup_packet = model.serial_flag_bits,
        .serial_9600_baud = model.serial_line_options,
        .tx_twist = model.twist_dao_bits,
        .send_dao = model.twist_dao_bits,
        .edit_telemetry = model.twist_dao_bits,
        .frequency = model.frequency != FrequencyForm::NotStored,
        .line_settings = !model.forces_valid_and_no_ptt,
    };
}

// Code 0: no device identified. Its facts still matter: a save before any
// version read encodes with them, and the form starts with them.
constexpr int kModelNone = 0;

inline constexpr DeviceModelInfo kNoModel{
    .code = kModelNone,
    .name = "no model",
    .readback_wait_ms = 2000,  // a 128-byte image, as for codes 1 and 2
};

// One row per model, in code order from 1; codes are contiguous.
inline constexpr std::array<DeviceModelInfo, 6> kDeviceModels{{
    {
        .code = 1,
        .version_text = "Quorvale3 v1.1",
        .name = "Quorvale3 v1.1",
        .image_size = 128,
        .header_size = 40,
        .readback_wait_ms = 2000,
    },
    {
        .code = 2,
        .version_text = "PL-RUX v1.2",
        .name = "PL-RUX v1.2",
        .image_size = 128,
        .header_size = 42,
        .frequency = FrequencyForm::AsciiDigits,
        .serial_flag_bits = true,
        .forces_valid_and_no_ptt = true,
        .readback_wait_ms = 2000,
    },
    {
        .code = 3,
        .version_text = "Pellantor KX",
        .name = "Pellantor KX",
        .image_size = 256,
        .frequency = FrequencyForm::HeaderCount,
        .serial_flag_bits = true,
        .twist_dao_bits = true,
        .telemetry = true,
        .serial_line_options = true,
    },
    {
        .code = 4,
        .version_text = "Quorvale3 v1.4",
        .name = "Quorvale3 v1.4",
        .image_size = 256,
        .serial_flag_bits = true,
        .twist_dao_bits = true,
        .serial_line_options = true,
    },
    {
        .code = 5,
        .version_text = "PL-RUX v1.4",
        .name = "PL-RUX v1.4",
        .image_size = 256,
        .frequency = FrequencyForm::AsciiDigits,
        .serial_flag_bits = true,
        .twist_dao_bits = true,
        .forces_valid_and_no_ptt = true,
    },
    {
        .code = 6,
        .version_text = "PL-Zenda v1.4",
        .name = "PL-Zenda v1.4",
        .image_size = 256,
        .frequency = FrequencyForm::PackedBcd,
        .serial_flag_bits = true,
        .twist_dao_bits = true,
        .telemetry = true,
        .serial_line_options = true,
    },
}};

// The highest model code; known codes are 1 to kModelMax.
constexpr int kModelMax = static_cast<int>(kDeviceModels.size());

// True for the codes of the table's rows; false for kModelNone and any other int.
constexpr bool model_known(int code) { return code >= 1 && code <= kModelMax; }

// The row of a code; any code without a row gets kNoModel.
constexpr const DeviceModelInfo& device_model_info(int code) {
    return model_known(code) ? kDeviceModels[static_cast<size_t>(code - 1)] : kNoModel;
}

// The nearest known code (for options that must name a model).
constexpr int nearest_known_model(int code) { return code < 1 ? 1 : code > kModelMax ? kModelMax : code; }

// The lowest known code whose image has that size, or kModelNone. A file's
// tag tells only the image size, and a loaded image stands for this model.
constexpr int first_model_with_image_size(int image_size) {
    for (const DeviceModelInfo& row : kDeviceModels) {
        if (row.image_size == image_size) return row.code;
    }
    return kModelNone;
}

// Image size in bytes for any code (kNoModel's for codes without a row).
constexpr int image_size_for_model(int device_model) { return device_model_info(device_model).image_size; }

// Models that keep telemetry settings and texts.
constexpr bool has_telemetry(int device_model) { return device_model_info(device_model).telemetry; }

namespace detail {

constexpr bool rows_are_sound() {
    for (size_t i = 0; i < kDeviceModels.size(); ++i) {
        const DeviceModelInfo& row = kDeviceModels[i];
        if (row.code != static_cast<int>(i) + 1 || row.version_text.empty()) return false;
        if (row.image_size != 128 && row.image_size != 256) return false;
        if (row.header_size < 40 || row.header_size > 52) return false;
        // The form offers only serial options whose bits the image keeps.
        if (row.serial_line_options && !row.serial_flag_bits) return false;
        // The version replies are matched in turn and the last match wins; no
        // text may begin with another's, so that the order of rows is free.
        for (const DeviceModelInfo& other : kDeviceModels) {
            if (&other != &row && other.version_text.substr(0, row.version_text.size()) == row.version_text) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace detail

static_assert(detail::rows_are_sound(), "model rows: codes 1..N in order, distinct version texts, known sizes, serial options kept");

}  // namespace qv3
