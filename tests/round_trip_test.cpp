// Random records through encode -> decode -> encode, for every model.
//
// A record already in the device's own form (what a decode can produce) comes
// back unchanged and re-encodes to the same bytes. An arbitrary record is first
// normalised by the trip (upper-case callsigns, rounded durations, frequencies
// on the step grid); from then on its image no longer changes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "model/image_decoder.h"
#include "model/image_encoder.h"
#include "model/station_address.h"
#include "test_support.h"

namespace qv3 {
namespace {

class RecordGenerator {
public:
    explicit RecordGenerator(uint32_t seed) : random_(seed) {}

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
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
        const int count = number(min_chars, 6);
        for (int i = 0; i < count; ++i) out.push_back(alphabet[number(0, 35)]);
        const int ssid = number(0, 15);
        if (ssid != 0) out += "-" + std::to_string(ssid);
        return out;
    }

    // A duration the device holds exactly: decoding its unit count gives it back,
    // and encoding it gives that count.
    uint16_t device_duration(double offset_ms, double unit_ms) {
        const auto ms = units_to_ms(static_cast<uint8_t>(number(0, 255)), unit_ms);
        return units_to_ms(ms_to_units(ms, offset_ms, unit_ms), unit_ms);
    }

    float device_frequency(int model) {
        if (is_rux_model(model)) return static_cast<float>(number(28800, 29600) / 200.0);
        if (model == 3) return static_cast<float>(number(28800, 29600) * 5 / 1000.0);
        if (model == 6) return static_cast<float>(number(144000, 148000) / 1000.0);
        return 144.39f;
    }

    ConfigRecord device_form(int model) {
        const int text_room = image_size_for_model(model) == 128 ? 3 : 12;
        ConfigRecord r;
        r.device_model = model;
        r.calibration = number(0, 255);
        for (int b = 0; b < 2; ++b) {
            r.send_300_baud[b] = flag();
            const double txd_offset = r.send_300_baud[b] ? 13.0 : 3.0;
            const double txd_unit = r.send_300_baud[b] ? kTxdUnit300BaudMs : kTxdUnitMs;
            r.auto_txd[b] = device_duration(txd_offset, txd_unit);
            r.manual_txd[b] = device_duration(txd_offset, txd_unit);
            r.quiet_time[b] = device_duration(13.0, kQuietUnitMs);
            r.callsign[b] = canonical_address(0);
            r.path[b].clear();
            for (int hops = number(0, 2); hops > 0; --hops) {
                if (!r.path[b].empty()) r.path[b] += ',';
                r.path[b] += canonical_address(1);
            }
            r.auto_tx_rate[b] = static_cast<uint16_t>(number(0, 65535));
            r.manual_tx_rate[b] = static_cast<uint16_t>(number(0, 65535));
            for (auto* f : {&r.force_printable, &r.only_send_valid, &r.time_slot_enable, &r.smart_beacon_enable,
                            &r.transmit_altitude, &r.mic_e_enable, &r.power_switch_enable, &r.allow_ttl_serial,
                            &r.alternate_digi_paths, &r.invert_cd_in, &r.no_tx_on_ptt_in, &r.send_nmea,
                            &r.send_separate}) {
                (*f)[b] = flag();
            }
            const bool from_2 = model >= 2;
            const bool from_3 = model >= 3;
            r.no_gt_prefix[b] = from_2 ? flag() : 0;
            r.serial_out_high[b] = from_2 ? flag() : 0;
            r.no_startup_packet[b] = from_2 ? flag() : 0;
            r.serial_9600_baud[b] = from_2 ? flag() : 0;
            r.tx_twist[b] = from_3 ? flag() : 0;
            r.send_dao[b] = from_3 ? flag() : 0;
            if (is_rux_model(model)) r.only_send_valid[b] = r.no_tx_on_ptt_in[b] = 1;
            r.timestamp_mode[b] = number(0, 2);
            r.mic_e_message[b] = static_cast<uint8_t>(number(0, 255));
            r.mic_e_path[b] = static_cast<uint8_t>(number(0, 255));
            r.status_every[b] = static_cast<uint8_t>(number(0, 255));
            r.status_text[b] = text(text_room, 1, 255);
            r.time_slot_offset[b] = static_cast<uint16_t>(number(0, 65535));
            r.slow_speed[b] = static_cast<uint8_t>(number(0, 255));
            r.fast_speed[b] = static_cast<uint8_t>(number(0, 255));
            r.slow_rate[b] = static_cast<uint16_t>(number(0, 65535));
            r.fast_rate[b] = static_cast<uint16_t>(number(0, 65535));
            r.min_turn_angle[b] = static_cast<uint8_t>(number(0, 255));
            r.turn_slope[b] = static_cast<uint16_t>(number(0, 65535));
            r.min_turn_time[b] = static_cast<uint8_t>(number(0, 255));
            r.power_switch_time[b] = static_cast<uint8_t>(number(0, 255));
            r.symbol_code[b] = static_cast<char>(number(0x20, 0x7F));
            r.symbol_table[b] = static_cast<char>(number(0x20, 0x7F));
            r.frequency_mhz[b] = device_frequency(model);
            if (has_telemetry(model)) {
                r.send_telemetry[b] = flag();
                r.telemetry_channels[b] = number(0, 255);
                r.telemetry_def_rate[b] = number(0, 255);
                std::string raw = text(text_room, 1, 255);
                std::string with_crlf;
                for (const char c : raw) {
                    if (c == '\r') continue;
                    if (c == '\n') with_crlf.push_back('\r');
                    with_crlf.push_back(c);
                }
                r.telemetry_text[b] = with_crlf;
            } else {
                r.send_telemetry[b] = 0;
                r.telemetry_channels[b] = 1;
                r.telemetry_def_rate[b] = 0;
                r.telemetry_text[b].clear();
            }
        }
        // Often both banks hold the same items, so the shared blocks are exercised.
        if (number(0, 2) == 0) {
            r.callsign[1] = r.callsign[0];
            r.path[1] = r.path[0];
            r.status_text[1] = r.status_text[0];
            r.telemetry_text[1] = r.telemetry_text[0];
            r.frequency_mhz[1] = r.frequency_mhz[0];
        }
        return r;
    }

