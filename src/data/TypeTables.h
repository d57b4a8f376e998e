#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lum {

/// The seven capability flags, in the order of the device type table.
struct Capabilities {
  bool HasBattery = false;
  bool HasLightControl = false;
  bool HasRatedCurrent = false;
  bool HasVoltageLimit = false;
  bool HasTempComp = false;
  bool HasOverTempLimit = false;
  bool HasPWMDimming = false;
  bool operator==(const Capabilities&) const = default;
};

/// A row of the device type table.
struct TDEVICE_TYPES {
  uint32_t ProductCode;
  const char* DefaultName;  // UTF-8
  uint8_t Channels;
  Capabilities Caps;
};

/// A row of the battery type table: presets in mV, SCV in units of 10 mV.
struct TBATTERY_TYPES {
  uint16_t Code;
  const char* DefaultName;
  uint16_t OVP;
  uint16_t FCV;
  uint16_t UVP;
  uint16_t UVR;
  uint16_t SCV;
};

inline constexpr int kDeviceTypeCount = 4;
inline constexpr int kBatteryTypeCount = 6;
inline constexpr int kWorkModeCount = 3;

const std::array<TDEVICE_TYPES, kDeviceTypeCount>& DeviceTypes();
const std::array<TBATTERY_TYPES, kBatteryTypeCount>& BatteryTypes();
/// Default names of the work modes 0..2.
const std::array<const char*, kWorkModeCount>& WorkModeNames();

/// Mask of the product-code bits that identify a device type (top byte and bits 0-3 clear);
/// also the mask of the [DeviceDescription] keys of a language file.
inline constexpr uint32_t kProductCodeMask = 0x00FFFFF0;

/// Row index 0..3 whose product code equals the code in all 32 bits, or -1.
int LookupProductID(uint32_t productCode);

/// Product code of a device type row; 0 for no row (-1) or one outside the table.
uint32_t ProductCodeOfRow(int row);

/// Output channels of a device type row; 0 for no row (-1) or one outside the table.
int ChannelsOfRow(int row);

/// Capabilities from a block's CapFlags byte alone (a cleared bit means present).
Capabilities DeriveCapabilities(uint8_t capFlags);

/// Capability resolution: the row's flags when capFlags is 0, otherwise DeriveCapabilities.
/// A row of -1 with capFlags 0 yields no capability.
Capabilities ResolveCapabilities(uint8_t capFlags, int deviceRow);

}  // namespace lum
