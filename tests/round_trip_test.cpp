// Random records through encode -> decode -> encode, for every model.
//
// A record already in the device's own form (what a decode can produce) comes
// back unchanged and re-encodes to the same bytes. An arbitrary record is first
// normalised by the trip (upper-case callsigns, rounded durations, frequencies
// on the step grid); from then on its image no longer changes.
#include <random>

#include "model/station_address.h"
#include "test_support.h"

namespace qv3::test {
namespace {

struct RecordGenerator {
    std::mt19937 random;

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    uint8_t flag() { return static_cast<uint8_t>(number(0, 1)); }

    std::string text(int max_length, int low_byte, int high_byte) {
        std::string out(static_cast<size_t>(number(0, max_length)), ' ');
        for (auto& c : out) c = static_cast<char>(number(low_byte, high_byte));
        return out;
    }

    // An address text as the decoder writes it: letters and digits, "-SSID" unless 0.
    std::string canonical_address(int min_chars) {
        static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        std::string out;
        for (int count = number(min_chars, 6); count > 0; --count) out.push_back(alphabet[number(0, 35)]);
        const int ssid = number(0, 15);
        return ssid == 0 ? out : out + "-" + std::to_string(ssid);
    }

    // A duration the device holds exactly: decoding its unit count gives it back,
    // and encoding it gives that count.
    uint16_t device_duration(double offset_ms, double unit_ms) {
        const auto ms = units_to_ms(static_cast<uint8_t>(number(0, 255)), unit_ms);
        return units_to_ms(ms_to_units(ms, offset_ms, unit_ms), unit_ms);
    }

    static bool rux(int model) { return model == 2 || model == 5; }

    float device_frequency(int model) {
        if (rux(model)) return static_cast<float>(number(28800, 29600) / 200.0);
        if (model == 3) return static_cast<float>(number(28800, 29600) * 5 / 1000.0);
        if (model == 6) return static_cast<float>(number(144000, 148000) / 1000.0);
        return 144.39f;
    }

