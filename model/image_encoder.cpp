// Image layout, write side: fixed header, then the variable area packed without gaps.
//
// Order of the variable area: per bank its timing block and station address
// block; then the frequency blocks; then the status texts; then the telemetry
// texts. Bank 1 reuses bank 0's block when the two hold the same thing (timing
// blocks excepted). Only the texts are measured against the room left, and the
// last image byte is kept for a terminator; when the fixed blocks alone overrun
// the image the outcome is DoesNotFit.
#include "model/image_encoder.h"

#include <cmath>

#include "model/image_decoder.h"
#include "model/image_flags.h"
#include "model/image_layout.h"
#include "model/station_address.h"

namespace qv3 {

using namespace image;

namespace {

constexpr float kFallbackFrequencyMhz = 144.39f;

struct ImageWriter {
    ImageBytes& image;
    int image_size;
    int position;
    bool truncated = false;

    void set(int offset, int value) {
        if (offset >= 0 && offset < kImageBufferSize) image[static_cast<size_t>(offset)] = static_cast<uint8_t>(value);
    }
    // Appends at the write position; past the buffer the byte is counted, not stored.
    void append(int value) { set(position++, value); }
    void append_word(int value) {
        append(value & 0xFF);
        append((value >> 8) & 0xFF);
    }
    // Records the write position in a header offset byte (its low 8 bits).
    void mark(int header_offset) { set(header_offset, position & 0xFF); }

