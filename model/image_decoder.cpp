// Image layout, read side: follows the header's offsets and never leaves the received bytes.
#include "model/image_decoder.h"

#include <cmath>
#include <vector>

#include "model/image_flags.h"
#include "model/image_layout.h"
#include "model/station_address.h"

namespace qv3 {

using namespace image;

namespace {

// Reads of the received image. Bytes past the received length read as 0, so a
// block whose offset lies near the end yields only what lies inside.
struct ImageReader {
    const ReceivedImage& image;

    bool inside(int offset) const { return offset >= 0 && offset < image.length; }
    uint8_t at(int offset) const { return inside(offset) ? image.bytes[static_cast<size_t>(offset)] : 0; }
    uint16_t word_at(int offset) const { return static_cast<uint16_t>(at(offset) | (at(offset + 1) << 8)); }

    // Bytes up to the first 0x00 or the end of the image.
    std::string text_at(int offset) const {
        std::string text;
        for (int i = offset; inside(i) && at(i) != 0; ++i) text.push_back(static_cast<char>(at(i)));
        return text;
    }

    // An address cut off by the end of the image keeps the characters inside
    // it; its missing SSID byte counts as SSID 0 with the end-of-block bit set.
    AddressBytes address_at(int offset) const {
        AddressBytes bytes{};
        for (int i = 0; i < 6; ++i) bytes[static_cast<size_t>(i)] = inside(offset + i) ? at(offset + i) : 0x40;
        bytes[6] = inside(offset + 6) ? at(offset + 6) : 0x61;
        return bytes;
    }
};

void decode_station_address(const ImageReader& in, int offset, ConfigRecord& record, int bank) {
    AddressBytes address = in.address_at(offset);
    record.callsign[bank] = address_to_text(address);
    std::vector<std::string> path;
    // Each pass moves forward by one address, so the loop ends at the image's end.
    while ((address[6] & 0x01) == 0 && in.inside(offset + kAddressSize)) {
        offset += kAddressSize;
        address = in.address_at(offset);
        path.push_back(address_to_text(address));
    }
    record.path[bank] = join_path(path);
}

void decode_timing_block(const ImageReader& in, int offset, ConfigRecord& record, int bank) {
    if (record.time_slot_enable[bank]) {
        const int v = in.word_at(offset);
        record.time_slot_offset[bank] = static_cast<uint16_t>(record.auto_tx_rate[bank] - v + 1);
    } else if (record.smart_beacon_enable[bank]) {
        record.slow_speed[bank] = in.at(offset + 0);
        record.fast_speed[bank] = in.at(offset + 1);
        record.slow_rate[bank] = in.word_at(offset + 2);
        record.fast_rate[bank] = in.word_at(offset + 4);
        record.min_turn_angle[bank] = in.at(offset + 6);
        record.turn_slope[bank] = in.word_at(offset + 7);
        record.min_turn_time[bank] = in.at(offset + 9);
    }
}

float decode_frequency(const ImageReader& in, FrequencyForm form, int bank) {
    const int offset = in.at(kFrequency + bank);
    double mhz = 144.39;
    if (form == FrequencyForm::AsciiDigits) {
        long long n = 0;
        for (int i = 0; i < 5; ++i) n = n * 10 + (in.at(offset + i) - '0');
        mhz = static_cast<double>(n) / 200.0;
    } else if (form == FrequencyForm::HeaderCount) {
        const int n = in.at(kFrequency + bank) + 256 * in.at(kFrequencyHigh + bank);
        mhz = n * 5.0 / 1000.0;
    } else if (form == FrequencyForm::PackedBcd) {
        long long n = 0;
        for (int i = 0; i < 3; ++i) {
            const uint8_t bcd = in.at(offset + i);
            n = n * 100 + (bcd >> 4) * 10 + (bcd & 0x0F);
        }
        mhz = static_cast<double>(n) / 1000.0;
    }
    return static_cast<float>(mhz);
}

std::string decode_telemetry_text(const ImageReader& in, int offset) {
    std::string text;
    for (const char c : in.text_at(offset)) {
        if (c == '\n') text.push_back('\r');
        text.push_back(c);
    }
    return text;
}

char printable_or(uint8_t byte, char fallback) {
    return byte < 0x20 || byte >= 0x80 ? fallback : static_cast<char>(byte);
}

void decode_bank(const ImageReader& in, const DeviceModelInfo& model, ConfigRecord& r, int b) {
    auto header = [&](int offset) { return in.at(offset + b); };

    decode_station_address(in, header(kAddressOffset), r, b);

    r.auto_tx_rate[b] = static_cast<uint16_t>(header(kAutoTxRateLow) + 256 * header(kAutoTxRateHigh));
    r.manual_tx_rate[b] = static_cast<uint16_t>(header(kManualTxRateLow) + 256 * header(kManualTxRateHigh));

    for (const ImageFlag& flag : kImageFlags) {
        const bool set = model_has(model, flag.kept_by) && (header(flag.byte) & flag.bit) != 0;
        (r.*flag.member)[static_cast<size_t>(b)] = set ? 1 : 0;
    }
    const uint8_t f18 = header(kFlags18);
    r.timestamp_mode[b] = (f18 & kTimestampOnBit) == 0 ? 0 : (f18 & kTimestampHmsBit) ? 1 : 2;

    r.status_every[b] = header(kStatusEvery);
    r.status_text[b] = in.text_at(header(kStatusTextOffset));

    decode_timing_block(in, header(kTimingOffset), r, b);

    r.mic_e_message[b] = header(kMicEMessage);
    r.mic_e_path[b] = header(kMicEPath);
    r.symbol_code[b] = printable_or(header(kSymbolCode), '-');
    r.symbol_table[b] = printable_or(header(kSymbolTable), '/');
    r.quiet_time[b] = units_to_ms(header(kQuietTime), kQuietUnitMs);
    r.power_switch_time[b] = header(kPowerSwitchTime);

    const double txd_unit = r.send_300_baud[b] ? kTxdUnit300BaudMs : kTxdUnitMs;
    r.auto_txd[b] = units_to_ms(header(kAutoTxd), txd_unit);
    r.manual_txd[b] = units_to_ms(header(kManualTxd), txd_unit);

    r.frequency_mhz[b] = decode_frequency(in, model.frequency, b);

    if (model.telemetry) {
        r.telemetry_text[b] = decode_telemetry_text(in, header(kTelemetryTextOffset));
        r.telemetry_channels[b] = header(kTelemetryChannels);
        r.telemetry_def_rate[b] = header(kTelemetryDefRate);
    } else {
        r.telemetry_text[b].clear();
        r.telemetry_channels[b] = 1;
        r.telemetry_def_rate[b] = 0;
    }
}

}  // namespace

uint16_t units_to_ms(uint8_t count, double unit_ms) {
    return static_cast<uint16_t>(std::floor(count * unit_ms + 0.5));
}

DecodeOutcome decode_image(const ReceivedImage& image, ConfigRecord& record) {
    const DeviceModelInfo& model = device_model_info(record.device_model);
    if (image.length != model.image_size) return DecodeOutcome::CorruptedEeprom;
    const ImageReader in{image};
    record.calibration = in.at(kCalibration);
    for (int bank = 0; bank < 2; ++bank) decode_bank(in, model, record, bank);
    return DecodeOutcome::Success;
}

DecodeOutcome decode_model_image(const ImageBytes& image, int model, ConfigRecord& record) {
    record = ConfigRecord{.device_model = model};
    return decode_image(ReceivedImage{image, image_size_for_model(model)}, record);
}

const char* decode_status_text(DecodeOutcome outcome) {
    return outcome == DecodeOutcome::Success ? "Read Config Successful" : "Corrupted EEPROM";
}

}  // namespace qv3
