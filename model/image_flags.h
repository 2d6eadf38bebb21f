// The image's flag bits: one row a setting, walked by the decoder, the encoder and the encoder's model rules.
//
// A new flag setting is one row here (and its field row in config_fields.cpp).
#pragma once

#include <array>

#include "model/config_record.h"
#include "model/device_models.h"
#include "model/image_layout.h"

namespace qv3 {

// A column of the model table that decides something about a flag; nullptr
// stands for every model.
using ModelColumn = bool DeviceModelInfo::*;

struct ImageFlag {
    PerBank<uint8_t> ConfigRecord::*member = nullptr;
    int byte = 0;  // header offset of bank 0's byte; bank 1's follows it
    int bit = 0;   // the bit's mask
    // The image keeps the flag only on models with this column set; on the
    // others it decodes as 0 and is never written.
    ModelColumn kept_by = nullptr;
    // The encoder clears the flag in the record on models without this column.
    ModelColumn cleared_without = nullptr;
    // The encoder sets the flag in the record on models with this column.
    ModelColumn forced_on_by = nullptr;
};

inline constexpr std::array kImageFlags{
    ImageFlag{&ConfigRecord::force_printable, image::kFlags16, image::kForcePrintableBit},
    ImageFlag{&ConfigRecord::only_send_valid, image::kFlags16, image::kOnlySendValidBit, nullptr, nullptr,
              &DeviceModelInfo::forces_valid_and_no_ptt},
    ImageFlag{&ConfigRecord::time_slot_enable, image::kFlags16, image::kTimeSlotBit},
    ImageFlag{&ConfigRecord::smart_beacon_enable, image::kFlags16, image::kSmartBeaconBit},
    ImageFlag{&ConfigRecord::transmit_altitude, image::kFlags16, image::kTransmitAltitudeBit},
    ImageFlag{&ConfigRecord::mic_e_enable, image::kFlags16, image::kMicEBit},
    ImageFlag{&ConfigRecord::power_switch_enable, image::kFlags18, image::kPowerSwitchBit},
    ImageFlag{&ConfigRecord::allow_ttl_serial, image::kFlags18, image::kAllowTtlSerialBit},
    ImageFlag{&ConfigRecord::alternate_digi_paths, image::kFlags18, image::kAlternateDigiBit},
    ImageFlag{&ConfigRecord::invert_cd_in, image::kFlags18, image::kInvertCdInBit},
    ImageFlag{&ConfigRecord::no_tx_on_ptt_in, image::kFlags18, image::kNoTxOnPttInBit, nullptr, nullptr,
              &DeviceModelInfo::forces_valid_and_no_ptt},
    ImageFlag{&ConfigRecord::send_nmea, image::kFlags18, image::kSendNmeaBit},
    ImageFlag{&ConfigRecord::send_separate, image::kFlags38, image::kSendSeparateBit},
    ImageFlag{&ConfigRecord::send_300_baud, image::kFlags38, image::kSend300BaudBit},
    ImageFlag{&ConfigRecord::no_gt_prefix, image::kFlags38, image::kNoGtPrefixBit, &DeviceModelInfo::serial_flag_bits},
    ImageFlag{&ConfigRecord::serial_out_high, image::kFlags38, image::kSerialOutHighBit,
              &DeviceModelInfo::serial_flag_bits},
    ImageFlag{&ConfigRecord::no_startup_packet, image::kFlags38, image::kNoStartupPacketBit,
              &DeviceModelInfo::serial_flag_bits},
    ImageFlag{&ConfigRecord::serial_9600_baud, image::kFlags38, image::kSerial9600BaudBit,
              &DeviceModelInfo::serial_flag_bits},
    ImageFlag{&ConfigRecord::tx_twist, image::kFlags38, image::kTxTwistBit, &DeviceModelInfo::twist_dao_bits,
              &DeviceModelInfo::twist_dao_bits},
    ImageFlag{&ConfigRecord::send_dao, image::kFlags38, image::kSendDaoBit, &DeviceModelInfo::twist_dao_bits,
              &DeviceModelInfo::twist_dao_bits},
    // Telemetry needs the twist and DAO firmware as well as the telemetry items.
    ImageFlag{&ConfigRecord::send_telemetry, image::kTelemetryFlags, image::kSendTelemetryBit,
              &DeviceModelInfo::telemetry, &DeviceModelInfo::twist_dao_bits},
};

// True when the model's column is set (nullptr: every model).
constexpr bool model_has(const DeviceModelInfo& model, ModelColumn column) {
    return column == nullptr || model.*column;
}

// The bits of one header byte for bank b: every flag of that byte the model
// keeps and the record sets.
constexpr int image_flag_bits(const ConfigRecord& record, const DeviceModelInfo& model, int byte, int b) {
    int bits = 0;
    for (const ImageFlag& flag : kImageFlags) {
        if (flag.byte == byte && model_has(model, flag.kept_by) && (record.*flag.member)[static_cast<size_t>(b)] != 0) {
            bits |= flag.bit;
        }
    }
    return bits;
}

}  // namespace qv3