    // In the device's form, or with wild values anywhere the record allows them,
    // within sizes that mostly fit the image.
    ConfigRecord record(int model, bool wild) {
        const int text_room = image_size_for_model(model) == 128 ? 3 : 12;
        const bool telemetry = has_telemetry(model);
        ConfigRecord r = defaults_for(model);
        r.calibration = number(0, 255);
        for (int b = 0; b < 2; ++b) {
            r.send_300_baud[b] = flag();
            const double txd_offset = r.send_300_baud[b] ? 13.0 : 3.0;
            const double txd_unit = r.send_300_baud[b] ? kTxdUnit300BaudMs : kTxdUnitMs;
            r.auto_txd[b] = wild ? number(0, 65535) : device_duration(txd_offset, txd_unit);
            r.manual_txd[b] = wild ? number(0, 2000) : device_duration(txd_offset, txd_unit);
            r.quiet_time[b] = wild ? number(0, 8000) : device_duration(13.0, kQuietUnitMs);
            r.callsign[b] = wild ? text(10, 0x01, 0xFF) : canonical_address(0);
            r.path[b] = wild ? text(20, 0x20, 0x7E) : "";
            for (int hops = wild ? 0 : number(0, 2); hops > 0; --hops) {
                if (!r.path[b].empty()) r.path[b] += ',';
                r.path[b] += canonical_address(1);
            }
            for (auto* f : {&r.force_printable, &r.only_send_valid, &r.time_slot_enable, &r.smart_beacon_enable,
                            &r.transmit_altitude, &r.mic_e_enable, &r.power_switch_enable, &r.allow_ttl_serial,
                            &r.alternate_digi_paths, &r.invert_cd_in, &r.no_tx_on_ptt_in, &r.send_nmea,
                            &r.send_separate}) {
                (*f)[b] = flag();
            }
            for (auto* f : {&r.no_gt_prefix, &r.serial_out_high, &r.no_startup_packet, &r.serial_9600_baud}) {
                (*f)[b] = model >= 2 || wild ? flag() : 0;
            }
            r.tx_twist[b] = model >= 3 || wild ? flag() : 0;
            r.send_dao[b] = model >= 3 || wild ? flag() : 0;
            if (rux(model)) r.only_send_valid[b] = r.no_tx_on_ptt_in[b] = 1;
            for (auto* f : {&r.mic_e_message, &r.mic_e_path, &r.status_every, &r.slow_speed, &r.fast_speed,
                            &r.min_turn_angle, &r.min_turn_time, &r.power_switch_time}) {
                (*f)[b] = static_cast<uint8_t>(number(0, 255));
            }
            for (auto* f : {&r.auto_tx_rate, &r.manual_tx_rate, &r.time_slot_offset, &r.slow_rate, &r.fast_rate,
                            &r.turn_slope}) {
                (*f)[b] = static_cast<uint16_t>(number(0, 65535));
            }
            r.timestamp_mode[b] = wild ? number(-1, 3) : number(0, 2);
            r.status_text[b] = wild ? text(60, 0x00, 0xFF) : text(text_room, 1, 255);
            r.symbol_code[b] = static_cast<char>(wild ? number(0, 255) : number(0x20, 0x7F));
            r.symbol_table[b] = static_cast<char>(number(0x20, 0x7F));
            r.frequency_mhz[b] = wild ? static_cast<float>(number(143000, 149000) / 1000.0) : device_frequency(model);
            r.send_telemetry[b] = telemetry || wild ? flag() : 0;
            r.telemetry_channels[b] = wild ? number(-5, 300) : telemetry ? number(0, 255) : 1;
            r.telemetry_def_rate[b] = telemetry ? number(0, 255) : 0;
            r.telemetry_text[b] = wild ? text(30, 0x00, 0xFF) : "";
            for (const char c : telemetry && !wild ? text(text_room, 1, 255) : "") {  // line ends as CR LF
                if (c == '\n') r.telemetry_text[b].push_back('\r');
                if (c != '\r') r.telemetry_text[b].push_back(c);
            }
        }
        // Often both banks hold the same items, so the shared blocks are exercised.
        if (number(0, 2) == 0) {
            for (auto* f : {&r.callsign, &r.path, &r.status_text, &r.telemetry_text}) (*f)[1] = (*f)[0];
            r.frequency_mhz[1] = r.frequency_mhz[0];
        }
        return r;
    }
};

ImageBytes encode_copy(ConfigRecord record, EncodeOutcome& outcome) {
    ImageBytes image{};
    outcome = encode_image(record, image);
    return image;
}

TEST(RoundTrip, DeviceFormRecordsComeBackAndReencodeIdentically) {
    for (int model = 0; model <= kModelMax; ++model) {
        RecordGenerator generate{std::mt19937(1000u + static_cast<uint32_t>(model))};
        int compared = 0;
        for (int i = 0; i < 1500; ++i) {
            const ConfigRecord record = generate.record(model, false);
            EncodeOutcome outcome{};
            const ImageBytes first = encode_copy(record, outcome);
            if (outcome != EncodeOutcome::Complete) continue;  // texts cut: not the record any more
            ++compared;
            const ConfigRecord back = decoded(first, record);
            ASSERT_EQ(back, record) << "model " << model << " record " << i;
            ASSERT_EQ(encode_copy(back, outcome), first) << "model " << model << " record " << i;
            ASSERT_EQ(outcome, EncodeOutcome::Complete);
        }
        EXPECT_GT(compared, 500) << "model " << model;
    }
}

TEST(RoundTrip, AnyRecordSettlesIntoItsDeviceForm) {
    for (int model = 0; model <= kModelMax; ++model) {
        RecordGenerator generate{std::mt19937(2000u + static_cast<uint32_t>(model))};
        int compared = 0, settled_after_one_trip = 0;
        for (int i = 0; i < 1500; ++i) {
            ConfigRecord record = generate.record(model, true);
            EncodeOutcome outcome{};
            ImageBytes image = encode_copy(record, outcome);
            if (outcome == EncodeOutcome::DoesNotFit) continue;
            ++compared;
            // Each trip drops at most one trailing blank path element per bank;
            // everything else settles on the first trip.
            const auto bound = 2 + split_path(record.path[0]).size() + split_path(record.path[1]).size();
            for (size_t trips = 1;; ++trips) {
                record = decoded(image, record);
                const ImageBytes next = encode_copy(record, outcome);
                ASSERT_NE(outcome, EncodeOutcome::DoesNotFit);
                if (next == image) {
                    settled_after_one_trip += trips <= 2 ? 1 : 0;
                    break;
                }
                image = next;
                ASSERT_LE(trips, bound) << "model " << model << " record " << i;
            }
        }
        EXPECT_GT(compared, 500) << "model " << model;
        EXPECT_GT(settled_after_one_trip, compared * 9 / 10) << "model " << model;
    }
}

// Why an arbitrary record may change on its first trip: the encoder rounds a
// duration up to whole units and the decoder rounds to the nearest millisecond,
// and the bank-sharing tests compare texts as typed.
TEST(RoundTrip, FirstTripNormalisesDurationsAndTexts) {
    EXPECT_EQ(ms_to_units(65, 3.0, kTxdUnitMs), 10);
    EXPECT_EQ(units_to_ms(10, kTxdUnitMs), 67);
    EXPECT_EQ(ms_to_units(67, 3.0, kTxdUnitMs), 11);
    EXPECT_EQ(ms_to_units(units_to_ms(11, kTxdUnitMs), 3.0, kTxdUnitMs), 11);
    EXPECT_EQ(ms_to_units(units_to_ms(2, kQuietUnitMs), 13.0, kQuietUnitMs), 3);

    const ConfigRecord record{.device_model = 4, .callsign = {"nocall", "NOCALL"}};
    const ConfigRecord once = decoded(encoded(record), record);
    EXPECT_EQ(once.callsign[0], "NOCALL");
    EXPECT_NE(encoded(record)[1], encoded(once)[1]);  // now shared

    // A blank last hop decodes as a trailing comma, which names no hop.
    const ConfigRecord blank_hop{.device_model = 4, .path = {"WIDE1-1,,", "WIDE1-1,WIDE2-1"}};
    const ConfigRecord first_trip = decoded(encoded(blank_hop), blank_hop);
    EXPECT_EQ(first_trip.path[0], "WIDE1-1,");
    EXPECT_EQ(decoded(encoded(first_trip), first_trip).path[0], "WIDE1-1");
}

}  // namespace
}  // namespace qv3::test
