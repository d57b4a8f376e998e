#pragma once

#include <cstdint>

namespace lum {

/// Request command codes; each reply carries its command's code with the reply flag (0x80) set.
namespace command {
inline constexpr uint8_t kIdentify = 0x01;
inline constexpr uint8_t kFirmwareVersion = 0x02;
inline constexpr uint8_t kSerialNumber = 0x03;
inline constexpr uint8_t kPowerOnTime = 0x04;
inline constexpr uint8_t kBatchCode = 0x05;
inline constexpr uint8_t kFuncFlags = 0x07;
// The replies of kStatusImage, kDCInVoltage and the calibration references (0x20..0x27)
// are decoded, though this program never asks for them.
inline constexpr uint8_t kStatusImage = 0x0F;
inline constexpr uint8_t kTemperature = 0x10;
inline constexpr uint8_t kBatteryVoltage = 0x11;
inline constexpr uint8_t kSolarVoltage = 0x13;
inline constexpr uint8_t kLoad1Voltage = 0x15;
inline constexpr uint8_t kLoad1Current = 0x16;
inline constexpr uint8_t kDCInVoltage = 0x17;
inline constexpr uint8_t kTempRef = 0x20;
inline constexpr uint8_t kBattVRef = 0x21;
inline constexpr uint8_t kSolarVRef = 0x23;
inline constexpr uint8_t kLoad1VRef = 0x25;
inline constexpr uint8_t kLoad1ARef = 0x26;
inline constexpr uint8_t kDCInVRef = 0x27;
inline constexpr uint8_t kLightControl = 0x30;
inline constexpr uint8_t kBattOVP = 0x31;
inline constexpr uint8_t kBattFCV = 0x32;
inline constexpr uint8_t kBattUVP = 0x33;
inline constexpr uint8_t kBattUVR = 0x34;
inline constexpr uint8_t kBattReserved = 0x35;
inline constexpr uint8_t kChannelCV = 0x38;
inline constexpr uint8_t kChannelCC = 0x39;
inline constexpr uint8_t kChannelMode = 0x3A;
inline constexpr uint8_t kChannelTiming = 0x3B;
inline constexpr uint8_t kChannelTiming2 = 0x3C;
inline constexpr uint8_t kModelText = 0x70;
inline constexpr uint8_t kMemoryRead = 0x7E;
}  // namespace command

}  // namespace lum
