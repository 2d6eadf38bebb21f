// The editable configuration: values that exist once and two banks of the rest.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/device_models.h"

namespace qv3 {

// Index of a bank in every per-bank array.
enum Bank : int { Primary = 0, Secondary = 1 };

template <typename T>
using PerBank = std::array<T, 2>;

struct ConfigRecord {
    int32_t active_bank = Primary;
    int32_t device_model = kModelNone;
    int32_t calibration = 128;

    PerBank<std::string> callsign{"NOCALL", "NOCALL"};
    PerBank<std::string> path{"WIDE1-1,WIDE2-1", "WIDE1-1,WIDE2-1"};
    PerBank<uint16_t> auto_txd{253, 253};
    PerBank<uint16_t> manual_txd{67, 67};
    PerBank<uint16_t> auto_tx_rate{120, 120};
    PerBank<uint16_t> manual_tx_rate{30, 30};
    PerBank<uint16_t> quiet_time{1578, 1578};
    PerBank<uint8_t> force_printable{0, 0};
    PerBank<uint8_t> only_send_valid{1, 1};
    PerBank<uint8_t> time_slot_enable{0, 0};
    PerBank<uint8_t> smart_beacon_enable{0, 0};
    PerBank<uint8_t> transmit_altitude{1, 1};
    PerBank<uint8_t> mic_e_enable{1, 1};
    PerBank<uint8_t> power_switch_enable{0, 0};
    PerBank<uint8_t> allow_ttl_serial{0, 0};
    PerBank<uint8_t> alternate_digi_paths{0, 0};
    PerBank<uint8_t> invert_cd_in{0, 0};
    PerBank<uint8_t> no_tx_on_ptt_in{0, 0};
    PerBank<uint8_t> send_nmea{0, 0};
    PerBank<uint8_t> send_separate{0, 0};
    PerBank<uint8_t> no_gt_prefix{0, 0};
    PerBank<uint8_t> send_300_baud{0, 0};
    PerBank<uint8_t> serial_out_high{0, 0};
    PerBank<uint8_t> no_startup_packet{0, 0};
    PerBank<uint8_t> serial_9600_baud{0, 0};
    PerBank<uint8_t> tx_twist{1, 1};
    PerBank<uint8_t> send_dao{1, 1};
    PerBank<uint8_t> send_telemetry{1, 1};
    PerBank<int32_t> timestamp_mode{0, 0};
    PerBank<uint8_t> mic_e_message{2, 2};
    PerBank<uint8_t> mic_e_path{0, 0};
    PerBank<uint8_t> status_every{4, 4};
    PerBank<std::string> status_text{"Quorvale3", "Quorvale3"};
    PerBank<uint16_t> time_slot_offset{15, 15};
    PerBank<uint8_t> slow_speed{5, 5};
    PerBank<uint8_t> fast_speed{65, 65};
    PerBank<uint16_t> slow_rate{1800, 1800};
    PerBank<uint16_t> fast_rate{90, 90};
    PerBank<uint8_t> min_turn_angle{27, 27};
    PerBank<uint16_t> turn_slope{255, 255};
    PerBank<uint8_t> min_turn_time{5, 5};
    PerBank<uint8_t> power_switch_time{3, 3};
    PerBank<char> symbol_code{'>', '>'};
    PerBank<char> symbol_table{'/', '/'};
    PerBank<float> frequency_mhz{144.39f, 144.39f};
    PerBank<int32_t> telemetry_channels{2, 2};
    PerBank<int32_t> telemetry_def_rate{0, 0};
    PerBank<std::string> telemetry_text{"", ""};

    bool operator==(const ConfigRecord&) const = default;
};

// The configuration image buffers shared by the codec, the device link and files.
constexpr int kImageBufferSize = 256;
using ImageBytes = std::array<uint8_t, kImageBufferSize>;

// Bytes last received from the device or read from a file, and how many there
// are. A length of kImageBufferSize + 1 says that more bytes arrived than the
// buffer holds; they were not stored, and no model's image has that size.
struct ReceivedImage {
    ImageBytes bytes{};
    int length = 0;
};
constexpr int kReceivedOverflowLength = kImageBufferSize + 1;

}  // namespace qv3
