// Byte offsets of the image's fixed header (bank 0's byte; bank 1's follows it)
// and the sizes of its variable-area blocks, shared by the decoder and encoder.
#pragma once

namespace qv3::image {

constexpr int kAddressOffset = 0;      // offset of the station address block
constexpr int kCalibration = 2;        // byte 3 holds a copy, never read
constexpr int kAutoTxd = 4;
constexpr int kManualTxd = 6;
constexpr int kAutoTxRateLow = 8;      // high bytes two further on
constexpr int kAutoTxRateHigh = 10;
constexpr int kManualTxRateLow = 12;
constexpr int kManualTxRateHigh = 14;
constexpr int kFlags16 = 16;
constexpr int kFlags18 = 18;
constexpr int kStatusEvery = 20;
constexpr int kStatusTextOffset = 22;
constexpr int kTimingOffset = 24;
constexpr int kMicEMessage = 26;
constexpr int kMicEPath = 28;
constexpr int kSymbolCode = 30;
constexpr int kSymbolTable = 32;
constexpr int kQuietTime = 34;
constexpr int kPowerSwitchTime = 36;
constexpr int kFlags38 = 38;
constexpr int kFrequency = 40;         // model 3: low byte; 2, 5, 6: block offset
constexpr int kFrequencyHigh = 42;     // model 3 only
constexpr int kTelemetryFlags = 44;
constexpr int kTelemetryChannels = 46;
constexpr int kTelemetryDefRate = 48;
constexpr int kTelemetryTextOffset = 50;

constexpr int kAddressSize = 7;
constexpr int kAddressBlockEnd = 3;    // 0x03 0xF0 0x00 after the last address
constexpr int kTimeSlotBlockSize = 2;
constexpr int kSmartBeaconBlockSize = 10;
constexpr int kAsciiFrequencySize = 6; // five digits and 0x00
constexpr int kBcdFrequencySize = 3;

// Flag byte 16
constexpr int kForcePrintableBit = 0x01;
constexpr int kOnlySendValidBit = 0x02;
constexpr int kTimeSlotBit = 0x04;
constexpr int kTimeSlot60Bit = 0x08;
constexpr int kTimeSlot600Bit = 0x10;
constexpr int kSmartBeaconBit = 0x20;
constexpr int kTransmitAltitudeBit = 0x40;
constexpr int kMicEBit = 0x80;
// Flag byte 18
constexpr int kPowerSwitchBit = 0x01;
constexpr int kTimestampOnBit = 0x02;
constexpr int kAllowTtlSerialBit = 0x04;
constexpr int kAlternateDigiBit = 0x08;
constexpr int kInvertCdInBit = 0x10;
constexpr int kTimestampHmsBit = 0x20;
constexpr int kNoTxOnPttInBit = 0x40;
constexpr int kSendNmeaBit = 0x80;
// Flag byte 38
constexpr int kSendSeparateBit = 0x01;
constexpr int kSend300BaudBit = 0x02;
constexpr int kNoGtPrefixBit = 0x04;
constexpr int kSerialOutHighBit = 0x08;
constexpr int kNoStartupPacketBit = 0x10;
constexpr int kSerial9600BaudBit = 0x20;
constexpr int kTxTwistBit = 0x40;
constexpr int kSendDaoBit = 0x80;
// Telemetry flag byte 44
constexpr int kSendTelemetryBit = 0x01;

}  // namespace qv3::image
