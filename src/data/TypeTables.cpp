#include "data/TypeTables.h"

namespace lum {

namespace {
// Bits of the controller's capability byte; a cleared bit means the capability is present.
constexpr uint8_t kCapNoBattery = 0x80;
constexpr uint8_t kCapNoLightControl = 0x40;
constexpr uint8_t kCapNoRatedCurrent = 0x20;
constexpr uint8_t kCapNoPWMDimming = 0x08;

constexpr Capabilities Caps(bool battery, bool light, bool current, bool voltage, bool temp, bool overTemp, bool pwm) {
  return Capabilities{battery, light, current, voltage, temp, overTemp, pwm};
}

const std::array<TDEVICE_TYPES, kDeviceTypeCount> kDeviceTypes = {{
    {0x515610, "单路普通型太阳能控制器", 1, Caps(true, true, false, false, false, false, true)},
    {0x515620, "双路普通型太阳能控制器", 2, Caps(true, true, false, false, false, false, true)},
    {0x515630, "单路恒流型太阳能控制器", 1, Caps(true, true, true, false, false, false, false)},
    {0x515660, "红外手持遥控器", 2, Caps(false, false, true, false, false, false, false)},
}};

const std::array<TBATTERY_TYPES, kBatteryTypeCount> kBatteryTypes = {{
    {256, "自定义电池参数", 14400, 13800, 11100, 12500, 500},
    {257, "6V铅酸蓄电池", 7200, 6900, 5500, 6250, 250},
    {258, "12V铅酸蓄电池", 14400, 13800, 10800, 12300, 500},
    {259, "3.6V锂离子电池", 4150, 4100, 3200, 3800, 130},
    {260, "3.7V锂聚合物电池", 4200, 4150, 3300, 3850, 150},
    {261, "3.2V磷酸铁锂电池", 3650, 3500, 2500, 3000, 110},
}};

const std::array<const char*, kWorkModeCount> kWorkModeNames = {"一直亮灯", "夜晚亮灯", "白天亮灯"};

bool RowInTable(int row) { return row >= 0 && row < kDeviceTypeCount; }

}  // namespace

const std::array<TDEVICE_TYPES, kDeviceTypeCount>& DeviceTypes() { return kDeviceTypes; }
const std::array<TBATTERY_TYPES, kBatteryTypeCount>& BatteryTypes() { return kBatteryTypes; }
const std::array<const char*, kWorkModeCount>& WorkModeNames() { return kWorkModeNames; }

int LookupProductID(uint32_t productCode) {
  for (int row = 0; row < kDeviceTypeCount; ++row)
    if (kDeviceTypes[static_cast<size_t>(row)].ProductCode == productCode) return row;
  return -1;
}

uint32_t ProductCodeOfRow(int row) { return RowInTable(row) ? kDeviceTypes[static_cast<size_t>(row)].ProductCode : 0; }

int ChannelsOfRow(int row) { return RowInTable(row) ? kDeviceTypes[static_cast<size_t>(row)].Channels : 0; }

Capabilities DeriveCapabilities(uint8_t capFlags) {
  Capabilities caps;
  caps.HasBattery = (capFlags & kCapNoBattery) == 0;
  caps.HasLightControl = (capFlags & kCapNoLightControl) == 0;
  caps.HasRatedCurrent = (capFlags & kCapNoRatedCurrent) == 0;
  caps.HasPWMDimming = (capFlags & kCapNoPWMDimming) == 0;
  return caps;
}

Capabilities ResolveCapabilities(uint8_t capFlags, int deviceRow) {
  if (capFlags != 0) return DeriveCapabilities(capFlags);
  if (deviceRow < 0 || deviceRow >= kDeviceTypeCount) return Capabilities{};
  return kDeviceTypes[static_cast<size_t>(deviceRow)].Caps;
}

}  // namespace lum