    // Anything the record can hold, within sizes that mostly fit the image.
    ConfigRecord arbitrary(int model) {
        ConfigRecord r = device_form(model);
        for (int b = 0; b < 2; ++b) {
            r.callsign[b] = text(10, 0x01, 0xFF);
            r.path[b] = text(20, 0x20, 0x7E);
            r.auto_txd[b] = static_cast<uint16_t>(number(0, 65535));
            r.manual_txd[b] = static_cast<uint16_t>(number(0, 2000));
            r.quiet_time[b] = static_cast<uint16_t>(number(0, 8000));
            r.tx_twist[b] = flag();
            r.send_telemetry[b] = flag();
            r.no_gt_prefix[b] = flag();
            r.timestamp_mode[b] = number(-1, 3);
            r.frequency_mhz[b] = static_cast<float>(number(143000, 149000) / 1000.0);
            r.telemetry_text[b] = text(30, 0x00, 0xFF);
            r.status_text[b] = text(60, 0x00, 0xFF);
            r.symbol_code[b] = static_cast<char>(number(0, 255));
            r.telemetry_channels[b] = number(-5, 300);
        }
        return r;
    }

private:
    std::mt19937 random_;
};

ImageBytes encode_copy(ConfigRecord record, EncodeOutcome& outcome) {
    ImageBytes image{};
    outcome = encode_image(record, image);
    return image;
}

ConfigRecord decoded_onto(ConfigRecord record, const ImageBytes& image) {
    ReceivedImage received;
    received.bytes = image;
    received.length = image_size_for_model(record.device_model);
    EXPECT_EQ(decode_image(received, record), DecodeOutcome::Success);
    return record;
}

TEST(RoundTrip, DeviceFormRecordsComeBackAndReencodeIdentically) {
    for (int model = 0; model <= kModelMax; ++model) {
        RecordGenerator generate(1000u + static_cast<uint32_t>(model));
        int compared = 0;
        for (int i = 0; i < 1500; ++i) {
            const ConfigRecord record = generate.device_form(model);
            EncodeOutcome outcome{};
            const ImageBytes first = encode_copy(record, outcome);
            if (outcome != EncodeOutcome::Complete) continue;  // texts cut: not the record any more
            ++compared;
            const ConfigRecord back = decoded_onto(record, first);
            ASSERT_EQ(back, record) << "model " << model << " record " << i;
            EncodeOutcome again{};
            ASSERT_EQ(encode_copy(back, again), first) << "model " << model << " record " << i;
            ASSERT_EQ(again, EncodeOutcome::Complete);
        }
        EXPECT_GT(compared, 500) << "model " << model;
    }
}

TEST(RoundTrip, AnyRecordSettlesIntoItsDeviceForm) {
    for (int model = 0; model <= kModelMax; ++model) {
        RecordGenerator generate(2000u + static_cast<uint32_t>(model));
        int compared = 0;
        int settled_after_one_trip = 0;
        for (int i = 0; i < 1500; ++i) {
            ConfigRecord record = generate.arbitrary(model);
            EncodeOutcome outcome{};
            ImageBytes image = encode_copy(record, outcome);
            if (outcome == EncodeOutcome::DoesNotFit) continue;
            ++compared;
            // Each trip drops at most one trailing blank path element per bank;
            // everything else settles on the first trip.
            const int bound = 2 + static_cast<int>(split_path(record.path[0]).size() + split_path(record.path[1]).size());
            int trips = 0;
            for (;;) {
                record = decoded_onto(record, image);
                const ImageBytes next = encode_copy(record, outcome);
                ASSERT_NE(outcome, EncodeOutcome::DoesNotFit);
                ++trips;
                if (next == image) break;
                image = next;
                ASSERT_LE(trips, bound) << "model " << model << " record " << i;
            }
            if (trips <= 2) ++settled_after_one_trip;
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

    ConfigRecord record = test::defaults_for(4);
    record.callsign = {"nocall", "NOCALL"};
    EncodeOutcome outcome{};
    const ImageBytes first = encode_copy(record, outcome);
    const ConfigRecord once = decoded_onto(record, first);
    EXPECT_EQ(once.callsign[0], "NOCALL");
    const ImageBytes second = encode_copy(once, outcome);
    EXPECT_NE(first[1], second[1]);  // now shared

    // A blank last hop decodes as a trailing comma, which names no hop.
    record = test::defaults_for(4);
    record.path[0] = "WIDE1-1,,";
    const ConfigRecord first_trip = decoded_onto(record, encode_copy(record, outcome));
    EXPECT_EQ(first_trip.path[0], "WIDE1-1,");
    EXPECT_EQ(decoded_onto(first_trip, encode_copy(first_trip, outcome)).path[0], "WIDE1-1");
}

}  // namespace
}  // namespace qv3