    // Copies a text while the position is below the last image byte; what does
    // not fit is dropped and noted. The terminator always goes at the position.
    void append_text(const std::string& text, bool skip_cr) {
        const int last = image_size - 1;
        for (const char c : text) {
            if (c == '\0') break;
            if (skip_cr && c == '\r') continue;
            if (position < last) {
                append(static_cast<unsigned char>(c));
            } else {
                truncated = true;
            }
        }
        set(position, 0);
        if (position < last) ++position;
    }
};

void write_header(const ConfigRecord& r, int b, ImageWriter& out) {
    const DeviceModelInfo& model = device_model_info(r.device_model);
    auto put = [&](int offset, int value) { out.set(offset + b, value); };

    put(kCalibration, r.calibration & 0xFF);
    const bool slow_txd = r.send_300_baud[b] != 0;
    const double txd_offset = slow_txd ? 13.0 : 3.0;
    const double txd_unit = slow_txd ? kTxdUnit300BaudMs : kTxdUnitMs;
    put(kAutoTxd, ms_to_units(r.auto_txd[b], txd_offset, txd_unit));
    put(kManualTxd, ms_to_units(r.manual_txd[b], txd_offset, txd_unit));
    put(kAutoTxRateLow, r.auto_tx_rate[b] & 0xFF);
    put(kAutoTxRateHigh, r.auto_tx_rate[b] >> 8);
    put(kManualTxRateLow, r.manual_tx_rate[b] & 0xFF);
    put(kManualTxRateHigh, r.manual_tx_rate[b] >> 8);

    const uint16_t rate = r.auto_tx_rate[b];
    const bool slotted = r.time_slot_enable[b] != 0;
    put(kFlags16, image_flag_bits(r, model, kFlags16, b) |
                      (slotted && rate != 0 && 60 % rate == 0 ? kTimeSlot60Bit : 0) |
                      (slotted && rate != 0 && 600 % rate == 0 ? kTimeSlot600Bit : 0));

    const int32_t timestamp = r.timestamp_mode[b];
    put(kFlags18, image_flag_bits(r, model, kFlags18, b) |
                      (timestamp == 1 || timestamp == 2 ? kTimestampOnBit : 0) |
                      (timestamp == 1 ? kTimestampHmsBit : 0));

    put(kStatusEvery, r.status_every[b]);
    put(kMicEMessage, r.mic_e_message[b]);
    put(kMicEPath, r.mic_e_path[b]);
    put(kSymbolCode, static_cast<unsigned char>(r.symbol_code[b]));
    put(kSymbolTable, static_cast<unsigned char>(r.symbol_table[b]));
    put(kQuietTime, ms_to_units(r.quiet_time[b], 13.0, kQuietUnitMs));
    put(kPowerSwitchTime, r.power_switch_time[b]);

    put(kFlags38, image_flag_bits(r, model, kFlags38, b));

    if (model.telemetry) {
        put(kTelemetryFlags, image_flag_bits(r, model, kTelemetryFlags, b));
        put(kTelemetryChannels, r.telemetry_channels[b] & 0xFF);
        put(kTelemetryDefRate, r.telemetry_def_rate[b] & 0xFF);
    }
}

void write_timing_block(const ConfigRecord& r, int b, ImageWriter& out) {
    out.mark(kTimingOffset + b);
    if (r.time_slot_enable[b]) {
        // A negative value is kept modulo 65536, which reads back as the same offset.
        const int v = r.auto_tx_rate[b] - r.time_slot_offset[b] + 1;
        out.append_word(static_cast<uint16_t>(v));
    } else if (r.smart_beacon_enable[b]) {
        out.append(r.slow_speed[b]);
        out.append(r.fast_speed[b]);
        out.append_word(r.slow_rate[b]);
        out.append_word(r.fast_rate[b]);
        out.append(r.min_turn_angle[b]);
        out.append_word(r.turn_slope[b]);
        out.append(r.min_turn_time[b]);
    }
}

void write_station_address_block(const ConfigRecord& r, int b, ImageWriter& out) {
    if (b == 1 && r.callsign[1] == r.callsign[0] && r.path[1] == r.path[0]) {
        out.set(kAddressOffset + 1, out.image[kAddressOffset]);
        return;
    }
    out.mark(kAddressOffset + b);
    std::vector<StationAddress> addresses{text_to_address(r.callsign[b])};
    for (const auto& hop : split_path(r.path[b])) addresses.push_back(hop);
    for (size_t i = 0; i < addresses.size(); ++i) {
        AddressBytes bytes = address_to_bytes(addresses[i]);
        if (i + 1 == addresses.size()) bytes[6] |= 0x01;
        for (const uint8_t byte : bytes) out.append(byte);
    }
    out.append(0x03);
    out.append(0xF0);
    out.append(0x00);
}

double frequency_in_band(float mhz) {
    return mhz >= 144.0f && mhz <= 148.0f ? mhz : kFallbackFrequencyMhz;
}

void write_frequency(const ConfigRecord& r, int b, ImageWriter& out) {
    const FrequencyForm form = device_model_info(r.device_model).frequency;
    const double f = frequency_in_band(r.frequency_mhz[b]);
    if (form == FrequencyForm::HeaderCount) {
        const int steps = static_cast<int>(f * 1000.0 / 5.0 + 0.5);
        out.set(kFrequency + b, steps & 0xFF);
        out.set(kFrequencyHigh + b, steps >> 8);
        return;
    }
    if (form == FrequencyForm::NotStored) return;
    if (b == 1 && r.frequency_mhz[1] == r.frequency_mhz[0]) {
        out.set(kFrequency + 1, out.image[kFrequency]);
        return;
    }
    out.mark(kFrequency + b);
    if (form == FrequencyForm::PackedBcd) {
        const int khz = static_cast<int>(f * 1000.0 + 0.5);
        for (const int pair : {khz / 10000 % 100, khz / 100 % 100, khz % 100}) out.append((pair / 10) << 4 | pair % 10);
    } else {
        const int steps = static_cast<int>(f * 200.0 + 0.5);
        for (const int scale : {10000, 1000, 100, 10, 1}) out.append('0' + steps / scale % 10);
        out.append(0x00);
    }
}

void write_text(const PerBank<std::string>& texts, int header_offset, bool skip_cr, ImageWriter& out) {
    out.mark(header_offset);
    out.append_text(texts[0], skip_cr);
    if (texts[1] == texts[0]) {
        out.set(header_offset + 1, out.image[static_cast<size_t>(header_offset)]);
    } else {
        out.mark(header_offset + 1);
        out.append_text(texts[1], skip_cr);
    }
}

}  // namespace

void apply_model_rules(ConfigRecord& r) {
    const DeviceModelInfo& model = device_model_info(r.device_model);
    for (const ImageFlag& flag : kImageFlags) {
        for (uint8_t& value : r.*flag.member) {
            if (flag.cleared_without != nullptr && !(model.*flag.cleared_without)) value = 0;
            if (flag.forced_on_by != nullptr && model.*flag.forced_on_by) value = 1;
        }
    }
}

uint8_t ms_to_units(uint16_t ms, double offset_ms, double unit_ms) {
    const double units = std::trunc((ms + offset_ms) / unit_ms + 0.5);
    return static_cast<uint8_t>(units > 255.0 ? 255.0 : units);
}

EncodeOutcome encode_image(ConfigRecord& record, ImageBytes& encoded_image) {
    encoded_image.fill(0);
    apply_model_rules(record);
    const DeviceModelInfo& model = device_model_info(record.device_model);
    const int image_size = model.image_size;
    ImageWriter out{encoded_image, image_size, model.header_size};

    for (int b = 0; b < 2; ++b) {
        write_header(record, b, out);
        write_timing_block(record, b, out);
        write_station_address_block(record, b, out);
    }
    for (int b = 0; b < 2; ++b) write_frequency(record, b, out);
    const bool fits = out.position <= image_size - 1;

    write_text(record.status_text, kStatusTextOffset, false, out);
    if (model.telemetry) write_text(record.telemetry_text, kTelemetryTextOffset, true, out);

    if (!fits) return EncodeOutcome::DoesNotFit;
    return out.truncated ? EncodeOutcome::TextTruncated : EncodeOutcome::Complete;
}

}  // namespace qv3
